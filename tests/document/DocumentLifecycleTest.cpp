// Opening, creating, saving, reloading and stepping through a folder, as the user meets them.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "common/Format.h"
#include "common/MemoryReserve.h"
#include "support/DocumentFixture.h"
#include "view/TextEditing.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

class LifecycleTest : public DocumentFixture {
protected:
    mode_t ModeOf(const std::string& path)
    {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 07777;
    }
    void Type(const std::string& line)
    {
        doc->Text().ReplaceLine(0, LineRecord(line));
        doc->MarkModified();
    }
};

TEST_F(LifecycleTest, NewDocumentIsOneEmptyUnnamedLine)
{
    EXPECT_EQ(Lines(), std::vector<std::string>{""});
    EXPECT_FALSE(doc->File().HasPath());
    EXPECT_EQ(view.panes[StatusPane::Message], "<NEW FILE>");
    EXPECT_EQ(view.panes[StatusPane::LineEnds], "LF");  // new text gets this system's line ends
    ViewState state{0, 0, 20, 80};
    TextEditing editing(*doc, state);
    for (char c : std::string("a\rb"))
        editing.InsertChar(static_cast<std::uint8_t>(c));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"a\n", "b"}));
}

TEST_F(LifecycleTest, OpeningAMissingFileOffersToCreateIt)
{
    std::string path = dir.File("new.txt");
    prompter.Expect("Do you want to create " + path + "!", Answer::Yes);
    ASSERT_TRUE(doc->Open(path));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(Lines(), std::vector<std::string>{""});
    EXPECT_EQ(doc->File().Path(), path);
    EXPECT_EQ(doc->Text().Terminator(), TerminatorKind::LF);  // as File > New

    ASSERT_TRUE(OpenBytes("keep"));
    std::string other = dir.File("other.txt");
    prompter.Expect("Do you want to create " + other + "!", Answer::No);
    EXPECT_FALSE(doc->Open(other));
    EXPECT_FALSE(FileExists(other));
    EXPECT_EQ(Lines(), std::vector<std::string>{"keep"});
    EXPECT_EQ(prompter.History().size(), 2u);  // the two questions, no error box
}

TEST_F(LifecycleTest, StandardInputIsReadAsAnUnnamedText)
{
    // "-" reads the program's standard input (here a pipe): the text has no name, Save asks for
    // one, and nothing is stored under a name it could be found again by.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "a\nb\n", 4), 4);
    ::close(ends[1]);
    const int input = ::dup(0);
    ASSERT_EQ(::dup2(ends[0], 0), 0);
    ::close(ends[0]);
    const bool opened = doc->Open("-");
    ::dup2(input, 0);
    ::close(input);
    ASSERT_TRUE(opened);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"a\n", "b\n", ""}));
    EXPECT_FALSE(doc->File().HasPath());
    EXPECT_EQ(doc->File().Title(), "Untitled (standard input)");
    EXPECT_EQ(prompter.History().size(), 0u);  // never offered to be created
    EXPECT_TRUE(doc->IsModified());            // kept nowhere else: closing asks first

    doc->Selection().cursor.line = 1;
    doc->ToggleBookmark();
    dialogs.answer = std::nullopt;
    EXPECT_FALSE(doc->Save(""));
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"Untitled|txt"});
    ASSERT_TRUE(OpenBytes("other"));
    for (const char* name : {"-", "/dev/stdin", ""}) {
        doc->Positions().ReadEntries(name);
        EXPECT_TRUE(doc->Positions().Entries().empty()) << name;
    }
}

TEST_F(LifecycleTest, CreatingInAMissingFolderReportsWhy)
{
    std::string path = dir.File("nowhere/new.txt");
    prompter.Expect("Do you want to create " + path + "!", Answer::Yes);
    EXPECT_FALSE(doc->Open(path));
    EXPECT_EQ(prompter.Texts().back(), "Can\xB4t open " + path + "!\n2:No such file or directory");
}

