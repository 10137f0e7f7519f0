// Typing, deleting and moving over random UTF-8 of one and two cells and bytes that are no
// character, against a plain model: the line is a list of units, each one or two cells wide.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/DocumentFixture.h"
#include "support/Fakes.h"
#include "view/EditorInput.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

struct Piece {
    const char* bytes;
    int cells;
    bool raw;  ///< a byte that is no character, inserted by its value
};

const Piece kPieces[] = {
    {"a", 1, false},
    {"Z", 1, false},
    {"\xC3\xB6", 1, false},
    {"\xCE\xA9", 1, false},
    {"\xE6\x97\xA5", 2, false},
    {"\xF0\x9F\x98\x80", 2, false},
    {"\xFF", 1, true},
    {"\x80", 1, true},
};

class Utf8EditingModelTest : public DocumentFixture {
protected:
    ViewState state{0, 0, 20, 400};
    FakeClipboard clipboard;
};

TEST_F(Utf8EditingModelTest, RandomEditsAgreeWithTheModelOfCells)
{
    std::mt19937 random(2026);
    for (int round = 0; round < 40; ++round) {
        doc->New();
        ASSERT_TRUE(doc->Utf8Text());
        EditorInput input(*doc, state, clipboard);
        std::vector<const Piece*> units;
        std::size_t cursor = 0;
        std::string trace;
        for (int step = 0; step < 150; ++step) {
            const int what = static_cast<int>(random() % 8);
            if (what <= 2) {
                const Piece& piece = kPieces[random() % std::size(kPieces)];
                if (piece.raw)
                    input.Editing().InsertChar(static_cast<std::uint8_t>(piece.bytes[0]), true);
                else
                    input.Type(piece.bytes);
                units.insert(units.begin() + static_cast<std::ptrdiff_t>(cursor), &piece);
                ++cursor;
                trace += "type ";
            } else if (what == 3) {
                input.Press(EditorKey::Delete, false, false);
                if (cursor < units.size())
                    units.erase(units.begin() + static_cast<std::ptrdiff_t>(cursor));
                trace += "delete ";
            } else if (what == 4) {
                input.Press(EditorKey::Backspace, false, false);
                if (cursor > 0)
                    units.erase(units.begin() + static_cast<std::ptrdiff_t>(--cursor));
                trace += "backspace ";
            } else if (what == 5) {
                input.Press(EditorKey::Left, false, false);
                cursor = cursor > 0 ? cursor - 1 : 0;
                trace += "left ";
            } else if (what == 6) {
                input.Press(EditorKey::Right, false, false);
                cursor = std::min(cursor + 1, units.size());
                trace += "right ";
            } else {
                const bool home = random() % 2;
                input.Press(home ? EditorKey::Home : EditorKey::End, false, false);
                cursor = home ? 0 : units.size();
                trace += home ? "home " : "end ";
            }
            std::string bytes;
            std::int64_t column = 0;
            for (std::size_t k = 0; k < units.size(); ++k) {
                bytes += units[k]->bytes;
                if (k < cursor)
                    column += units[k]->cells;
            }
            ASSERT_EQ(AllBytes(), bytes) << trace;
            ASSERT_EQ(doc->Selection().cursor.column, column) << trace;
        }
    }
}

// Whether a column is where a unit of the line starts (or at or beyond the line's end).
bool AtUnitStart(const Document& doc, LineIndex line, Column column)
{
    const LineView view = doc.Text().Line(line);
    const DisplayRules rules = doc.Rules();
    if (column >= DisplayWidth(view, rules))
        return true;
    return IndexToColumn(view, ColumnToIndex(view, column, rules), rules) == column;
}

TEST_F(Utf8EditingModelTest, AfterEveryKeyTheCursorAndTheAnchorStandAtTheStartOfACell)
{
    // Several lines of wide characters, marks, tabs and stray bytes; selections of both kinds,
    // deleted, cut and pasted: no edit may leave the cursor or the anchor inside a cell or off
    // the text.
    const char* const pieces[] = {"a", "\t", "ö", "o\xcc\x88", "日", "😀", "\xff", "\n", "\r\n", "xy"};
    std::mt19937 random(13);
    for (int round = 0; round < 100; ++round) {
        std::string text;
        for (int k = 0, n = static_cast<int>(random() % 30); k < n; ++k)
            text += pieces[random() % std::size(pieces)];
        ASSERT_TRUE(OpenBytes(text + "äöü日\n"));
        EditorInput input(*doc, state, clipboard);
        std::string trace;
        for (int step = 0; step < 80; ++step) {
            const LineIndex lines = doc->Text().LineCount();
            const int what = static_cast<int>(random() % 12);
            const bool shift = random() % 2, ctrl = random() % 4 == 0;
            static const EditorKey moves[] = {EditorKey::Left, EditorKey::Right, EditorKey::Up,
                                              EditorKey::Down, EditorKey::Home,  EditorKey::End};
            if (what <= 3) {
                const EditorKey key = moves[random() % std::size(moves)];
                input.Press(key, shift, ctrl);
                trace += "move" + std::to_string(static_cast<int>(key)) + (shift ? "s " : " ");
            } else if (what == 4) {
                input.Press(EditorKey::Backspace, false, false);
                trace += "backspace ";
            } else if (what == 5) {
                input.Press(EditorKey::Delete, shift, false);
                trace += shift ? "cut " : "delete ";
            } else if (what == 6) {
                input.Type(pieces[random() % 6]);
                trace += "type ";
            } else if (what == 7) {
                input.Press(EditorKey::Enter, false, false);
                trace += "enter ";
            } else if (what == 8) {
                input.Clip().Copy();
                trace += "copy ";
            } else if (what == 9) {
                input.Clip().Paste(random() % 2);
                trace += "paste ";
            } else {
                const LineIndex line = static_cast<LineIndex>(random() % static_cast<unsigned>(lines));
                const std::int64_t column = random() % 12;
                input.MousePress(line, column, false, ctrl);
                input.MouseMove(static_cast<LineIndex>(random() % static_cast<unsigned>(lines)), random() % 12);
                input.MouseRelease();
                trace += std::string(ctrl ? "block " : "drag ");
            }
            const TextSelection& now = doc->Selection();
            ASSERT_LT(now.cursor.line, doc->Text().LineCount()) << trace;
            ASSERT_TRUE(AtUnitStart(*doc, now.cursor.line, now.cursor.column))
                << trace << "cursor " << now.cursor.line << ":" << now.cursor.column;
            if (now.Active()) {
                ASSERT_LT(now.anchor.line, doc->Text().LineCount()) << trace;
                if (!now.block) {
                    ASSERT_TRUE(AtUnitStart(*doc, now.anchor.line, now.anchor.column))
                        << trace << "anchor " << now.anchor.line << ":" << now.anchor.column;
                }
            }
        }
    }
}

}  // namespace
}  // namespace quill::test
