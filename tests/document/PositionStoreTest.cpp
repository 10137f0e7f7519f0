// Remembered positions and bookmarks: what the user sees when coming back to a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "document/PositionStore.h"
#include "support/DocumentFixture.h"
#include "text/SqlResult.h"

namespace quill::test {
namespace {

std::string Numbered(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += "line " + std::to_string(i) + "\n";
    return bytes;
}

class PositionTest : public DocumentFixture {
protected:
    void Put(LineIndex line, Column column)
    {
        doc->Selection().cursor.line = line;
        doc->Selection().cursor.column = doc->Selection().preferredColumn = column;
        doc->Text().SetCurrentLine(line);
    }
    // Opening as the program does: load, then the first paint restores the position.
    bool OpenAndRestore(const std::string& path)
    {
        if (!doc->Open(path))
            return false;
        if (doc->RestorePositionPending()) {
            doc->ClearRestorePositionPending();
            doc->GoToBookmark(true, false);
        }
        return true;
    }
    std::int64_t RowsFor(const std::string& path)
    {
        SqlResult rows;
        doc->Positions().Database().Query(rows, "SELECT * FROM Bookmarks WHERE File=?", {path});
        return static_cast<std::int64_t>(rows.RowCount());
    }
};

TEST_F(PositionTest, ReopeningAFilePutsTheCursorWhereItWasLeft)
{
    std::string a = dir.Write("a.txt", Numbered(50));
    std::string b = dir.Write("b.txt", Numbered(5));
    ASSERT_TRUE(OpenAndRestore(a));
    Put(30, 4);
    ASSERT_TRUE(OpenAndRestore(b));  // leaving a.txt remembers line 30, column 4
    EXPECT_EQ(doc->Selection().cursor.line, 0);
    EXPECT_EQ(RowsFor(b), 0);
    ASSERT_TRUE(OpenAndRestore(a));
    EXPECT_EQ(doc->Selection().cursor.line, 30);
    EXPECT_EQ(doc->Selection().cursor.column, 4);
    EXPECT_EQ(doc->Text().CurrentIndex(), 30);

    Put(0, 0);  // a file left at its start gets no row
    ASSERT_TRUE(OpenAndRestore(b));
    EXPECT_EQ(RowsFor(a), 0);
}

TEST_F(PositionTest, PositionsSurviveARestartOfTheProgram)
{
    std::string a = dir.Write("a.txt", Numbered(50));
    ASSERT_TRUE(OpenAndRestore(a));
    Put(12, 3);
    doc->ToggleBookmark();
    Put(20, 0);
    doc->Clear();  // closing the main window
    Reopen();
    ASSERT_TRUE(OpenAndRestore(a));
    EXPECT_EQ(doc->Selection().cursor.line, 20);
    EXPECT_TRUE(doc->HasBookmark(12));
    EXPECT_FALSE(doc->HasBookmark(20));
}

// Another program holding the position database with an exclusive lock.
class ForeignLock {
public:
    explicit ForeignLock(const std::string& path)
    {
        sqlite3_open(path.c_str(), &db_);
        sqlite3_exec(db_, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr);
    }
    ~ForeignLock() { Release(); }
    void Release()
    {
        if (!db_)
            return;
        sqlite3_exec(db_, "COMMIT;", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
        db_ = nullptr;
    }

private:
    sqlite3* db_ = nullptr;
};

TEST_F(PositionTest, ALockedDatabaseNeitherStallsNorLosesThePositions)
{
    std::string a = dir.Write("a.txt", Numbered(50));
    std::string b = dir.Write("b.txt", Numbered(5));
    ASSERT_TRUE(OpenAndRestore(a));
    Put(12, 0);
    doc->ToggleBookmark();
    Put(30, 2);
    ASSERT_TRUE(OpenAndRestore(b));  // a.txt: line 30, a bookmark on 12
    const std::string database = doc->Positions().Database().FullPath();

    ForeignLock lock(database);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(OpenAndRestore(a));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1000));
    EXPECT_TRUE(doc->Positions().ReadPending());
    EXPECT_EQ(doc->Selection().cursor.line, 0);
    Put(3, 0);
    doc->ToggleBookmark();  // set while the stored ones are not known yet
    Put(0, 0);
    doc->Follow().Tick();  // still locked: nothing changes
    EXPECT_EQ(doc->Selection().cursor.line, 0);