TEST_F(LifecycleTest, OpeningAFolderIsRefusedAndKeepsTheText)
{
    ASSERT_TRUE(OpenBytes("keep"));
    EXPECT_FALSE(doc->Open(dir.Path()));
    EXPECT_EQ(prompter.Texts().back(), "Can\xB4t open " + dir.Path() + "!\n21:Is a directory");
    EXPECT_EQ(Lines(), std::vector<std::string>{"keep"});
}

TEST_F(LifecycleTest, SaveWritesTheLinesBackAndKeepsThePermissions)
{
    ASSERT_TRUE(OpenBytes("a\r\nb\n"));
    ::chmod(doc->File().Path().c_str(), 0640);
    Type("changed\r\n");
    EXPECT_TRUE(doc->CanSave());
    ASSERT_TRUE(doc->Save(doc->File().Path()));
    EXPECT_EQ(ReadFile(doc->File().Path()), "changed\r\nb\n");
    EXPECT_EQ(ModeOf(doc->File().Path()), 0640u);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(LifecycleTest, SaveFollowsASymbolicLinkAndKeepsIt)
{
    std::string target = dir.Write("target.txt", "old");
    std::string link = dir.File("link.txt");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_TRUE(doc->Open(link));
    Type("new");
    ASSERT_TRUE(doc->Save(link));
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(target), "new");
}

TEST_F(LifecycleTest, SaveOfAHardLinkedFileWritesInPlace)
{
    std::string first = dir.Write("first.txt", "old");
    std::string second = dir.File("second.txt");
    ASSERT_EQ(::link(first.c_str(), second.c_str()), 0);
    ASSERT_TRUE(doc->Open(first));
    Type("new");
    ASSERT_TRUE(doc->Save(first));
    EXPECT_EQ(ReadFile(second), "new");
}

TEST_F(LifecycleTest, SaveThroughADanglingLinkCreatesItsTarget)
{
    ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0755), 0);
    const std::string link = dir.File("sub/link.txt");
    ASSERT_EQ(::symlink("../made.txt", link.c_str()), 0);
    Type("text");
    ASSERT_TRUE(doc->Save(link));
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(dir.File("made.txt")), "text");
}

// Runs a save while the system refuses every byte of a file beyond `limit`.
bool SaveWithFileSizeLimit(Document& doc, rlim_t limit)
{
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = doc.Save(doc.File().Path());
    ::setrlimit(RLIMIT_FSIZE, &old);
    return saved;
}

TEST_F(LifecycleTest, InPlaceSaveThatCannotGrowTheFileLeavesItWhole)
{
    const std::string original(300000, 'o');
    std::string first = dir.Write("first.txt", original);
    std::string second = dir.File("second.txt");
    ASSERT_EQ(::link(first.c_str(), second.c_str()), 0);
    ASSERT_TRUE(doc->Open(first));
    Type(std::string(500000, 'n'));
    EXPECT_FALSE(SaveWithFileSizeLimit(*doc, 400000));
    EXPECT_EQ(prompter.Texts().back(), "Can\xB4t save " + first + "!\n27:File too large");
    EXPECT_TRUE(ReadFile(second) == original);
    EXPECT_TRUE(doc->IsModified());
    // A shorter text shrinks the file in place.
    ASSERT_TRUE(OpenBytes("short", "short.txt"));
    ASSERT_TRUE(doc->Save(first));
    EXPECT_EQ(ReadFile(second), "short");
}

TEST_F(LifecycleTest, SaveBeyondTheSizeLimitNeitherEndsTheProgramNorLeavesATemporaryFile)
{
    ASSERT_TRUE(OpenBytes("old"));
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_DFL);  // as a freshly started program has it
            Type(std::string(200000, 'n'));
            std::_Exit(SaveWithFileSizeLimit(*doc, 100000) ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ListFiles(dir.Path()), std::vector<std::string>{"file.txt"});
    EXPECT_EQ(ReadFile(doc->File().Path()), "old");
}

