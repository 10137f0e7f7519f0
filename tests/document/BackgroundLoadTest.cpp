// A large file shown at once and read on in the background: in the end the same lines as one
// load of the whole file, its bookmarks placed, and a stopped load kept as a stopped load.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "support/DocumentFixture.h"
#include "support/TestScale.h"
#include "view/EditorInput.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

class BackgroundLoadTest : public DocumentFixture {
protected:
    // Random lines past the size that loads in the background: LF and CR LF ends, lines of up to
    // a few thousand bytes, tabs and UTF-8. Made once, from a pool of lines, for all the tests.
    std::string MakeFile()
    {
        static const std::string bytes = [] {
            std::mt19937 random(31);
            const std::string alphabet = "abc xyz\t\xc3\xa9";
            std::vector<std::string> pool(4000);
            for (std::string& line : pool) {
                const std::size_t length = random() % 50 == 0 ? random() % 4000 : random() % 90;
                for (std::size_t k = 0; k < length; ++k)
                    line += alphabet[random() % (alphabet.size() - 2)];
                if (random() % 7 == 0)
                    line += "\xc3\xa9";
                line += random() % 3 ? "\n" : "\r\n";
            }
            std::string text;
            text.reserve(static_cast<std::size_t>(Document::kBackgroundLoadBytes) + (4 << 20));
            while (text.size() < static_cast<std::size_t>(Document::kBackgroundLoadBytes) + (3 << 20))
                text += pool[random() % pool.size()];
            // A CR LF across the edge of the first block and of the third, after an LF: the lines
            // read last must be read again with what follows.
            for (const std::int64_t edge : {TextLoader::kBlockBytes, 3 * TextLoader::kBlockBytes}) {
                text[static_cast<std::size_t>(edge) - 2] = '\n';
                text[static_cast<std::size_t>(edge) - 1] = '\r';
                text[static_cast<std::size_t>(edge)] = '\n';
            }
            return text;
        }();
        return dir.Write("big.log", bytes);
    }
    // The display lines' lengths: how the text is cut.
    std::vector<std::size_t> Cuts() const
    {
        std::vector<std::size_t> cuts;
        for (LineIndex i = 0; i < doc->Text().LineCount(); ++i)
            cuts.push_back(doc->Text().Line(i).Length());
        return cuts;
    }
};

TEST_F(BackgroundLoadTest, TheFirstPartComesAtOnceAndTheRestGivesTheLinesOfOneLoad)
{
    const std::string path = MakeFile();
    // The file was left before far beyond the first part, with a bookmark there too.
    doc->Positions().ToggleBookmark(path, 0, 600000);
    doc->Positions().StoreLastPosition(path, 2, 650000);
    ASSERT_TRUE(doc->Positions().WriteEntries(path));
    doc->Positions().Clear();

    ASSERT_TRUE(doc->Open(path));
    ASSERT_TRUE(doc->LoadingInBackground());
    EXPECT_LT(doc->Text().FileSize(), 32 << 20);
    EXPECT_GT(doc->Text().LineCount(), 100000);
    EXPECT_FALSE(doc->RestorePositionPending());  // the bookmarks wait for the whole text
    int steps = 0;
    for (int percent = doc->BackgroundLoadPercent(); doc->LoadMore(1); ++steps) {
        EXPECT_GE(doc->BackgroundLoadPercent(), percent);
        percent = doc->BackgroundLoadPercent();
    }
    EXPECT_GE(steps, 2);
    EXPECT_FALSE(doc->LoadingInBackground());
    EXPECT_FALSE(doc->File().LoadAborted());
    EXPECT_EQ(AllBytes(), ReadFile(path));
    EXPECT_TRUE(doc->Positions().HasBookmark(600000));
    EXPECT_TRUE(doc->RestorePositionPending());
    const std::vector<std::size_t> background = Cuts();

    // Without a window the file is read at once: the same cuts.
    auto whole = std::make_unique<Document>(
        DocumentContext{settings, prompter, progress, dialogs, entry, dir.File("QVXData"), selection});
    ASSERT_TRUE(whole->Open(path));
    EXPECT_FALSE(whole->LoadingInBackground());
    std::vector<std::size_t> once;
    for (LineIndex i = 0; i < whole->Text().LineCount(); ++i)
        once.push_back(whole->Text().Line(i).Length());
    EXPECT_EQ(background, once);
}

