// The one writer of files: a new version replaces the file only when complete, keeps its
// permission bits, writes through a symbolic link to the file it names, and leaves no temporary.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "charset/ConversionTable.h"
#include "common/StagedFile.h"
#include "structure/StructureDescription.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace quill::test {
namespace {

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

std::size_t Entries(const std::string& folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(StagedFileTest, KeepsPermissionsWritesThroughLinksAndLeavesNoTemporary)
{
    TempDir dir;
    const std::string file = dir.Write("private.ini", "old");
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    ASSERT_EQ(::symlink(file.c_str(), dir.File("link.ini").c_str()), 0);
    ASSERT_EQ(WriteFileAtomically(dir.File("link.ini"), "new"), 0);
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(ModeOf(file), 0600u);
    struct stat st {};
    ASSERT_EQ(::lstat(dir.File("link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));  // the link stays a link
    EXPECT_EQ(Entries(dir.Path()), 2u);

    // A new file gets the umask's bits, or those asked for.
    ASSERT_EQ(WriteFileAtomically(dir.File("fresh.ini"), "x"), 0);
    EXPECT_EQ(ModeOf(dir.File("fresh.ini")), 0666u & ~CurrentUmask());
    {
        StagedFile copy(dir.File("copy.txt"), 0600);
        ASSERT_EQ(copy.Write("abc", 3), 0);
        ASSERT_EQ(copy.Commit(), 0);
    }
    EXPECT_EQ(ModeOf(dir.File("copy.txt")), 0600u & ~CurrentUmask());

    // Not committed, or failing to replace (a folder stands in the way): the old state, no temporary.
    const std::size_t before = Entries(dir.Path());
    {
        StagedFile abandoned(file);
        abandoned.Write("half", 4);
    }
    std::filesystem::create_directory(dir.File("folder.ini"));
    EXPECT_NE(WriteFileAtomically(dir.File("folder.ini"), "x"), 0);
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(Entries(dir.Path()), before + 1);  // the folder, nothing else
    // A folder that cannot be written in: the error, nothing made.
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0500), 0);
        EXPECT_EQ(WriteFileAtomically(dir.File("other.ini"), "x"), EACCES);
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0700), 0);
    }
}

TEST(StagedFileTest, DescriptionsAndTablesKeepTheirModeAndTheirLinks)
{
    TempDir data, elsewhere;
    ScriptedPrompter prompter;
    StructureDescription description;
    description.SetActive(true);
    description.SetName("orders");
    description.SetRecordLength(10);
    const std::string real = elsewhere.Write("orders.ini", "");
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(::symlink(real.c_str(), data.File("orders.ini").c_str()), 0);
    ASSERT_TRUE(description.Save(data.Path(), prompter));
    EXPECT_NE(ReadFile(real).find("RecordLength"), std::string::npos);
    EXPECT_EQ(ModeOf(real), 0600u);

    ConversionTable table;
    table.SetName("mine");
    table.Entries() = {"84=E4"};
    table.Rebuild();
    const std::string tablePath = data.Write("mine.tec", "");
    ASSERT_EQ(::chmod(tablePath.c_str(), 0640), 0);
    ASSERT_TRUE(table.Save(data.Path(), prompter));
    EXPECT_EQ(ModeOf(tablePath), 0640u);
    EXPECT_NE(ReadFile(tablePath).find("84"), std::string::npos);
}

}  // namespace
}  // namespace quill::test