TEST_F(LifecycleTest, SaveAsksBeforeOverwritingChangesMadeOnDisk)
{
    ASSERT_TRUE(OpenBytes("line\n"));
    const std::string path = doc->File().Path();
    Type("edited\n");
    FILE* other = std::fopen(path.c_str(), "a");
    ASSERT_NE(other, nullptr);
    std::fputs("appended by another program\n", other);
    std::fclose(other);
    const std::string question = path + "\nwas changed on disk since it was loaded.\nOverwrite it?";
    prompter.Expect(question, Answer::Cancel);
    EXPECT_FALSE(doc->Save(path));
    EXPECT_EQ(ReadFile(path), "line\nappended by another program\n");
    EXPECT_TRUE(doc->IsModified());

    prompter.Expect(question, Answer::Ok);
    ASSERT_TRUE(doc->Save(path));
    EXPECT_EQ(ReadFile(path), "edited\n");
    // Our own save is no change by somebody else: the next save asks nothing.
    Type("again\n");
    const std::size_t asked = prompter.History().size();
    ASSERT_TRUE(doc->Save(path));
    EXPECT_EQ(prompter.History().size(), asked);

    // The same size but a new time counts as a change too.
    const timespec times[2] = {{0, UTIME_OMIT}, {12345, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    Type("third\n");
    prompter.Expect(question, Answer::Cancel);
    EXPECT_FALSE(doc->Save(path));
}

TEST_F(LifecycleTest, PathsAreNamedWithoutDotsAndDoubleSlashes)
{
    dir.Write("x.txt", "text");
    ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0755), 0);
    ASSERT_TRUE(doc->Open(dir.Path() + "/sub/.././/x.txt"));
    EXPECT_EQ(doc->File().Path(), dir.File("x.txt"));
    EXPECT_EQ(doc->File().Title(), "x.txt");
    char* before = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(dir.File("sub").c_str()), 0);
    const bool opened = doc->Open("../x.txt");
    ASSERT_EQ(::chdir(before), 0);
    std::free(before);
    ASSERT_TRUE(opened);
    EXPECT_EQ(doc->File().Path(), dir.File("x.txt"));
}

TEST_F(LifecycleTest, ReadOnlyFileIsMadeWritableOnOk)
{
    ASSERT_TRUE(OpenBytes("old"));
    ::chmod(doc->File().Path().c_str(), 0444);
    Type("new");
    prompter.Expect("File is read only!\nOverwrite flag?", Answer::Ok);
    ASSERT_TRUE(doc->Save(doc->File().Path()));
    EXPECT_EQ(ReadFile(doc->File().Path()), "new");
    EXPECT_EQ(ModeOf(doc->File().Path()), 0644u);
}