TEST_F(BackgroundLoadTest, APlaceLeftInTheFirstPartIsShownAtOnce)
{
    const std::string path = MakeFile();
    doc->Positions().ToggleBookmark(path, 0, 600000);
    doc->Positions().StoreLastPosition(path, 2, 100);
    ASSERT_TRUE(doc->Positions().WriteEntries(path));
    doc->Positions().Clear();

    ASSERT_TRUE(doc->Open(path));
    ASSERT_TRUE(doc->LoadingInBackground());
    ASSERT_TRUE(doc->RestorePositionPending());
    doc->ClearRestorePositionPending();
    ASSERT_TRUE(doc->GoToBookmark(true, false));  // as the window does at its first paint
    EXPECT_EQ(doc->Selection().cursor.line, 100);
    EXPECT_FALSE(doc->Positions().HasBookmark(600000));  // not yet: its line is not read
    while (doc->LoadMore(1)) {
    }
    EXPECT_TRUE(doc->Positions().HasBookmark(600000));
    EXPECT_FALSE(doc->RestorePositionPending());  // the cursor is where the file was left already
    EXPECT_EQ(doc->Selection().cursor.line, 100);
}

TEST_F(BackgroundLoadTest, EscapeKeepsWhatWasReadAndSavingAsksFirst)
{
    QUILL_SKIP_UNDER_THREAD_SANITIZER();
    const std::string path = MakeFile();
    const std::string original = ReadFile(path);
    ASSERT_TRUE(doc->Open(path));
    ASSERT_TRUE(doc->LoadingInBackground());
    ASSERT_TRUE(doc->LoadMore(1));
    const std::int64_t read = doc->Text().FileSize();
    prompter.Expect("Abort load?", Answer::No);
    doc->StopBackgroundLoad();
    EXPECT_TRUE(doc->LoadingInBackground());  // "No" goes on
    prompter.Expect("Abort load?", Answer::Yes);
    doc->StopBackgroundLoad();
    EXPECT_FALSE(doc->LoadingInBackground());
    EXPECT_TRUE(doc->File().LoadAborted());
    EXPECT_EQ(doc->Text().FileSize(), read);
    EXPECT_EQ(AllBytes(), ReadFile(path).substr(0, static_cast<std::size_t>(read)));
    prompter.Expect("", Answer::No);
    EXPECT_FALSE(doc->Save(path));
    EXPECT_EQ(ReadFile(path), original);
}

TEST_F(BackgroundLoadTest, AFileCutShortWhileItLoadsEndsTheLoadWhereItEnds)
{
    const std::string path = MakeFile();
    ASSERT_TRUE(doc->Open(path));
    ASSERT_TRUE(doc->LoadingInBackground());
    ASSERT_TRUE(doc->LoadMore(1));
    const std::int64_t read = doc->Text().FileSize();
    ASSERT_EQ(::truncate(path.c_str(), read + 1000), 0);
    int steps = 0;
    while (doc->LoadMore(1))
        ASSERT_LT(++steps, 10);
    EXPECT_FALSE(doc->LoadingInBackground());
    EXPECT_EQ(AllBytes(), ReadFile(path));
}

TEST_F(BackgroundLoadTest, LeavingTheFileWhileTheRestIsReadAtOnceLetsThatReadEnd)
{
    // The window is closed from the progress window's events while the rest is read: the read
    // ends as it would, and the file left while it loaded writes no position.
    const std::string path = MakeFile();
    ASSERT_TRUE(doc->Open(path));
    ASSERT_TRUE(doc->LoadingInBackground());
    progress.onBegin = [this] { doc->Clear(); };
    doc->CompleteBackgroundLoad();
    progress.onBegin = nullptr;
    EXPECT_FALSE(doc->LoadingInBackground());
    EXPECT_EQ(AllBytes(), ReadFile(path));
    // Left before it loaded: the rest is not read.
    ASSERT_TRUE(doc->Open(path));
    ASSERT_TRUE(doc->LoadingInBackground());
    doc->Clear();
    EXPECT_FALSE(doc->LoadingInBackground());
    EXPECT_FALSE(doc->LoadMore(1));
}

