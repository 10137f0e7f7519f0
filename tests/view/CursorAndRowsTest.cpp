// What the view computes without a window: cursor moves, scrolling, row cells, status texts.
#include <gtest/gtest.h>

#include "support/DocumentFixture.h"
#include "view/CursorMotion.h"
#include "view/RowCells.h"
#include "view/StatusTexts.h"
#include "view/TextEditing.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

class CursorTest : public DocumentFixture {
protected:
    void SetUp() override
    {
        state.pageLines = 10;
        state.pageWidth = 20;
    }
    ViewState state;
    CursorMotion motion{*doc, state};
};

TEST_F(CursorTest, HorizontalMovesStepOverWholeTabs)
{
    ASSERT_TRUE(OpenBytes("a\tb\r\nxy\r\n"));
    motion.Right();
    EXPECT_EQ(doc->Selection().cursor.column, 1);
    motion.Right();
    EXPECT_EQ(doc->Selection().cursor.column, 3);  // the tab spans columns 1 and 2
    motion.Right();
    EXPECT_EQ(doc->Selection().cursor.column, 4);  // the end of the line: the CR LF takes no column
    motion.Right();
    EXPECT_EQ(doc->Selection().cursor.line, 1);
    EXPECT_EQ(doc->Selection().cursor.column, 0);
    motion.Left();
    EXPECT_EQ(doc->Selection().cursor.line, 0);
    EXPECT_EQ(doc->Selection().cursor.column, 4);
    motion.Left();
    motion.Left();
    EXPECT_EQ(doc->Selection().cursor.column, 1);
    EXPECT_EQ(doc->Text().CurrentIndex(), 0);
}

TEST_F(CursorTest, TheLineTotalCountsTheLinesAsWcDoes)
{
    // The empty place after the last line end, where the cursor may still stand, is no line; a
    // last line without its end is one; an empty line before the end is one.
    struct Case {
        const char* bytes;
        const char* status;
    };
    for (const Case& c :
         {Case{"a\nb\n", "Line:1/2 Col:0/1"}, Case{"a\nb", "Line:1/2 Col:0/1"}, Case{"a\n\n", "Line:1/2 Col:0/1"},
          Case{"a\r\nb\r\n", "Line:1/2 Col:0/1"}, Case{"", "Line:1/0 Col:0/0"}, Case{"\n", "Line:1/1 Col:0/0"}}) {
        ASSERT_TRUE(OpenBytes(c.bytes));
        EXPECT_EQ(CursorStatusText(*doc), c.status) << c.bytes;
    }
    ASSERT_TRUE(OpenBytes("a\nb\n"));
    motion.Down();
    motion.Down();
    EXPECT_EQ(CursorStatusText(*doc), "Line:3/2 Col:0/0");  // the cursor after the last line end
}

TEST_F(CursorTest, VerticalMovesReturnToThePreferredColumn)
{
    ASSERT_TRUE(OpenBytes("long line here\nab\nanother long line\n"));
    motion.End();
    EXPECT_EQ(doc->Selection().cursor.column, 14);
    motion.Down();
    EXPECT_EQ(doc->Selection().cursor.column, 2);
    motion.Down();
    EXPECT_EQ(doc->Selection().cursor.column, 14);
    EXPECT_EQ(doc->Text().CurrentIndex(), 2);
    EXPECT_EQ(CursorStatusText(*doc), "Line:3/3 Col:14/17");
}

TEST_F(CursorTest, SmartHomeGoesToTheIndentationFirst)
{
    ASSERT_TRUE(OpenBytes("   indented\n"));
    motion.End();
    motion.Home();
    EXPECT_EQ(doc->Selection().cursor.column, 3);
    motion.Home();
    EXPECT_EQ(doc->Selection().cursor.column, 0);
    motion.Home();
    EXPECT_EQ(doc->Selection().cursor.column, 3);
}

TEST_F(CursorTest, PagesAndDocumentEnds)
{
    std::string bytes;
    for (int i = 0; i < 100; ++i)
        bytes += "line " + std::to_string(i) + "\n";
    ASSERT_TRUE(OpenBytes(bytes));
    motion.PageDown();
    EXPECT_EQ(doc->Selection().cursor.line, 10);
    EXPECT_EQ(state.topLine, 10);
    motion.DocumentEnd();
    EXPECT_EQ(doc->Selection().cursor.line, 100);
    EXPECT_EQ(state.topLine, 85);  // fifteen lines of context above the cursor
    motion.PageDown();             // nothing on the last line
    EXPECT_EQ(doc->Selection().cursor.line, 100);
    motion.DocumentStart();
    EXPECT_EQ(doc->Selection().cursor.line, 0);
    EXPECT_EQ(state.topLine, 0);
    motion.ClickAt(5, 99);
    EXPECT_EQ(doc->Selection().cursor.line, 5);
    EXPECT_EQ(doc->Selection().cursor.column, 6);
    motion.GoToLine(50, -1);
    EXPECT_EQ(doc->Selection().cursor.line, 49);
    EXPECT_EQ(state.topLine, 34);  // fifteen lines of context above
}