TEST_F(LifecycleTest, ReadOnlyFileStaysUntouchedOnCancel)
{
    ASSERT_TRUE(OpenBytes("old"));
    ::chmod(doc->File().Path().c_str(), 0444);
    Type("new");
    prompter.Expect("File is read only!\nOverwrite flag?", Answer::Cancel);
    EXPECT_FALSE(doc->Save(doc->File().Path()));
    EXPECT_EQ(ReadFile(doc->File().Path()), "old");
    EXPECT_EQ(ModeOf(doc->File().Path()), 0444u);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(LifecycleTest, SaveIntoAMissingFolderReportsTheSystemError)
{
    Type("text");
    std::string path = dir.File("missing/file.txt");
    EXPECT_FALSE(doc->Save(path));
    EXPECT_EQ(prompter.Texts().back(), "Can\xB4t save " + path + "!\n2:No such file or directory");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_FALSE(doc->File().HasPath());
}

TEST_F(LifecycleTest, SaveThatFailsMidWriteLeavesTheOldFileIntact)
{
    std::string original(300000, 'o');
    ASSERT_TRUE(OpenBytes(original));
    Type(std::string(500000, 'n'));
    // Let the system refuse every byte beyond 100,000 of any file this process writes.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 100000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool saved = doc->Save(doc->File().Path());
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(saved);
    EXPECT_EQ(prompter.Texts().back(), "Can\xB4t save " + doc->File().Path() + "!\n27:File too large");
    EXPECT_EQ(ReadFile(doc->File().Path()), original);
    EXPECT_EQ(ListFiles(dir.Path()), std::vector<std::string>{"file.txt"});  // no temporary left
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(LifecycleTest, SaveIntoAFolderWithoutWritePermissionIsReported)
{
    std::string folder = dir.File("locked");
    ::mkdir(folder.c_str(), 0555);
    ::chmod(dir.Path().c_str(), 0755);
    std::string path = folder + "/file.txt";
    // Root may write anywhere: the check runs as an ordinary user in a child process.
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                std::_Exit(2);
            Type("text");
            bool saved = doc->Save(path);
            bool reported = prompter.Texts().back() == "Can\xB4t save " + path + "!\n13:Permission denied";
            std::_Exit(!saved && reported ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// The address and thread sanitizers need far more address space than the limit below leaves.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST_F(LifecycleTest, RunningOutOfMemoryKeepsWhatWasReadAndWarns)
{
    std::string line(99, 'm');
    line += '\n';
    std::string bytes;
    while (bytes.size() < (96u << 20))
        bytes += line;
    std::string path = dir.Write("big.txt", bytes);
    bytes.clear();
    bytes.shrink_to_fit();
    // The file was left before at line 7 with a bookmark on line 5.
    doc->Positions().ToggleBookmark(path, 0, 5);
    doc->Positions().StoreLastPosition(path, 3, 7);
    ASSERT_TRUE(doc->Positions().WriteEntries(path));
    doc->Positions().Clear();
    EXPECT_EXIT(
        {
            // Leave room for some 64 MB more than the process uses now.
            if (!LimitAddressSpace(std::size_t{64} << 20))
                std::_Exit(3);
            bool opened = doc->Open(path);
            doc->CompleteBackgroundLoad();  // a file this large shows its first part at once
            bool warned = !prompter.Texts().empty() && prompter.Texts().back() == "Out of memory!";
            bool partial = doc->Text().LineCount() > 0 && doc->Text().FileSize() < (96 << 20);
            if (!(opened && warned && partial && doc->File().LoadAborted()))
                std::_Exit(1);
            // Leaving the half-read file keeps what the database knew of it.
            doc->Clear();
            doc->Positions().ReadEntries(path);
            const auto& entries = doc->Positions().Entries();
            const bool kept = entries.size() == 2 && doc->Positions().HasBookmark(5) &&
                              doc->Positions().FindBookmark(true, true, 0)->line == 7;
            std::_Exit(kept ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}
#endif

TEST_F(LifecycleTest, SaveAfterAnAbortedLoadAsksFirst)
{
    std::string bytes(200000, 'x');
    progress.escapeAtStep = static_cast<std::int64_t>(progress.positions.size()) + 1;
    prompter.Expect("Abort load?", Answer::Yes);
    ASSERT_TRUE(OpenBytes(bytes));
    // Enter answers No: one key must not write the part read over the whole file. The question
    // says how much of the file the text holds.
    const std::string question = "Load was aborted!\nThe text holds only the first " +
                                 GroupedNumber(doc->Text().FileSize()) + " of the file's 200,000 bytes (" +
                                 std::to_string(doc->Text().FileSize() * 100 / 200000) + " %).\nOverwrite file?";
    prompter.Expect(question, Answer::No);
    EXPECT_FALSE(doc->Save(doc->File().Path()));
    EXPECT_EQ(prompter.History().back().preferred, Answer::No);
    EXPECT_EQ(ReadFile(doc->File().Path()), bytes);
    prompter.Expect(question, Answer::Yes);
    EXPECT_TRUE(doc->Save(doc->File().Path()));
    prompter.Expect("", Answer::No);  // asked again every time
    EXPECT_FALSE(doc->Save(doc->File().Path()));
}

TEST_F(LifecycleTest, SaveOfAnUnnamedDocumentAsksForAName)
{
    Type("text");
    EXPECT_FALSE(doc->Save(""));
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"Untitled|txt"});
    dialogs.answer = dir.File("named.txt");
    ASSERT_TRUE(doc->Save(""));
    EXPECT_EQ(ReadFile(dir.File("named.txt")), "text");
    EXPECT_EQ(doc->File().Path(), dir.File("named.txt"));
    EXPECT_EQ(doc->File().Title(), "named.txt");
}

TEST_F(LifecycleTest, SaveModifiedAsksWithThreeAnswers)
{
    EXPECT_TRUE(doc->ConfirmSaveChanges());  // unmodified: no question
    ASSERT_TRUE(OpenBytes("old"));
    Type("new");
    prompter.Expect("Do you want to save the changes?", Answer::Cancel);
    EXPECT_FALSE(doc->ConfirmSaveChanges());
    prompter.Expect("Do you want to save the changes?", Answer::No);
    EXPECT_TRUE(doc->ConfirmSaveChanges());
    EXPECT_EQ(ReadFile(doc->File().Path()), "old");
    prompter.Expect("Do you want to save the changes?", Answer::Yes);
    EXPECT_TRUE(doc->ConfirmSaveChanges());
    EXPECT_EQ(ReadFile(doc->File().Path()), "new");
}

TEST_F(LifecycleTest, ReloadAsksBeforeDismissingChanges)
{
    ASSERT_TRUE(OpenBytes("disk"));
    Type("edited");
    doc->Follow().SetMode(AutoReload::Changes);
    prompter.Expect("Dismiss changes!", Answer::Cancel);
    doc->Reload();
    EXPECT_EQ(Lines(), std::vector<std::string>{"edited"});
    EXPECT_EQ(doc->Follow().Mode(), AutoReload::Off);
    prompter.Expect("Dismiss changes!", Answer::Ok);
    doc->Reload();
    EXPECT_EQ(Lines(), std::vector<std::string>{"disk"});
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(LifecycleTest, ReloadOfAVanishedFileKeepsTheText)
{
    ASSERT_TRUE(OpenBytes("disk"));
    ::unlink(doc->File().Path().c_str());
    doc->Reload();
    EXPECT_EQ(prompter.Texts().back(), "Can\xB4t load \"" + doc->File().Path() + "\"!\nNo such file or directory");
    EXPECT_EQ(Lines(), std::vector<std::string>{"disk"});
}

TEST_F(LifecycleTest, AutoReloadLooksAtTheFileEverySixthTick)
{
    ASSERT_TRUE(OpenBytes("one\n"));
    doc->ToggleAutoReload(AutoReload::Changes);
    EXPECT_EQ(doc->Follow().Mode(), AutoReload::Changes);
    dir.Write("file.txt", "one\ntwo\n");
    for (int tick = 0; tick < 5; ++tick)
        doc->Follow().Tick();
    EXPECT_EQ(Lines().size(), 2u);
    doc->Follow().Tick();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"one\n", "two\n", ""}));
    EXPECT_EQ(doc->Follow().Mode(), AutoReload::Changes);

    doc->MarkModified();  // typing switches it off
    EXPECT_EQ(doc->Follow().Mode(), AutoReload::Off);
    doc->MarkModified(false);
    doc->ToggleAutoReload(AutoReload::Changes);
    doc->ToggleAutoReload(AutoReload::Changes);  // the same mode again switches it off
    EXPECT_EQ(doc->Follow().Mode(), AutoReload::Off);
}

TEST_F(LifecycleTest, TheOpenFileIsWatchedAndFollowedUnderAutoReload)
{
    ASSERT_TRUE(OpenBytes("one\n"));
    FakeFileWatcher watcher;
    doc->Follow().SetWatcher(&watcher);
    EXPECT_EQ(watcher.watched, doc->File().Path());
    doc->ToggleAutoReload(AutoReload::ChangesAndEnd);
    EXPECT_EQ(watcher.watched, doc->File().Path());
    // A notice makes the document read what the file gained, and the view hear of it.
    dir.Write("file.txt", "one\ntwo\n");
    watcher.Notify();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"one\n", "two\n", ""}));
    EXPECT_EQ(view.rereads, 1);
    // While long work runs, a notice waits for the next tick.
    dir.Write("file.txt", "one\ntwo\nthree\n");
    ++progress.open;
    watcher.Notify();
    EXPECT_EQ(view.rereads, 1);
    --progress.open;
    watcher.Tick();
    EXPECT_EQ(view.rereads, 2);
    EXPECT_EQ(doc->Text().LineCount(), 4);
    doc->MarkModified();  // typing ends the following, not the watch
    EXPECT_EQ(doc->Follow().Mode(), AutoReload::Off);
    EXPECT_EQ(watcher.watched, doc->File().Path());
    doc->MarkModified(false);
    doc->Follow().SetMode(AutoReload::Changes);
    EXPECT_EQ(watcher.watched, doc->File().Path());
    doc->New();  // a text without a file has nothing to watch
    EXPECT_EQ(watcher.watched, "");
    doc->Follow().SetWatcher(nullptr);
}

