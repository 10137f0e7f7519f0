// File Assignments against a temporary home: the user's mimeapps.list, desktop entry and MIME
// package.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "tools/FileAssignments.h"

namespace quill::test {
namespace {

class FileAssignmentsTest : public ::testing::Test {
protected:
    FileAssignmentsTest()
    {
        ::setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", dir.File("system").c_str(), 1);  // nothing installed there
    }
    ~FileAssignmentsTest() override
    {
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
            ::unsetenv(name);
    }
    TempDir dir;
    ScriptedPrompter prompter;
    FileAssignments assignments{prompter, "/opt/my \"tools\"/quillarium"};
};

TEST_F(FileAssignmentsTest, EveryGroupCheckedMakesTheProgramTheDefaultAndKeepsTheRest)
{
    ::mkdir(dir.File("config").c_str(), 0700);
    dir.Write("config/mimeapps.list", "[Default Applications]\ntext/plain=gedit.desktop;\nimage/png=eog.desktop\n\n"
                                      "[Removed Associations]\ntext/css=x.desktop;\n");
    std::array<bool, FileAssignments::kGroups> all{};
    all.fill(true);
    EXPECT_EQ(assignments.Assign(all), 14);  // sixteen extensions in fourteen types
    const std::string list = ReadFile(dir.File("config/mimeapps.list"));
    EXPECT_NE(list.find("text/plain=quillarium.desktop;gedit.desktop;\n"), std::string::npos);
    EXPECT_NE(list.find("image/png=eog.desktop\n"), std::string::npos);
    EXPECT_NE(list.find("[Removed Associations]\ntext/css=x.desktop;\n"), std::string::npos);
    EXPECT_NE(list.find("[Added Associations]\n"), std::string::npos);
    EXPECT_NE(list.find("text/x-java=quillarium.desktop;"), std::string::npos);
    EXPECT_EQ(list.find("text/plain=quillarium.desktop;gedit.desktop;quillarium"), std::string::npos);
    // The desktop entry that lists the program, with its path quoted.
    const std::string entry = ReadFile(dir.File("data/applications/quillarium.desktop"));
    EXPECT_NE(entry.find("Exec=\"/opt/my \\\\\"tools\\\\\"/quillarium\" %f\n"), std::string::npos);
    EXPECT_NE(entry.find("MimeType=text/plain;"), std::string::npos);
    // The types the system may not know come in a package of the user's own.
    const std::string package = ReadFile(dir.File("data/mime/packages/quillarium.xml"));
    EXPECT_NE(package.find("<glob pattern=\"*.ini\"/>"), std::string::npos);
    EXPECT_NE(package.find("<glob pattern=\"*.inc\"/>"), std::string::npos);
    EXPECT_TRUE(prompter.Texts().empty());

    // Assigning again changes nothing more.
    EXPECT_EQ(assignments.Assign(all), 14);
    EXPECT_EQ(ReadFile(dir.File("config/mimeapps.list")), list);
}

TEST_F(FileAssignmentsTest, OnlyTheCheckedGroupsAndFailuresAreTold)
{
    std::array<bool, FileAssignments::kGroups> java{};
    java[7] = true;
    EXPECT_EQ(assignments.Assign(java), 1);
    EXPECT_EQ(ReadFile(dir.File("config/mimeapps.list")), "[Default Applications]\ntext/x-java=quillarium.desktop;\n\n"
                                                          "[Added Associations]\ntext/x-java=quillarium.desktop;\n");
    EXPECT_EQ(::access(dir.File("data/mime/packages/quillarium.xml").c_str(), F_OK), -1);
    std::array<bool, FileAssignments::kGroups> none{};
    EXPECT_EQ(assignments.Assign(none), 0);

    // A list that cannot be replaced (a folder stands in its place): told, nothing else breaks.
    ::unlink(dir.File("config/mimeapps.list").c_str());
    ::mkdir(dir.File("config/mimeapps.list").c_str(), 0700);
    EXPECT_EQ(assignments.Assign(java), 0);
    ASSERT_FALSE(prompter.Texts().empty());
    EXPECT_EQ(prompter.Texts().back().rfind("Can\xB4t ", 0), 0u);
    EXPECT_NE(prompter.Texts().back().find(dir.File("config/mimeapps.list")), std::string::npos);
}

TEST_F(FileAssignmentsTest, TheEntryIsNeededUntilTheUserHasOneOrTheProgramIsInstalled)
{
    const std::string entry = dir.File("data/applications/quillarium.desktop");
    EXPECT_TRUE(FileAssignments::NeedsDesktopEntry());
    EXPECT_TRUE(assignments.InstallDesktopEntry());
    EXPECT_NE(ReadFile(entry).find("MimeType=text/plain;"), std::string::npos);
    EXPECT_FALSE(FileAssignments::NeedsDesktopEntry());

    // An installed program is listed by its own entry: not needed, and not written.
    ::unlink(entry.c_str());
    ::mkdir(dir.File("system").c_str(), 0700);
    ::mkdir(dir.File("system/applications").c_str(), 0700);
    dir.Write("system/applications/quillarium.desktop", "[Desktop Entry]\n");
    EXPECT_FALSE(FileAssignments::NeedsDesktopEntry());
    EXPECT_TRUE(assignments.InstallDesktopEntry());
    EXPECT_EQ(::access(entry.c_str(), F_OK), -1);
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST_F(FileAssignmentsTest, TheProgramPathIsEscapedByBothRulesOfTheDesktopEntryFormat)
{
    EXPECT_EQ(DesktopExecArgument("/opt/my \"tools\"/a$b\\c%d`e"),
              "\"/opt/my \\\\\"tools\\\\\"/a\\\\$b\\\\\\\\c%%d\\\\`e\"");
    EXPECT_EQ(DesktopExecArgument("/usr/bin/quillarium"), "\"/usr/bin/quillarium\"");
    // The validator of the desktop files accepts what is written for such a path.
    FileAssignments odd(prompter, "/opt/50% \"off\"/$HOME\\bin/quillarium");
    ASSERT_TRUE(odd.InstallDesktopEntry());
    const std::string entry = dir.File("data/applications/quillarium.desktop");
    EXPECT_EQ(std::system(("desktop-file-validate '" + entry + "'").c_str()), 0) << ReadFile(entry);
}

}  // namespace
}  // namespace quill::test
