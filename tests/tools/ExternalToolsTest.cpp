// Compile and Execute with real shells and hostile file names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "commands/Finder.h"
#include "platform/PosixProcessStarter.h"
#include "search/SearchOptions.h"
#include "support/DocumentFixture.h"
#include "tools/ExternalTools.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

// Runs the shell commands at once and waits for them; records every start.
class RunningStarter : public ProcessStarter {
public:
    bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                       const Environment& environment) override
    {
        started.push_back({program, arguments, environment});
        if (program != "/bin/sh")
            return true;  // the second window is only recorded
        const pid_t child = ::fork();
        if (child == 0) {
            for (const auto& [name, value] : environment)
                ::setenv(name.c_str(), value.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>("sh")};
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv("/bin/sh", argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return true;
    }
    struct Start {
        std::string program;
        std::vector<std::string> arguments;
        Environment environment;
    };
    std::vector<Start> started;
};

class ExternalToolsTest : public DocumentFixture {
protected:
    ExternalToolsTest()
    {
        ::setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
        ::mkdir(dir.File("work").c_str(), 0755);
    }
    ~ExternalToolsTest() override { ::unsetenv("XDG_RUNTIME_DIR"); }
    bool Exists(const std::string& name) const { return ::access(dir.File(name).c_str(), F_OK) == 0; }

    ViewState state{0, 0, 20, 80};
    SearchOptions options;
    Finder search{*doc, state, options.query};
    RunningStarter starter;
    ExternalTools tools{*doc, search, options.query, starter, "/usr/bin/quillarium"};
};

TEST_F(ExternalToolsTest, ThePathIsNeverShellCode)
{
    EXPECT_EQ(ExternalTools::ShellCommand("javac \"%s\""), "javac \"${QVX_FILE}\"");
    EXPECT_EQ(ExternalTools::ShellCommand("cc %s -o x 100%%"), "cc \"${QVX_FILE}\" -o x 100%%");
    EXPECT_EQ(ExternalTools::ShellCommand("echo '%s' \\'%s"), "echo ''\"${QVX_FILE}\"'' \\'\"${QVX_FILE}\"");
    // Names that would run code if they were pasted into the command.
    for (const std::string name :
         {"work/a\"; touch hacked; \".c", "work/$(touch hacked).c", "work/it's ok`touch hacked`.c"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(OpenBytes("/* \xB5"
                              "COMP:cat \"%s\"; echo done\xB5 */\n",
                              name));
        starter.started.clear();
        ASSERT_TRUE(tools.Compile());
        EXPECT_FALSE(Exists("hacked"));
        EXPECT_EQ(ReadFile(dir.File("qvx.txt")), "/* \xB5"
                                                 "COMP:cat \"%s\"; echo done\xB5 */\ndone\n");
        ASSERT_EQ(starter.started.size(), 2u);
        EXPECT_EQ(starter.started[1].program, "/usr/bin/quillarium");  // the second window follows the output
        EXPECT_EQ(starter.started[1].arguments, (std::vector<std::string>{dir.File("qvx.txt"), "-RELOAD"}));
    }
}

TEST_F(ExternalToolsTest, MarkersWithAndWithoutClosingMicro)
{
    ASSERT_TRUE(OpenBytes("x\r\n\t\t// \xB5"
                          "COMP:echo one two\r\n",
                          "work/Hello.java"));
    EXPECT_EQ(tools.FindCommandMarker("\xB5"
                                      "COMP:"),
              "echo one two");  // the line end left out
    EXPECT_EQ(options.query.text, "\xB5"
                                  "COMP:");  // Find Next then looks for the marker
    EXPECT_EQ(doc->Selection().cursor.line, 1);
    ASSERT_TRUE(OpenBytes("a \xB5"
                          "EXEC:echo \"%s\" 100%% > \"%s.out\"\xB5 b\n",
                          "work/Hello.java"));
    ASSERT_TRUE(tools.Execute());
    EXPECT_EQ(ReadFile(dir.File("work/Hello.out")), dir.File("work/Hello") + " 100%%\n");  // no extension
    EXPECT_EQ(ExternalTools::WithoutExtension("/src/Hello.java"), "/src/Hello");
    EXPECT_EQ(ExternalTools::WithoutExtension("/home/a.b/Makefile"), "/home/a.b/Makefile");
    EXPECT_EQ(ExternalTools::WithoutExtension("/home/.profile"), "/home/.profile");
}

TEST_F(ExternalToolsTest, NoMarkerStartsAndSavesNothing)
{
    ASSERT_TRUE(OpenBytes("plain text\n", "work/plain.txt"));
    doc->MarkModified();
    EXPECT_FALSE(tools.Compile());
    EXPECT_NE(prompter.Texts().back().find("No command for compilation found!"), std::string::npos);
    EXPECT_FALSE(tools.Execute());
    EXPECT_NE(prompter.Texts().back().find("No command for execution found!"), std::string::npos);
    EXPECT_TRUE(starter.started.empty());
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(ExternalToolsTest, WithoutARuntimeFolderTheOutputGoesToAPrivateFolder)
{
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("XDG_CACHE_HOME", dir.File("cache").c_str(), 1);
    std::string error;
    EXPECT_EQ(ExternalTools::OutputFolder(error), dir.File("cache/quillarium"));
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("cache/quillarium").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // A folder others may write to, or a link put in its place, is refused.
    ::chmod(dir.File("cache/quillarium").c_str(), 0777);
    EXPECT_FALSE(ExternalTools::OutputFolder(error));
    ::rmdir(dir.File("cache/quillarium").c_str());
    ASSERT_EQ(::symlink(dir.Path().c_str(), dir.File("cache/quillarium").c_str()), 0);
    EXPECT_FALSE(ExternalTools::OutputFolder(error));
    EXPECT_NE(error.find("not a private folder"), std::string::npos);
    ::unsetenv("XDG_CACHE_HOME");
}

// What the shell makes of "%s" where it stands: next to letters, inside command substitutions
// that open quotes of their own, in a name that is not UTF-8.
TEST_F(ExternalToolsTest, ThePathStaysOneWordWhereverItStands)
{
    const auto output = [this](const std::string& command, const std::string& name) {
        EXPECT_TRUE(OpenBytes("\xB5"
                              "COMP:" +
                                  command + "\xB5\n",
                              name));
        EXPECT_TRUE(tools.Compile());
        return ReadFile(dir.File("qvx.txt"));
    };
    EXPECT_EQ(output("echo \"[%s_x]\"", "work/a.c"), "[" + dir.File("work/a.c") + "_x]\n");
    EXPECT_EQ(output("echo \"$(basename \"%s\")\"", "work/my  file.c"), "my  file.c\n");
    EXPECT_EQ(output("echo `basename \"%s\"` $(echo '%s' | wc -c)", "work/b c.c"),
              "b c.c " + std::to_string(dir.File("work/b c.c").size() + 1) + "\n");
}

TEST_F(ExternalToolsTest, ProgramsGetTheBytesOfTheirArgumentsAndEnvironment)
{
    const std::string name = dir.File("lat\xe9in.c");
    PosixProcessStarter real;
    ASSERT_TRUE(real.StartDetached("/bin/sh", {"-c", "printf %s \"$QVX_FILE\" > \"$1.out\"", "sh", name},
                                   {{"QVX_FILE", name}}));
    std::string written;
    for (int wait = 0; wait < 500 && written.size() < name.size(); ++wait) {
        ::usleep(10000);
        written = ReadFile(name + ".out");
    }
    EXPECT_EQ(written, name);
    EXPECT_FALSE(real.StartDetached(dir.File("no-such-program"), {}, {}));
}

TEST_F(ExternalToolsTest, ARuntimeFolderOthersCanWriteToIsNotUsed)
{
    ::mkdir(dir.File("shared").c_str(), 0700);
    ::chmod(dir.File("shared").c_str(), 01777);
    ::setenv("XDG_RUNTIME_DIR", dir.File("shared").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", dir.File("cache").c_str(), 1);
    std::string error;
    EXPECT_EQ(ExternalTools::OutputFolder(error), dir.File("cache/quillarium"));
    ::chmod(dir.File("shared").c_str(), 0720);
    EXPECT_EQ(ExternalTools::OutputFolder(error), dir.File("cache/quillarium"));
    ::chmod(dir.File("shared").c_str(), 0700);
    EXPECT_EQ(ExternalTools::OutputFolder(error), dir.File("shared"));
    ::unsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace quill::test