// Without auto reload a change on disk is noticed while the file is open: the view is told once
// for each new state of the file (the bar offers Reload); by choice an unchanged text is reloaded
// at once. The program's own saves are no change.
TEST_F(LifecycleTest, AFileChangedOnDiskIsNoticedWhileItIsOpen)
{
    ASSERT_TRUE(OpenBytes("one\n"));
    FakeFileWatcher watcher;
    doc->Follow().SetWatcher(&watcher);
    watcher.Notify();
    EXPECT_EQ(view.changesOnDisk, 0);
    dir.Write("file.txt", "one\ntwo\n");
    watcher.Notify();
    EXPECT_EQ(view.changesOnDisk, 1);
    watcher.Notify();  // the same change again: told once
    EXPECT_EQ(view.changesOnDisk, 1);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"one\n", ""}));  // the text stays until Reload
    doc->Reload();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"one\n", "two\n", ""}));
    ASSERT_TRUE(doc->Save(doc->File().Path()));
    watcher.Notify();
    EXPECT_EQ(view.changesOnDisk, 1);
    settings.reloadUnchangedFiles = 1;
    dir.Write("file.txt", "three\n");
    watcher.Notify();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"three\n", ""}));
    EXPECT_EQ(view.changesOnDisk, 1);
    doc->MarkModified();  // a text with changes of its own is never replaced unasked
    dir.Write("file.txt", "four\n");
    watcher.Notify();
    EXPECT_EQ(view.changesOnDisk, 2);
    EXPECT_EQ(Lines()[0], "three\n");
    doc->Follow().SetWatcher(nullptr);
}