TEST_F(BackgroundLoadTest, SavingReadsTheRestFirstAndWritesTheWholeFile)
{
    QUILL_SKIP_UNDER_THREAD_SANITIZER();
    const std::string path = MakeFile();
    const std::string before = ReadFile(path);
    ASSERT_TRUE(doc->Open(path));
    ASSERT_TRUE(doc->LoadingInBackground());
    const std::string copy = dir.File("copy.log");
    ASSERT_TRUE(doc->Save(copy));
    EXPECT_FALSE(doc->LoadingInBackground());
    EXPECT_EQ(ReadFile(copy), before);
}

TEST_F(BackgroundLoadTest, AFileMappedCutsItsLinesAsAFileReadIntoMemory)
{
    QUILL_SKIP_UNDER_THREAD_SANITIZER();
    const std::string path = MakeFile();
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    auto load = [&](bool mapped) {
        TextLoader::MapFiles(mapped);
        auto whole = std::make_unique<Document>(
            DocumentContext{settings, prompter, progress, dialogs, entry, dir.File("QVXData"), selection});
        EXPECT_TRUE(whole->Open(path));
        TextLoader::MapFiles(true);
        EXPECT_EQ(whole->Text().BytesMappedFrom(st.st_dev, st.st_ino) > 0, mapped);
        std::vector<std::string_view> lines;
        for (LineIndex i = 0; i < whole->Text().LineCount(); ++i)
            lines.push_back(whole->Text().Line(i).Text());
        return std::make_pair(std::move(whole), lines);
    };
    const auto mapped = load(true);
    const auto read = load(false);
    EXPECT_TRUE(mapped.second == read.second);  // every line's bytes, across the blocks' edges too
}

TEST_F(BackgroundLoadTest, BetweenTwoStepsEveryLineShownIsAlreadyWhole)
{
    QUILL_SKIP_UNDER_THREAD_SANITIZER();
    // No line of the text may still grow: a cursor or an edit on it would land inside a line the
    // load extends later.
    const std::string path = MakeFile();
    const std::string bytes = ReadFile(path);
    ASSERT_TRUE(doc->Open(path));
    ASSERT_TRUE(doc->LoadingInBackground());
    do {
        const std::string shown = AllBytes();
        ASSERT_EQ(shown, bytes.substr(0, shown.size()));
        const std::string last = Lines().back();
        // The last line shown ends with its line end, and the text goes on after it as read.
        ASSERT_FALSE(last.empty());
        ASSERT_EQ(last.back(), '\n');
        ASSERT_NE(bytes[shown.size()], '\n');
    } while (doc->LoadMore(1));
    EXPECT_EQ(AllBytes(), bytes);
}