    lock.Release();
    doc->Follow().Tick();  // the view's timer tries again
    EXPECT_FALSE(doc->Positions().ReadPending());
    EXPECT_EQ(doc->Selection().cursor.line, 30);
    EXPECT_TRUE(doc->HasBookmark(12));
    EXPECT_TRUE(doc->HasBookmark(3));

    // Leaving while locked queues the writing; it happens once the lock is gone.
    ForeignLock again(database);
    Put(40, 1);
    const auto leaving = std::chrono::steady_clock::now();
    ASSERT_TRUE(OpenAndRestore(b));
    EXPECT_LT(std::chrono::steady_clock::now() - leaving, std::chrono::milliseconds(1000));
    again.Release();
    doc->Positions().Database().WaitForWorker();
    ASSERT_TRUE(OpenAndRestore(a));
    EXPECT_EQ(doc->Selection().cursor.line, 40);
    EXPECT_TRUE(doc->HasBookmark(12));
    EXPECT_TRUE(doc->HasBookmark(3));
}

TEST_F(PositionTest, WritesQueuedWhileLockedSurviveARestart)
{
    std::string a = dir.Write("it's a.txt", Numbered(50));
    std::string b = dir.Write("b.txt", Numbered(5));
    ASSERT_TRUE(OpenAndRestore(a));
    Put(7, 0);
    doc->ToggleBookmark();
    Put(9, 0);
    {
        ForeignLock lock(doc->Positions().Database().FullPath());
        doc->Clear();  // quitting while another program holds the database
        Reopen();      // the queue goes to its file and is replayed by the next start
    }
    doc->Positions().Database().WaitForWorker();
    ASSERT_TRUE(OpenAndRestore(a));
    EXPECT_EQ(doc->Selection().cursor.line, 9);
    EXPECT_TRUE(doc->HasBookmark(7));
    (void)b;
}

TEST_F(PositionTest, BookmarksToggleAndStepRound)
{
    ASSERT_TRUE(OpenAndRestore(dir.Write("a.txt", Numbered(100))));
    for (LineIndex line : {10, 40, 70}) {
        Put(line, 2);
        doc->ToggleBookmark();
    }
    Put(40, 0);
    doc->ToggleBookmark();
    doc->ToggleBookmark();  // twice on one line: none, then one again
    doc->ToggleBookmark();
    EXPECT_FALSE(doc->HasBookmark(40));

    Put(0, 0);
    EXPECT_TRUE(doc->GoToBookmark(false, true));
    EXPECT_EQ(doc->Selection().cursor.line, 10);
    EXPECT_EQ(doc->Selection().preferredColumn, 2);
    EXPECT_TRUE(doc->GoToBookmark(false, true));
    EXPECT_EQ(doc->Selection().cursor.line, 70);
    EXPECT_TRUE(doc->GoToBookmark(false, true));  // after the last: round to the first, said so
    EXPECT_EQ(doc->Selection().cursor.line, 10);
    EXPECT_EQ(view.panes[StatusPane::Message], "Continued from the first bookmark.");
    EXPECT_TRUE(doc->GoToBookmark(false, false));  // before the first: round to the last
    EXPECT_EQ(doc->Selection().cursor.line, 70);
    EXPECT_EQ(view.panes[StatusPane::Message], "Continued from the last bookmark.");
    EXPECT_TRUE(doc->GoToBookmark(false, false));
    EXPECT_EQ(doc->Selection().cursor.line, 10);

    doc->RemoveBookmarks();
    EXPECT_FALSE(doc->HasBookmark(10));
    EXPECT_FALSE(doc->GoToBookmark(false, true));
}

TEST_F(PositionTest, ANewDocumentHasNoBookmarks)
{
    Put(0, 0);
    doc->ToggleBookmark();
    EXPECT_FALSE(doc->HasBookmark(0));
}

TEST_F(PositionTest, LinesEditedAboveABookmarkCarryItAlong)
{
    ASSERT_TRUE(OpenAndRestore(dir.Write("a.txt", Numbered(20))));
    Put(5, 0);
    doc->ToggleBookmark();
    doc->Model().InsertAfter(2, LineRecord("new\n"), true);
    EXPECT_TRUE(doc->HasBookmark(6));
    doc->Model().RemoveLine(0, true);
    doc->Model().RemoveLine(0, true);
    EXPECT_TRUE(doc->HasBookmark(4));
    doc->Model().RemoveLine(7, true);  // below it: no change
    EXPECT_TRUE(doc->HasBookmark(4));
    doc->Undo();
    doc->Undo();
    doc->Undo();
    doc->Undo();
    EXPECT_TRUE(doc->HasBookmark(5));
}

TEST_F(PositionTest, ABookmarkGoesWithTheBytesOfASplitLine)
{
    ASSERT_TRUE(OpenAndRestore(dir.Write("a.txt", "zero\nabcdef\ntwo\n")));
    const auto split = [&](LineIndex line, std::uint32_t at) {
        const std::string text(doc->Text().Line(line).Bytes(), doc->Text().Line(line).Length());
        doc->Text().SetCurrentLine(line);
        doc->Model().ReplaceCurrentLine(LineRecord(text.substr(0, at) + "\n"));
        doc->Model().SplitCurrentLine(LineRecord(text.substr(at)));
    };
    const auto bookmarkAt = [&](LineIndex line, Column column) {
        doc->RemoveBookmarks();
        Put(line, column);
        doc->ToggleBookmark();
    };
    bookmarkAt(1, 4);
    split(1, 6);  // at the line's end: a new empty line below, the bookmark stays
    EXPECT_TRUE(doc->HasBookmark(1));
    bookmarkAt(1, 4);
    split(1, 2);  // before the bookmark: it goes to the rest, on the same byte
    ASSERT_TRUE(doc->HasBookmark(2));
    const std::vector<BookmarkEntry>& entries = doc->Positions().Entries();
    const auto moved = std::find_if(entries.begin(), entries.end(),
                                    [](const BookmarkEntry& kept) { return kept.lastPos == 0 && kept.line == 2; });
    ASSERT_NE(moved, entries.end());
    EXPECT_EQ(moved->column, 2);
    bookmarkAt(2, 1);
    split(2, 0);  // Enter at the start: the text and its bookmark move down
    EXPECT_TRUE(doc->HasBookmark(3));
    bookmarkAt(3, 1);
    split(3, 3);  // after the bookmark: it stays
    EXPECT_TRUE(doc->HasBookmark(3));
}

TEST_F(PositionTest, AShrunkFileClampsTheRememberedPosition)
{
    std::string a = dir.Write("a.txt", Numbered(50));
    ASSERT_TRUE(OpenAndRestore(a));
    Put(45, 7);
    ASSERT_TRUE(OpenAndRestore(dir.Write("b.txt", "b")));
    dir.Write("a.txt", "short\nx\n");
    ASSERT_TRUE(OpenAndRestore(a));
    EXPECT_EQ(doc->Selection().cursor.line, 2);  // the last line
    EXPECT_EQ(doc->Selection().cursor.column, 0);
    dir.Write("a.txt", "ab\n");
    Put(0, 1);
    ASSERT_TRUE(OpenAndRestore(dir.Write("b.txt", "b")));
    dir.Write("a.txt", "a\n");
    ASSERT_TRUE(OpenAndRestore(a));
    EXPECT_EQ(doc->Selection().cursor.column, 1);
    EXPECT_EQ(doc->Text().CurrentIndex(), doc->Selection().cursor.line);
}

TEST_F(PositionTest, UnderAnotherWrapWidthPositionsComeBackToTheirBytes)
{
    // Four file lines of 36 bytes, cut at 10 cells in a window 13 cells wide (the border keeps 3
    // free): the database keeps file lines and columns counted from their start, so a restart in
    // a narrower window (or without wrapping) finds the same bytes.
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += "line " + std::to_string(i) + " abcdefghijklmnopqrstuvwxyz0\n";
    const std::string a = dir.Write("a.txt", bytes);
    settings.truncateAtBorder = 1;
    view.pageWidth = 13;
    ASSERT_TRUE(OpenAndRestore(a));
    ASSERT_EQ(doc->Text().LineCount(), 17);
    Put(6, 3);  // file line 1, its third display line
    const ByteOffset bookmarked = doc->CursorByteOffset();
    doc->ToggleBookmark();
    Put(14, 4);  // file line 3, column 21 (word wrap cuts after "line 3 ")
    const ByteOffset left = doc->CursorByteOffset();
    doc->Clear();
    SqlResult rows;
    ASSERT_TRUE(doc->Positions().Database().Query(rows, "SELECT * FROM Bookmarks WHERE LastPos=1", {}));
    ASSERT_TRUE(rows.Next());
    EXPECT_EQ(rows.GetInt("CsrsY"), 3);
    EXPECT_EQ(rows.GetInt("CsrsX"), 21);

    for (int width : {10, 0}) {  // cut at 7, and not cut
        Reopen();
        settings.truncateAtBorder = width > 0;
        view.pageWidth = width;
        ASSERT_TRUE(OpenAndRestore(a));
        EXPECT_EQ(doc->CursorByteOffset(), left) << width;
        Put(0, 0);
        ASSERT_TRUE(doc->GoToBookmark(false, true));
        EXPECT_EQ(doc->CursorByteOffset(), bookmarked) << width;
        Put(1, 0);  // somewhere else, so that the last position is stored again
        doc->Clear();
        Reopen();
        settings.truncateAtBorder = 1;
        view.pageWidth = 13;
        ASSERT_TRUE(OpenAndRestore(a));
        Put(14, 4);
        doc->Clear();
    }
}

TEST_F(PositionTest, OddPathsKeepTheirPositions)
{
    for (std::string name : {"it's.txt", "with blanks.txt",
                             "gr\xC3\xBC\xC3\x9F"
                             "e.txt",
                             "x'); DROP TABLE Bookmarks; --"}) {
        SCOPED_TRACE(name);
        std::string path = dir.Write(name, Numbered(10));
        ASSERT_TRUE(OpenAndRestore(path));
        Put(7, 1);
        ASSERT_TRUE(OpenAndRestore(dir.Write("other.txt", "o")));
        EXPECT_EQ(RowsFor(path), 1);
        ASSERT_TRUE(OpenAndRestore(path));
        EXPECT_EQ(doc->Selection().cursor.line, 7);
    }
}

TEST_F(PositionTest, TenThousandBookmarksAreWrittenAndReadBack)
{
    std::string a = dir.Write("a.txt", Numbered(20000));
    ASSERT_TRUE(OpenAndRestore(a));
    for (LineIndex line = 0; line < 20000; line += 2) {
        Put(line, 1);
        doc->ToggleBookmark();
    }
    ASSERT_TRUE(OpenAndRestore(dir.Write("b.txt", "b")));
    EXPECT_EQ(RowsFor(a), 10001);  // and the last position
    ASSERT_TRUE(OpenAndRestore(a));
    EXPECT_EQ(doc->Positions().Entries().size(), 10001u);
    EXPECT_TRUE(doc->HasBookmark(19998));
    EXPECT_FALSE(doc->HasBookmark(19999));
}

// ---- A database that is not usable ----------------------------------------------------------

class ReadOnlyDatabaseTest : public DocumentFixture {};

TEST_F(ReadOnlyDatabaseTest, AReadOnlyDatabaseFileStillGivesThePositions)
{
    std::string path = dir.Write("a.txt", Numbered(10));
    ASSERT_TRUE(doc->Open(path));
    doc->Selection().cursor.line = 6;
    doc->Clear();
    doc.reset();
    ::chmod(dir.Path().c_str(), 0755);
    ::chmod(dir.File("QVXData").c_str(), 0755);
    ::chmod(dir.File("QVXData/Bookmarks.db").c_str(), 0444);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                std::_Exit(2);
            Reopen();
            bool restored = doc->Open(path) && doc->RestorePositionPending() && doc->GoToBookmark(true, false) &&
                            doc->Selection().cursor.line == 6;
            doc->Selection().cursor.line = 2;
            doc->Clear();  // writing fails quietly
            std::_Exit(restored && prompter.History().empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(PositionDatabaseTest, CorruptFileOrFolderInPlaceMeansNoDatabase)
{
    TempDir dir;
    dir.Write("corrupt.db", std::string(4096, '\x5A'));
    PositionStore corrupt(dir.File("corrupt.db"));
    EXPECT_FALSE(corrupt.Database().IsOpen());
    EXPECT_FALSE(corrupt.ReadEntries("/some/file"));
    EXPECT_EQ(corrupt.Database().LastMessage(), "DB: No database open!");
    EXPECT_FALSE(corrupt.WriteEntries("/some/file"));
    EXPECT_EQ(ReadFile(dir.File("corrupt.db")), std::string(4096, '\x5A'));  // left as it was

    ::mkdir(dir.File("folder.db").c_str(), 0755);
    PositionStore folder(dir.File("folder.db"));
    EXPECT_FALSE(folder.Database().IsOpen());
    EXPECT_EQ(folder.Database().LastMessage().rfind("DB: Can\xB4t open file " + dir.File("folder.db"), 0), 0u);
    SqlResult rows;
    EXPECT_FALSE(folder.Database().Query(rows, "SELECT 1"));
    EXPECT_EQ(folder.Database().LastMessage(), "DB: No database open!");
}

TEST_F(ReadOnlyDatabaseTest, AReadOnlyDataFolderLeavesTheEditorUsable)
{
    doc.reset();
    ::unlink(dir.File("QVXData/Bookmarks.db").c_str());
    ::chmod(dir.Path().c_str(), 0755);
    ::chmod(dir.File("QVXData").c_str(), 0555);
    std::string path = dir.Write("a.txt", Numbered(10));
    ::chmod(path.c_str(), 0666);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                std::_Exit(2);
            Reopen();  // the database cannot be created now
            bool usable = doc->Open(path) && doc->Text().LineCount() == 11;
            doc->Selection().cursor.line = 3;
            doc->ToggleBookmark();
            usable = usable && doc->HasBookmark(3) && prompter.History().empty();
            doc->Clear();
            bool quiet = !doc->Positions().Database().IsOpen() &&
                         doc->Positions().Database().LastMessage() == "DB: No database open!";
            std::_Exit(usable && quiet && prompter.History().empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quill::test

namespace quill::test {
namespace {

TEST(PositionShiftTest, ManyBookmarksMoveLikeOneByOne)
{
    std::mt19937 random(4);
    for (int round = 0; round < 20; ++round) {
        PositionStore store("");  // no database: the entries live in memory only
        std::vector<LineIndex> naive;
        const int count = round % 2 ? 10 : 300;  // below and above the batch threshold
        for (int i = 0; i < count; ++i) {
            const LineIndex line = static_cast<LineIndex>(random() % 1000);
            if (!store.HasBookmark(line)) {
                store.ToggleBookmark("/f", 0, line);
                naive.push_back(line);
            }
        }
        for (int op = 0; op < 2000; ++op) {
            const LineIndex from = static_cast<LineIndex>(random() % 1100);
            const int delta = random() % 2 ? 1 : -1;
            store.ShiftLines(from, delta);
            for (LineIndex& line : naive)
                if (line >= from)
                    line = std::max<LineIndex>(0, line + delta);
            if (op % 500 == 499) {
                // Reading in between brings the entries up to date and starts a new batch later.
                const LineIndex probe = naive[static_cast<std::size_t>(random()) % naive.size()];
                ASSERT_TRUE(store.HasBookmark(probe));
            }
        }
        ASSERT_EQ(store.Entries().size(), naive.size());
        for (std::size_t i = 0; i < naive.size(); ++i)
            ASSERT_EQ(store.Entries()[i].line, naive[i]) << round << " " << i;
    }
}

}  // namespace
}  // namespace quill::test
