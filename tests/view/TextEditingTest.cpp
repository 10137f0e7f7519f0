// Typing, line breaks, Backspace and Delete as a user does them, with undo.
#include <gtest/gtest.h>

#include "support/DocumentFixture.h"
#include "view/TextEditing.h"

namespace quill::test {
namespace {

using LineList = std::vector<std::string>;

class TextEditingTest : public DocumentFixture {
protected:
    void At(LineIndex line, Column column)
    {
        doc->Selection().cursor.line = line;
        doc->Selection().cursor.column = doc->Selection().preferredColumn = column;
        doc->Text().SetCurrentLine(line);
    }
    void Type(const std::string& text)
    {
        for (char ch : text)
            editing.InsertChar(static_cast<std::uint8_t>(ch));
    }
    ViewState state{0, 0, 20, 80};
    TextEditing editing{*doc, state};
};

TEST_F(TextEditingTest, ARunOfLettersIsUndoneInOneStepAndABlankStartsANewOne)
{
    ASSERT_TRUE(OpenBytes("ab\r\n"));
    At(0, 1);
    doc->Model().RaiseUndoGroup();  // as the cursor key before typing does
    Type("xyz");
    EXPECT_EQ(Lines()[0], "axyzb\r\n");
    EXPECT_EQ(doc->Selection().cursor.column, 4);
    Type(" uv");
    EXPECT_EQ(Lines()[0], "axyz uvb\r\n");
    doc->Undo();
    EXPECT_EQ(Lines()[0], "axyzb\r\n");
    EXPECT_EQ(doc->Selection().cursor.column, 4);
    doc->Undo();
    EXPECT_EQ(Lines()[0], "ab\r\n");
    EXPECT_EQ(doc->Selection().cursor.column, 1);
}

TEST_F(TextEditingTest, EnterSplitsTheLineWithItsIndentation)
{
    ASSERT_TRUE(OpenBytes("  indented text\r\nnext\r\n"));
    At(0, 11);
    editing.InsertChar(kCR);
    EXPECT_EQ(Lines(), (LineList{"  indented \r\n", "  text\r\n", "next\r\n", ""}));
    EXPECT_EQ(doc->Selection().cursor.line, 1);
    EXPECT_EQ(doc->Selection().cursor.column, 2);
    settings.autoIndent = 0;
    editing.InsertChar(kCR);
    EXPECT_EQ(Lines()[2], "text\r\n");
    EXPECT_EQ(doc->Selection().cursor.column, 0);
    doc->Undo();
    doc->Undo();
    EXPECT_EQ(Lines(), (LineList{"  indented text\r\n", "next\r\n", ""}));
}

TEST_F(TextEditingTest, CtrlEnterInsertsAFormFeedAndBreaksTheLine)
{
    ASSERT_TRUE(OpenBytes("page one page two"));
    At(0, 9);
    editing.InsertChar(kLF);
    EXPECT_EQ(Lines(), (LineList{"page one \f", "page two"}));
}

TEST_F(TextEditingTest, BackspaceAtColumnZeroJoinsWithTheLineAbove)
{
    ASSERT_TRUE(OpenBytes("l0\r\nl1\r\nl2\r\nl3\r\nfour\r\nfive\r\n"));
    At(5, 0);
    editing.Backspace();
    EXPECT_EQ(Lines()[4], "fourfive\r\n");
    EXPECT_EQ(doc->Selection().cursor.line, 4);
    EXPECT_EQ(doc->Selection().cursor.column, 4);
    editing.Backspace();
    EXPECT_EQ(Lines()[4], "foufive\r\n");
    doc->Undo();
    EXPECT_EQ(Lines()[4], "four\r\n");
    EXPECT_EQ(Lines()[5], "five\r\n");
}

TEST_F(TextEditingTest, DeleteRemovesACharacterOrJoinsTheNextLine)
{
    ASSERT_TRUE(OpenBytes("a\tb\nc\n"));
    At(0, 1);
    editing.Delete();  // the whole tab at once
    EXPECT_EQ(Lines()[0], "ab\n");
    At(0, 2);
    editing.Delete();
    EXPECT_EQ(Lines(), (LineList{"abc\n", ""}));
    doc->Undo();
    EXPECT_EQ(Lines(), (LineList{"ab\n", "c\n", ""}));
}

TEST_F(TextEditingTest, OverwriteReplacesButNeverTheTerminator)
{
    ASSERT_TRUE(OpenBytes("abc\r\n"));
    doc->SetOverwriteMode(true);
    At(0, 1);
    Type("XYZ");
    EXPECT_EQ(Lines()[0], "aXYZ\r\n");
    editing.Backspace();
    EXPECT_EQ(Lines()[0], "aXY \r\n");
}

TEST_F(TextEditingTest, TypingAtTheWrapColumnCarriesTheWordToTheNextLine)
{
    ASSERT_TRUE(OpenBytes("aaaa bbbb"));
    settings.maxLineLen = 10;
    settings.wordWrap = 1;
    doc->Reflow(-1);
    At(0, 9);
    Type("b");  // the line is full: its last word goes on, and the cursor with it
    EXPECT_EQ(Lines(), (LineList{"aaaa ", "bbbbb"}));
    EXPECT_EQ(doc->Selection().cursor.line, 1);
    EXPECT_EQ(doc->Selection().cursor.column, 5);
    Type("c");
    EXPECT_EQ(Lines(), (LineList{"aaaa ", "bbbbbc"}));
    EXPECT_EQ(doc->Selection().cursor.column, 6);
}

TEST_F(TextEditingTest, DeletingANormalSelectionJoinsItsEnds)
{
    ASSERT_TRUE(OpenBytes("first line\nmiddle\nlast line\n"));
    doc->Selection().anchor.line = 2;
    doc->Selection().anchor.column = 5;
    At(0, 6);
    editing.InsertChar('X');
    EXPECT_EQ(Lines(), (LineList{"first Xline\n", ""}));
    EXPECT_EQ(doc->Selection().cursor.column, 7);
    EXPECT_FALSE(doc->Selection().Active());
    doc->Undo();
    EXPECT_EQ(Lines(), (LineList{"first line\n", "middle\n", "last line\n", ""}));
}

}  // namespace
}  // namespace quill::test
