// The command line: a file, a line request, -RELOAD, help and bad options.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

#include "app/CommandLine.h"
#include "app/DataFolder.h"
#include "support/TempDir.h"

namespace quill::test {
namespace {

TEST(CommandLineTest, FileLineAndReload)
{
    TempDir dir;
    std::string path = dir.Write("notes.txt", "x");
    CommandLine line = CommandLine::Parse({path + "#120", "-RELOAD"});
    EXPECT_EQ(line.file, path);  // notes.txt#120 does not exist, notes.txt does
    EXPECT_TRUE(line.reload);
    EXPECT_EQ(line.raw, path + "#120 -RELOAD");
    EXPECT_TRUE(line.error.empty());

    std::string sharp = dir.Write("odd#7", "y");
    EXPECT_EQ(CommandLine::Parse({sharp}).file, sharp);  // a file of that very name wins

    CommandLine separate = CommandLine::Parse({path, "#5"});
    EXPECT_EQ(separate.file, path);
    EXPECT_EQ(separate.raw.find('#'), path.size() + 1);
    // "-" is standard input, also to print from.
    EXPECT_EQ(CommandLine::Parse({"-"}).file, "-");
    const CommandLine print = CommandLine::Parse({"--print-pdf", "out.pdf", "-"});
    EXPECT_EQ(print.file, "-");
    EXPECT_EQ(print.printPdf, "out.pdf");
    EXPECT_TRUE(print.error.empty());
}

TEST(CommandLineTest, HelpVersionAndMistakes)
{
    EXPECT_TRUE(CommandLine::Parse({"--help"}).help);
    EXPECT_TRUE(CommandLine::Parse({"--version"}).version);
    EXPECT_EQ(CommandLine::Parse({"--frobnicate"}).error, "unknown option --frobnicate");
    EXPECT_FALSE(CommandLine::Parse({"a", "b"}).error.empty());
    EXPECT_FALSE(CommandLine::Parse({}).file.has_value());
    EXPECT_NE(CommandLine::Usage().find("-RELOAD"), std::string::npos);
}

TEST(DataFolderTest, OverrideBesideTheProgramAndPerUserFolder)
{
    TempDir dir;
    const char* saved = std::getenv("QUILLARIUM_DATA");
    std::string keep = saved ? saved : "";

    ::setenv("QUILLARIUM_DATA", dir.File("override").c_str(), 1);
    EXPECT_EQ(ResolveDataFolder(dir.Path()), dir.File("override"));
    EXPECT_TRUE(FileExists(dir.File("override")));

    ::unsetenv("QUILLARIUM_DATA");
    ::mkdir(dir.File("bin").c_str(), 0755);
    ::mkdir(dir.File("bin/QVXData").c_str(), 0755);
    EXPECT_EQ(ResolveDataFolder(dir.File("bin")), dir.File("bin/QVXData"));

    // No folder beside the program: the user's data folder, seeded with the files shipped in
    // ../share/quillarium/QVXData, without overwriting what the user has there.
    for (const char* folder : {"bin2", "share", "share/quillarium", "share/quillarium/QVXData"})
        ::mkdir(dir.File(folder).c_str(), 0755);
    dir.Write("share/quillarium/QVXData/shipped.ini", "shipped");
    dir.Write("share/quillarium/QVXData/own.ini", "shipped");
    ::setenv("XDG_DATA_HOME", dir.File("home").c_str(), 1);
    ::mkdir(dir.File("home").c_str(), 0755);
    ::mkdir(dir.File("home/quillarium").c_str(), 0755);
    ::mkdir(dir.File("home/quillarium/QVXData").c_str(), 0755);
    dir.Write("home/quillarium/QVXData/own.ini", "mine");
    EXPECT_EQ(ResolveDataFolder(dir.File("bin2")), dir.File("home/quillarium/QVXData"));
    EXPECT_EQ(ReadFile(dir.File("home/quillarium/QVXData/shipped.ini")), "shipped");
    EXPECT_EQ(ReadFile(dir.File("home/quillarium/QVXData/own.ini")), "mine");
    ::unsetenv("XDG_DATA_HOME");

    if (saved)
        ::setenv("QUILLARIUM_DATA", keep.c_str(), 1);
}

}  // namespace
}  // namespace quill::test
