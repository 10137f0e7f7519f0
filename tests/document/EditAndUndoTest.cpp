// The editing primitives and undo: sizes, bookmarks, groups, and random edit sequences.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/DocumentFixture.h"
#include "text/TextPlaces.h"

namespace quill::test {
namespace {

using LineList = std::vector<std::string>;

class EditTest : public DocumentFixture {
protected:
    void At(LineIndex line, Column column = 0)
    {
        doc->Selection().cursor.line = line;
        doc->Selection().cursor.column = doc->Selection().preferredColumn = column;
        doc->Text().SetCurrentLine(line);
    }
    void CheckSizes() { EXPECT_EQ(doc->Text().FileSize(), doc->Text().SumOfLengths()); }
};

TEST_F(EditTest, PrimitivesKeepTheFileSizeAndTheCurrentLine)
{
    ASSERT_TRUE(OpenBytes("one\ntwo\nthree\n"));
    At(1);
    EXPECT_EQ(doc->Model().ReplaceCurrentLine(LineRecord("TWO!\n")), 5u);
    doc->Model().SplitCurrentLine(LineRecord("inserted\n"));
    EXPECT_EQ(doc->Text().CurrentIndex(), 1);
    doc->Model().InsertAtHead(LineRecord("head\n"), true);
    EXPECT_EQ(doc->Text().CurrentIndex(), 2);  // still on "TWO!"
    doc->Model().RemoveLine(0, true);
    EXPECT_EQ(doc->Text().CurrentIndex(), 1);
    EXPECT_EQ(Lines(), (LineList{"one\n", "TWO!\n", "inserted\n", "three\n", ""}));
    CheckSizes();
    EXPECT_EQ(doc->Text().FileSize(), 24);
}

// Edited lines of 64 KB and more keep their length in their own buffer, shorter ones in the line
// table too. Edits, Undo and Redo across that border keep every byte.
TEST_F(EditTest, LongLinesKeepTheirLengthsThroughEditsAndUndo)
{
    std::string text;
    for (int i = 0; i < 250000; ++i)
        text += static_cast<char>('a' + i % 26);
    text += "\nshort\n";
    ASSERT_TRUE(OpenBytes(text));
    At(1);
    doc->Model().ReplaceCurrentLine(LineRecord(std::string(200000, 'L') + "\n"));
    At(3);
    doc->Model().ReplaceCurrentLine(LineRecord(std::string(65535, 'M') + "\n"));
    doc->Model().SplitCurrentLine(LineRecord(std::string(65534, 'N') + "\n"));
    CheckSizes();
    EXPECT_EQ(doc->Text().Line(1).Length(), 200001u);
    EXPECT_EQ(doc->Text().Line(3).Length(), 65536u);
    EXPECT_EQ(doc->Text().Line(4).Length(), 65535u);
    const std::string edited = AllBytes();
    doc->Undo();
    EXPECT_TRUE(AllBytes() == text);
    doc->Redo();
    EXPECT_TRUE(AllBytes() == edited);
    CheckSizes();
}

TEST_F(EditTest, UndoTakesBackOneGroupAndPutsTheCursorWhereItWas)
{
    ASSERT_TRUE(OpenBytes("alpha\nbeta\n"));
    doc->Model().RaiseUndoGroup();
    At(0, 2);
    doc->Model().ReplaceCurrentLine(LineRecord("alXpha\n"));
    At(0, 3);
    doc->Model().ReplaceCurrentLine(LineRecord("alXYpha\n"));
    doc->Model().RaiseUndoGroup();
    At(1, 4);
    doc->Model().RemoveLine(1, true);
    At(0, 0);

    doc->Undo();
    EXPECT_EQ(Lines(), (LineList{"alXYpha\n", "beta\n", ""}));
    EXPECT_EQ(doc->Selection().cursor.line, 1);
    EXPECT_EQ(doc->Selection().cursor.column, 4);
    doc->Undo();
    EXPECT_EQ(Lines(), (LineList{"alpha\n", "beta\n", ""}));
    EXPECT_EQ(doc->Selection().cursor.column, 2);
    EXPECT_FALSE(doc->IsModified());  // back at the loaded text
    EXPECT_FALSE(doc->Model().CanUndo());
    doc->Undo();  // nothing left: nothing happens
    CheckSizes();
}

TEST_F(EditTest, ALineThatComesBackWidensTheTextWhenTheWidestWasSetLowerMeanwhile)
{
    // The horizontal scroll range follows the widest line. A line taken out and brought back by
    // Undo or Redo is measured only when the widest line was set lower since.
    ASSERT_TRUE(OpenBytes("short\n" + std::string(300, 'w') + "\nend\n"));
    EXPECT_GE(doc->Text().WidestLine(), 300);
    doc->Model().RaiseUndoGroup();
    doc->Model().RemoveLine(1, true);
    doc->Undo();
    EXPECT_GE(doc->Text().WidestLine(), 300);
    doc->Redo();
    doc->Text().SetWidestLine(5);  // as a re-cut of the text without that line would
    doc->Undo();
    EXPECT_GE(doc->Text().WidestLine(), 300);

    At(0);
    doc->Model().RaiseUndoGroup();
    doc->Model().ReplaceCurrentLine(LineRecord(std::string(400, 'x') + "\n"));
    EXPECT_GE(doc->Text().WidestLine(), 400);
    doc->Undo();
    doc->Text().SetWidestLine(10);
    doc->Redo();  // the wide replacement comes back
    EXPECT_GE(doc->Text().WidestLine(), 400);
    CheckSizes();
}

TEST_F(EditTest, BookmarksFollowTheirLinesAndComeBackWithUndo)
{
    ASSERT_TRUE(OpenBytes("a\nb\nc\nd\n"));
    At(2);
    doc->ToggleBookmark();
    doc->Model().RaiseUndoGroup();
    At(0);
    doc->Model().SplitCurrentLine(LineRecord("new\n"));
    EXPECT_TRUE(doc->HasBookmark(3));
    doc->Undo();
    EXPECT_TRUE(doc->HasBookmark(2));
    doc->Model().RaiseUndoGroup();
    doc->Model().RemoveLine(1, true);
    EXPECT_TRUE(doc->HasBookmark(1));
    doc->Undo();
    EXPECT_TRUE(doc->HasBookmark(2));
    EXPECT_EQ(Lines(), (LineList{"a\n", "b\n", "c\n", "d\n", ""}));
}

TEST_F(EditTest, UndoOfAChangeThatWrappedBringsBackTheSingleLine)
{
    ASSERT_TRUE(OpenBytes("short line\nnext\n"));
    settings.maxLineLen = 10;  // as "Wrap Lines At..." 10 sets it
    settings.wordWrap = 1;
    doc->Reflow(-1);
    const LineList before = Lines();
    doc->Model().RaiseUndoGroup();
    At(0, 5);
    doc->Model().ReplaceCurrentLine(LineRecord("short and longer line\n"));
    doc->Reflow(0);
    EXPECT_EQ(Lines(), (LineList{"short and ", "longer ", "line\n", "next\n", ""}));
    doc->Undo();
    EXPECT_EQ(Lines(), before);
    CheckSizes();
}

TEST_F(EditTest, SettingTheModifiedFlagSwitchesAutoReloadOff)
{
    ASSERT_TRUE(OpenBytes("x"));
    doc->Follow().SetMode(AutoReload::ChangesAndEnd);
    doc->Model().RaiseUndoGroup();
    doc->Model().ReplaceCurrentLine(LineRecord("y"));
    doc->Undo();
    EXPECT_EQ(doc->Follow().Mode(), AutoReload::Off);
}

// Random texts and random edits: the bytes are always what the edits made, the sizes always add
// up, and undoing every group walks back through every state exactly.
class RandomEditTest : public EditTest {
protected:
    static std::string Join(const LineList& lines)
    {
        std::string all;
        for (const auto& line : lines)
            all += line;
        return all;
    }
    std::string RandomWords(std::mt19937& random, int count)
    {
        static const char* const kWords[] = {"a", "bb", "ccc", "dddd", "eeeee", "\t", "x y", "zz"};
        std::string text;
        for (int i = 0; i < count; ++i)
            text += std::string(kWords[random() % 8]) + (random() % 3 ? " " : "");
        return text;
    }
    std::string RandomLine(std::mt19937& random)
    {
        std::string line = RandomWords(random, static_cast<int>(random() % 8));
        switch (random() % 4) {
        case 0: return line + "\r\n";
        case 1: return line + "\n";
        case 2: return line + "\f";
        default: return line;  // soft: continues in the next line
        }
    }