// A structure description turns word wrap off and overwrite on; the next file without one gets
// the user's own choices back, however many structured files came between.
TEST_F(LifecycleTest, LeavingAStructuredFileGivesTheUsersLayoutBack)
{
    dir.Write("QVXData/rec.ini", "[<General>]\r\nMask=*.rec;\r\n[FOO_0000]\r\nType=1;\r\nLength=3;\r\n");
    settings.wordWrap = 1;
    doc->SetOverwriteMode(false);
    ASSERT_TRUE(OpenBytes("abcdef\n", "a.rec"));
    ASSERT_TRUE(doc->Structure().IsActive());
    EXPECT_EQ(doc->Config().Get(Layout::WordWrap), 0);
    EXPECT_TRUE(doc->OverwriteMode());
    ASSERT_TRUE(OpenBytes("ghijkl\n", "b.rec"));
    ASSERT_TRUE(OpenBytes("plain\n", "plain.txt"));
    EXPECT_FALSE(doc->Structure().IsActive());
    EXPECT_EQ(doc->Config().Get(Layout::WordWrap), 1);
    EXPECT_FALSE(doc->OverwriteMode());
    // The user's later choices are theirs: a structured file and New give them back too.
    doc->SetOverwriteMode(true);
    settings.wordWrap = 0;
    ASSERT_TRUE(OpenBytes("abcdef\n", "a.rec"));
    doc->New();
    EXPECT_EQ(doc->Config().Get(Layout::WordWrap), 0);
    EXPECT_TRUE(doc->OverwriteMode());
}