TEST_F(BackgroundLoadTest, KeysThatGoBeyondThePartReadActOnTheWholeText)
{
    QUILL_SKIP_UNDER_THREAD_SANITIZER();
    const std::string path = MakeFile();
    const std::string bytes = ReadFile(path);
    const LineIndex fileLines = static_cast<LineIndex>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    ViewState state{0, 0, 40, 100};
    FakeClipboard clipboard;
    EditorInput input(*doc, state, clipboard);
    auto heldLoad = [&] {
        ASSERT_TRUE(doc->Open(path));
        ASSERT_TRUE(doc->LoadingInBackground());
        ASSERT_TRUE(doc->LoadMore(1));  // held between two steps
        state.topLine = 0;
    };

    // Ctrl+End and Ctrl+Shift+End go to the end of the file, not of the part read.
    heldLoad();
    input.Press(EditorKey::End, false, true);
    EXPECT_FALSE(doc->LoadingInBackground());
    EXPECT_EQ(doc->Selection().cursor.line, doc->Text().LineCount() - 1);
    EXPECT_EQ(doc->Text().LineCount(), fileLines);
    heldLoad();
    input.Press(EditorKey::End, true, true);
    EXPECT_FALSE(doc->LoadingInBackground());
    EXPECT_EQ(doc->Selection().cursor.line, fileLines - 1);
    EXPECT_TRUE(doc->Selection().Active());

    // Moves within the part read need no more of it; Page Down at its end reads on.
    heldLoad();
    input.Press(EditorKey::PageDown, false, false);
    input.Press(EditorKey::Down, false, false);
    EXPECT_TRUE(doc->LoadingInBackground());
    PutCursor(doc->Text().LineCount() - 2, 0);
    state.topLine = doc->Text().LineCount() - 30;
    const LineIndex readSoFar = doc->Text().LineCount();
    input.Press(EditorKey::PageDown, false, false);
    EXPECT_FALSE(doc->LoadingInBackground());
    EXPECT_GT(doc->Selection().cursor.line, readSoFar - 1);

    // Text typed at the end of the part read goes where it stands in the file, and the saved file
    // is the old one with it.
    heldLoad();
    const LineIndex at = doc->Text().LineCount() - 1;
    PutCursor(at, 0);
    std::size_t offset = 0;
    for (LineIndex i = 0; i < at; ++i)
        offset += doc->Text().Line(i).Length();
    input.Type("TAIL");
    EXPECT_FALSE(doc->LoadingInBackground());
    ASSERT_TRUE(doc->Save(path));
    std::string expected = bytes;
    expected.insert(offset, "TAIL");
    EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(BackgroundLoadTest, TheCheckOfTheFileLooksBeyondItsFirstPart)
{
    // The file's middle fifth is written over and a line appended: a grown file, its first part and
    // its end as they were. The check must look across the whole file read, not only at the part
    // read first.
    const std::string path = MakeFile();
    const std::string bytes = ReadFile(path);
    ASSERT_TRUE(doc->Open(path));
    while (doc->LoadMore(1)) {
    }
    doc->Text().ReplaceLine(0, LineRecord("edited\n"));
    doc->MarkModified();
    {
        const int fd = ::open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        const std::string other(bytes.size() / 5, 'Z');
        ASSERT_EQ(::pwrite(fd, other.data(), other.size(), static_cast<off_t>(bytes.size() * 2 / 5)),
                  static_cast<ssize_t>(other.size()));
        ASSERT_EQ(::pwrite(fd, "appended\n", 9, static_cast<off_t>(bytes.size())), 9);
        ::close(fd);
    }
    doc->Follow().CheckChangedOnDisk();
    ASSERT_FALSE(prompter.Texts().empty());
    EXPECT_NE(prompter.Texts().back().find("was changed in place by another program"), std::string::npos);
}

TEST_F(BackgroundLoadTest, BookmarksWaitForTheWholeText)
{
    const std::string path = MakeFile();
    doc->Positions().ToggleBookmark(path, 0, 600000);
    ASSERT_TRUE(doc->Positions().WriteEntries(path));
    doc->Positions().Clear();
    ASSERT_TRUE(doc->Open(path));
    ASSERT_TRUE(doc->LoadMore(1));
    // The bookmark set during the load is kept with those read at its end, not overwritten.
    doc->ToggleBookmarkAt(5);
    EXPECT_FALSE(doc->LoadingInBackground());
    EXPECT_TRUE(doc->HasBookmark(5));
    EXPECT_TRUE(doc->HasBookmark(600000));
    ASSERT_TRUE(doc->Open(path));
    ASSERT_TRUE(doc->LoadingInBackground());
    PutCursor(0, 0);
    EXPECT_TRUE(doc->GoToBookmark(false, true));  // Next Bookmark reaches one beyond the part read
    EXPECT_EQ(doc->Selection().cursor.line, 5);
    EXPECT_TRUE(doc->GoToBookmark(false, true));
    EXPECT_EQ(doc->Selection().cursor.line, 600000);
}

}  // namespace
}  // namespace quill::test