    struct Snapshot {
        std::uint32_t group;
        LineList lines;
        LineIndex cursorLine;
        Column cursorColumn;
        ByteOffset cursorByte;
        int cuts;  ///< re-cuts of the whole text before the snapshot
    };
};

TEST_F(RandomEditTest, BytesSizesAndUndoStayExact)
{
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        std::string text;
        for (int i = 0, n = 3 + static_cast<int>(random() % 12); i < n; ++i)
            text += RandomLine(random);
        settings.truncateAtBorder = 0;
        ASSERT_TRUE(OpenBytes(text));
        settings.wordWrap = static_cast<int>(random() % 2);
        settings.maxLineLen = 4 + static_cast<int>(random() % 20);
        doc->Reflow(-1);
        std::vector<Snapshot> snapshots;
        bool groupHasSnapshot = false;
        int cuts = 0;
        for (int step = 0; step < 40; ++step) {
            const LineList before = Lines();
            LineList model = before;
            const LineIndex count = doc->Text().LineCount();
            const LineIndex line = static_cast<LineIndex>(random() % static_cast<std::uint32_t>(count));
            const int op = static_cast<int>(random() % 10);
            if (op == 0) {
                doc->Model().RaiseUndoGroup();
                groupHasSnapshot = false;
                continue;
            }
            if (op == 9) {
                // A wrap setting changes: the whole text is re-cut, and what can be undone stays.
                if (random() % 2)
                    settings.wordWrap = !settings.wordWrap;
                else
                    settings.maxLineLen = random() % 3 ? 4 + static_cast<int>(random() % 20) : 99000;
                doc->Reflow(-1);
                ++cuts;
                ASSERT_EQ(Join(Lines()), Join(before));
                CheckSizes();
                continue;
            }
            At(line, 0);
            if (!groupHasSnapshot) {
                snapshots.push_back({doc->Model().UndoGroup(), before, doc->Selection().cursor.line,
                                     doc->Selection().cursor.column, doc->CursorByteOffset(), cuts});
                groupHasSnapshot = true;
            }
            if (op <= 4) {
                std::string changed = model[static_cast<std::size_t>(line)];
                changed.insert(random() % (changed.size() + 1),
                               RandomWords(random, 1 + static_cast<int>(random() % 3)));
                model[static_cast<std::size_t>(line)] = changed;
                doc->Model().ReplaceCurrentLine(LineRecord(changed));
            } else if (op <= 6) {
                std::string inserted = RandomLine(random);
                model.insert(model.begin() + line + 1, inserted);
                doc->Model().SplitCurrentLine(LineRecord(inserted));
            } else if (count > 1) {
                model.erase(model.begin() + line);
                doc->Model().RemoveLine(line, true);
                doc->Text().SetCurrentLine(std::min(line, doc->Text().LineCount() - 1));
            }
            ASSERT_EQ(Join(Lines()), Join(model));
            doc->Reflow(std::max<LineIndex>(0, std::min(line, doc->Text().LineCount() - 1) - 1));
            ASSERT_EQ(Join(Lines()), Join(model));
            CheckSizes();
        }
        // Undo every group, newest first: each brings back the bytes before its first change, in
        // the lines it had then unless the text was cut anew since, and the cursor on its byte.
        while (doc->Model().CanUndo()) {
            const std::uint32_t group = doc->Model().NewestUndoGroup();
            doc->Undo();
            auto it = std::find_if(snapshots.begin(), snapshots.end(),
                                   [group](const Snapshot& s) { return s.group == group; });
            ASSERT_NE(it, snapshots.end());
            ASSERT_EQ(Join(Lines()), Join(it->lines));
            EXPECT_EQ(doc->CursorByteOffset(), it->cursorByte);
            if (it->cuts == cuts) {
                ASSERT_EQ(Lines(), it->lines);
                EXPECT_EQ(doc->Selection().cursor.line, it->cursorLine);
                EXPECT_EQ(doc->Selection().cursor.column, it->cursorColumn);
            }
            CheckSizes();
        }
    }
}

// Random edits, undos, redos, saves and re-cuts for another wrap width against a plain model of
// history: a stack of the texts before each action and one of the texts undone. The text is always
// that of the same point in history (in its lines until the first re-cut, in its bytes after it),
// and the modified flag is set exactly when that point is not the saved one. Bookmarks stay on
// lines of the text, and on their bytes through every step that changed no byte (a re-cut, an Undo
// or Redo of one, a save).
TEST_F(RandomEditTest, UndoAndRedoWalkThroughTheSameHistory)
{
    const auto bookmarkBytes = [&] {
        std::vector<ShownPlace> places;
        for (const BookmarkEntry& mark : doc->Positions().Entries()) {
            if (mark.lastPos != 0)
                continue;
            EXPECT_LT(mark.line, doc->Text().LineCount());
            places.push_back({mark.line, mark.column});
        }
        std::vector<ByteOffset> bytes = OffsetsOf(doc->Text(), doc->Rules(), places);
        std::sort(bytes.begin(), bytes.end());
        return bytes;
    };
    struct State {
        LineList lines;
        int id;
    };
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        std::string text;
        for (int i = 0, n = 2 + static_cast<int>(random() % 8); i < n; ++i)
            text += RandomLine(random);
        ASSERT_TRUE(OpenBytes(text));
        doc->RemoveBookmarks();  // those the last round left in the same file's entries
        for (int k = 0; k < 3; ++k) {
            At(static_cast<LineIndex>(random() % static_cast<std::uint32_t>(doc->Text().LineCount())), 0);
            if (!doc->HasBookmark(doc->Selection().cursor.line))
                doc->ToggleBookmark();
        }
        int nextId = 0;
        State current{Lines(), nextId++};
        int savedId = current.id;
        std::vector<State> past, future;
        bool cut = false;
        for (int step = 0; step < 80; ++step) {
            const std::string bytesBefore = Join(Lines());
            const std::vector<ByteOffset> bookmarksBefore = bookmarkBytes();
            const int op = static_cast<int>(random() % 14);
            if (op >= 12) {
                settings.truncateAtBorder = 0;
                settings.wordWrap = static_cast<int>(random() % 2);
                settings.maxLineLen = random() % 4 ? 3 + static_cast<int>(random() % 20) : 99000;
                doc->Reflow(-1);
                cut = true;
            } else if (op < 3) {
                doc->Undo();
                if (!past.empty()) {
                    future.push_back(std::move(current));
                    current = std::move(past.back());
                    past.pop_back();
                }
            } else if (op < 6) {
                doc->Redo();
                if (!future.empty()) {
                    past.push_back(std::move(current));
                    current = std::move(future.back());
                    future.pop_back();
                }
            } else if (op == 6) {
                ASSERT_TRUE(doc->Save(doc->File().Path()));
                savedId = current.id;
            } else {
                // One action of one to three changes, undone as one.
                doc->Model().RaiseUndoGroup();
                past.push_back(current);
                future.clear();
                for (int k = 0, n = 1 + static_cast<int>(random() % 3); k < n; ++k) {
                    const LineIndex count = doc->Text().LineCount();
                    const LineIndex line = static_cast<LineIndex>(random() % static_cast<std::uint32_t>(count));
                    At(line, 0);
                    if (random() % 3 == 0 && count > 1)
                        doc->Model().RemoveLine(line, true);
                    else if (random() % 2)
                        doc->Model().SplitCurrentLine(LineRecord(RandomLine(random)));
                    else
                        doc->Model().ReplaceCurrentLine(LineRecord(RandomWords(random, 2) + "\n"));
                }
                doc->MarkModified();
                current = State{Lines(), nextId++};
            }
            ASSERT_EQ(Join(Lines()), Join(current.lines)) << "step " << step;
            if (!cut) {
                ASSERT_EQ(Lines(), current.lines) << "step " << step;
            }
            EXPECT_EQ(doc->IsModified(), current.id != savedId) << "step " << step;
            EXPECT_EQ(doc->Model().CanUndo(), !past.empty());
            EXPECT_EQ(doc->Model().CanRedo(), !future.empty());
            const std::vector<ByteOffset> bookmarksAfter = bookmarkBytes();
            const bool edit = op >= 7 && op < 12;  // an edit may move a bookmark with its line
            if (!edit && Join(Lines()) == bytesBefore) {
                EXPECT_EQ(bookmarksAfter, bookmarksBefore) << "step " << step << " op " << op;
            }
            CheckSizes();
        }
    }
}

}  // namespace
}  // namespace quill::test