TEST_F(LifecycleTest, AutoReloadAtFileEndPutsTheCursorOnTheLastLine)
{
    ASSERT_TRUE(OpenBytes("a\n"));
    doc->ToggleAutoReload(AutoReload::ChangesAndEnd);
    dir.Write("file.txt", "a\nb\n\tlast");
    for (int tick = 0; tick < 6; ++tick)
        doc->Follow().Tick();
    EXPECT_EQ(doc->Selection().cursor.line, 2);
    EXPECT_EQ(doc->Selection().cursor.column, 7);  // the tab spans three columns
    EXPECT_EQ(doc->Selection().preferredColumn, 7);
    EXPECT_FALSE(doc->RestorePositionPending());
}

TEST_F(LifecycleTest, NeighbourFilesFollowTheSortedFolder)
{
    dir.Write("b.txt", "B");
    dir.Write("A.txt", "A");
    dir.Write("c.txt", "C");
    ::mkdir(dir.File("d-folder").c_str(), 0755);
    ::mkfifo(dir.File("bb.pipe").c_str(), 0600);  // stepped over: opening it would wait for a writer
    ASSERT_TRUE(doc->Open(dir.File("b.txt")));
    doc->LoadNeighbourFile(true);
    EXPECT_EQ(doc->File().Path(), dir.File("c.txt"));
    doc->LoadNeighbourFile(true);
    EXPECT_EQ(prompter.Texts().back(), "Bottom of directory reached!");
    EXPECT_EQ(doc->File().Path(), dir.File("c.txt"));
    doc->LoadNeighbourFile(false);
    doc->LoadNeighbourFile(false);
    EXPECT_EQ(doc->File().Path(), dir.File("A.txt"));
    EXPECT_EQ(Lines(), std::vector<std::string>{"A"});
    doc->LoadNeighbourFile(false);
    EXPECT_EQ(prompter.Texts().back(), "Top of directory reached!");
}

TEST_F(LifecycleTest, NeighbourFileAsksBeforeDismissingChanges)
{
    dir.Write("b.txt", "B");
    ASSERT_TRUE(OpenBytes("A", "a.txt"));
    Type("edited");
    prompter.Expect("Dismiss changes!", Answer::Cancel);
    doc->LoadNeighbourFile(true);
    EXPECT_EQ(doc->File().Path(), dir.File("a.txt"));
    EXPECT_EQ(Lines(), std::vector<std::string>{"edited"});
}

TEST_F(LifecycleTest, HashOnTheCommandLineAsksForALine)
{
    std::string path = dir.Write("x.txt", "1\n2\n3\n");
    std::string raw = path + "#2";
    doc->SetCommandLineInProgress(&raw);
    ASSERT_TRUE(doc->Open(path));
    doc->SetCommandLineInProgress(nullptr);
    EXPECT_EQ(doc->GotoLine(), 2);
    EXPECT_FALSE(doc->RestorePositionPending());

    // Numbers past any line count ask for the last line, not for line 1.
    for (const std::string huge : {"#2147483648", "#4294967297", "#99999999999999999999999"}) {
        raw = path + huge;
        doc->SetCommandLineInProgress(&raw);
        ASSERT_TRUE(doc->Open(path));
        doc->SetCommandLineInProgress(nullptr);
        EXPECT_GT(doc->GotoLine(), 2147483647);
    }

    // A "#" inside a folder name without a number still suppresses the remembered position.
    std::string odd = "/src/C#/x.txt";
    doc->SetCommandLineInProgress(&odd);
    ASSERT_TRUE(doc->Open(path));
    doc->SetCommandLineInProgress(nullptr);
    EXPECT_EQ(doc->GotoLine(), -1);
    EXPECT_FALSE(doc->RestorePositionPending());

    ASSERT_TRUE(doc->Open(path));
    EXPECT_TRUE(doc->RestorePositionPending());
}