TEST_F(CursorTest, CtrlArrowsMoveOverWords)
{
    ASSERT_TRUE(OpenBytes("gr\xFC\xDF_1 + x\n"));
    motion.WordRight();
    EXPECT_EQ(doc->Selection().cursor.column, 6);  // umlauts, sharp s, underscore and digits are word characters
    motion.WordRight();
    EXPECT_EQ(doc->Selection().cursor.column, 7);  // no word at the cursor: one character
    motion.End();
    motion.WordLeft();
    EXPECT_EQ(doc->Selection().cursor.column, 9);
    motion.WordLeft();
    EXPECT_EQ(doc->Selection().cursor.column, 8);
    doc->Selection().cursor.column = 6;
    motion.WordLeft();
    EXPECT_EQ(doc->Selection().cursor.column, 0);
}

TEST_F(CursorTest, SelectAllReachesTheEndOfTheLastLine)
{
    ASSERT_TRUE(OpenBytes("one\ntwo\nend"));
    motion.SelectAll();
    EXPECT_EQ(doc->Selection().anchor.line, 0);
    EXPECT_EQ(doc->Selection().anchor.column, 0);
    EXPECT_EQ(doc->Selection().cursor.line, 2);
    EXPECT_EQ(doc->Selection().cursor.column, 3);
    EXPECT_EQ(doc->SelectionStatusText(), "Lines: 2");
}

TEST_F(CursorTest, AnotherTabSizeKeepsTheCursorOnItsByte)
{
    ASSERT_TRUE(OpenBytes("\tx\n"));
    motion.End();
    EXPECT_EQ(doc->Selection().cursor.column, 4);  // tab size 3
    doc->ChangeTabSize(8);
    EXPECT_EQ(doc->Selection().cursor.column, 9);
    doc->ChangeTabSize(0);  // not a tab size: the default
    EXPECT_EQ(settings.tabSize, 3);
    EXPECT_EQ(doc->Selection().cursor.column, 4);
}

TEST(ScrollTest, AWheelNotchScrollsFiveLines)
{
    EXPECT_EQ(WheelLines(120), -5);
    EXPECT_EQ(WheelLines(-120), 5);
    EXPECT_EQ(WheelLines(240), -10);
    EXPECT_EQ(WheelLines(30), -5);  // a part of a notch, as fine wheels send, counts whole
    EXPECT_EQ(WheelLines(121), -10);
    EXPECT_EQ(WheelLines(0), 0);
}

TEST(ScrollTest, PageDownNearTheEndShowsTheLastPage)
{
    EXPECT_EQ(PageDownTop(0, 30, 40), 10);
    EXPECT_EQ(PageDownTop(0, 30, 20), 0);  // a short file does not scroll
    EXPECT_EQ(PageDownTop(0, 30, 100), 30);
    EXPECT_EQ(PageUpTop(10, 30), 0);
}

class RowCellsTest : public ::testing::Test {
protected:
    std::vector<Cell> Cells(const std::string& bytes)
    {
        RowOptions options;
        options.visible = &visible;
        options.viewControlChars = controlChars;
        return BuildRowCells(LineView(bytes), rules, table, options);
    }
    static std::string Glyphs(const std::vector<Cell>& cells)
    {
        std::string text;
        for (const Cell& cell : cells)
            text += static_cast<char>(cell.glyph);
        return text;
    }
    std::string visible = Settings::DefaultVisible();
    DisplayRules rules;
    ConversionTable table;
    bool controlChars = false;
};

TEST_F(RowCellsTest, TabsExpandToTheirStopAndTerminatorsAreNotDrawn)
{
    std::vector<Cell> cells = Cells("a\tb\r\n");
    EXPECT_EQ(Glyphs(cells), "a  b");
    for (const Cell& cell : cells)
        EXPECT_FALSE(cell.box);
}