// A pipe opened on purpose is read as a stream: the load waits for a writer where Escape works,
// and nothing is ever saved into a pipe.
TEST_F(LifecycleTest, APipeIsReadAsAStreamAndNeverSavedTo)
{
    const std::string pipe = dir.File("feed");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::thread writer([&pipe] {
        ::usleep(200000);  // the load starts before anybody writes
        const int fd = ::open(pipe.c_str(), O_WRONLY);
        const std::string bytes = "hello\nworld\n";
        EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        ::close(fd);
    });
    ASSERT_TRUE(doc->Open(pipe));
    writer.join();
    EXPECT_EQ(AllBytes(), "hello\nworld\n");

    doc->MarkModified();
    EXPECT_FALSE(doc->Save(pipe));
    EXPECT_NE(prompter.Texts().back().find("no regular file"), std::string::npos);
    EXPECT_TRUE(doc->IsModified());

    // Nobody writes: Escape and "Abort load?" end the wait.
    progress.escapeAtStep = static_cast<std::int64_t>(progress.positions.size()) + 1;
    prompter.Expect("Abort load?", Answer::Yes);
    ASSERT_TRUE(doc->Open(pipe));
    EXPECT_TRUE(doc->File().LoadAborted());
    EXPECT_TRUE(prompter.ScriptDone());
}

// Endless input without Escape: the load stops while memory is left, tells it, keeps what it read.
TEST_F(LifecycleTest, EndlessInputStopsBeforeTheMemoryRunsShort)
{
    const std::string pipe = dir.File("endless");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::atomic<std::int64_t> written{0};
    std::atomic<bool> done{false};
    std::signal(SIGPIPE, SIG_IGN);  // the load closes the pipe while the writer still writes
    std::thread writer([&] {
        int fd = -1;  // opened once the load has the pipe open for reading
        while (fd < 0 && !done) {
            fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
            ::usleep(1000);
        }
        const std::string line = std::string(79, 'z') + "\n";
        std::string block;
        while (block.size() < (1u << 16))
            block += line;
        while (!done) {
            pollfd room{fd, POLLOUT, 0};
            if (::poll(&room, 1, 50) <= 0)
                continue;  // nobody reads now: looked at again until the test is done
            if ((room.revents & POLLOUT) == 0)
                break;  // the reader went
            const ssize_t n = ::write(fd, block.data(), block.size());
            if (n <= 0)
                break;
            written += n;
        }
        ::close(fd);
    });
    // A machine of 1 GB (a reserve of 64 MB) with 40 MB to spare when the load begins.
    SetMemoryStatusSource([&written]() -> std::optional<MemoryStatus> {
        return MemoryStatus{(104 << 20) - written.load(), std::int64_t{1} << 30};
    });
    const bool opened = doc->Open(pipe);
    SetMemoryStatusSource({});
    done = true;
    writer.join();
    EXPECT_TRUE(opened);
    EXPECT_EQ(prompter.Texts().back(), "Out of memory!");
    EXPECT_TRUE(doc->File().LoadAborted());
    EXPECT_GT(doc->Text().FileSize(), 8 << 20);
    EXPECT_LT(doc->Text().FileSize(), 48 << 20);
    EXPECT_EQ(doc->Text().Line(0).Text(), std::string(79, 'z') + "\n");
}

}  // namespace
}  // namespace quill::test