// In a file of mixed line ends (its convention LF) a line ending in CR LF shows no red box for
// its CR; a CR that ends no line still shows one.
TEST_F(RowCellsTest, TheCrOfACrLfIsPartOfTheLineEndInAnLfText)
{
    rules.terminator = TerminatorKind::LF;
    std::vector<Cell> cells = Cells("two\r\n");
    EXPECT_EQ(Glyphs(cells), "two");
    cells = Cells("a\rb\r\r\n");
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_TRUE(cells[1].box && !cells[1].formatColour);
    EXPECT_TRUE(cells[3].box && !cells[3].formatColour);  // the first of two CRs ends nothing
    EXPECT_EQ(DisplayWidth(LineView("two\r\n"), rules), 3);
}

TEST_F(RowCellsTest, ControlCharactersShowTheirBoxesInTheFormatColour)
{
    controlChars = true;
    std::vector<Cell> cells = Cells("a\r\n");
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_TRUE(cells[1].box && cells[1].formatColour && cells[1].stored == 0x0D);
    EXPECT_TRUE(cells[2].box && cells[2].formatColour && cells[2].stored == 0x0A);
}

TEST_F(RowCellsTest, LoneCrAndUnusualBytesAreBoxedAlways)
{
    std::vector<Cell> cells = Cells("a\rb\xA0\xE9");
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_TRUE(cells[1].box);
    EXPECT_FALSE(cells[1].formatColour);
    EXPECT_TRUE(cells[3].box);  // 0xA0 is not drawn by default
    EXPECT_FALSE(cells[4].box);
    EXPECT_EQ(cells[4].glyph, 0xE9);
}

TEST_F(RowCellsTest, IgnoredFormatCodesMakeATabOneBoxedCell)
{
    rules.ignoreFormatCodes = true;
    std::vector<Cell> cells = Cells("a\tb");
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_TRUE(cells[1].box);
    EXPECT_FALSE(cells[1].formatColour);
    EXPECT_EQ(cells[1].stored, 9);
}

TEST_F(RowCellsTest, ATableShowsEveryByteAsItsDisplayCode)
{
    table.Entries() = {"84=E4", "05=09", "41=00"};
    table.Rebuild();
    rules.tab = table.Tab();
    std::vector<Cell> cells = Cells("\x84\x05x\x41");
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_EQ(cells[0].glyph, 0xE4);  // shown as a-umlaut
    EXPECT_EQ(cells[2].glyph, ' ');   // byte 5 is the tab now: a gap to the next stop
    EXPECT_EQ(cells[3].glyph, 'x');
    EXPECT_TRUE(cells[4].box);  // an entry of 0: not drawn, boxed with the stored byte
    EXPECT_EQ(cells[4].stored, 0x41);
}

TEST_F(RowCellsTest, Utf8CharactersFillTheirCellsAndNothingIsHidden)
{
    rules.utf8 = true;
    // "ö", a wide "日" over two cells, "e" with a combining acute, "œ" (whose code page 1252 code
    // the Visible setting hides), a lone lead byte and a C1 control.
    std::vector<Cell> cells = Cells("\xC3\xB6\xE6\x97\xA5"
                                    "e\xCC\x81\xC5\x93\xC3x\xC2\x85\n");
    ASSERT_EQ(cells.size(), 9u);
    EXPECT_EQ(cells[0].glyph, U'\u00F6');
    EXPECT_EQ(cells[0].length, 2u);
    EXPECT_TRUE(cells[1].wide);
    EXPECT_EQ(cells[1].glyph, U'\u65E5');
    EXPECT_EQ(cells[2].glyph, U' ');  // the right half of the wide character
    EXPECT_EQ(cells[2].byte, 2u);
    EXPECT_TRUE(cells[3].marks);
    EXPECT_EQ(cells[3].length, 3u);
    EXPECT_EQ(cells[4].glyph, U'\u0153');
    EXPECT_TRUE(cells[5].box);
    EXPECT_EQ(cells[5].stored, 0xC3);
    EXPECT_EQ(cells[6].glyph, U'x');
    EXPECT_TRUE(cells[7].box && cells[8].box);  // U+0085 shows its two bytes
    EXPECT_EQ(cells[8].stored, 0x85);
    // A byte-order mark takes no cell.
    EXPECT_EQ(Glyphs(Cells("\xEF\xBB\xBFok")), "ok");
}

TEST_F(CursorTest, TypedCharactersGoThroughTheInputTable)
{
    ASSERT_TRUE(OpenBytes("x"));
    doc->Charset().Entries() = {"84=E4"};
    doc->Charset().Rebuild();
    TextEditing editing(*doc, state);
    editing.InsertChar(0xE4);
    EXPECT_EQ(Lines()[0], "\x84x");
}

}  // namespace
}  // namespace quill::test
