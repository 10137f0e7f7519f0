// Whole-text transformations and the selection and size texts of the status line.
#include <gtest/gtest.h>

#include "support/DocumentFixture.h"

namespace quill::test {
namespace {

using LineList = std::vector<std::string>;

class TransformTest : public DocumentFixture {
protected:
    void Select(LineIndex fromLine, Column fromColumn, LineIndex toLine, Column toColumn)
    {
        doc->Selection().anchor.line = fromLine;
        doc->Selection().anchor.column = fromColumn;
        doc->Selection().cursor.line = toLine;
        doc->Selection().cursor.column = doc->Selection().preferredColumn = toColumn;
        doc->Text().SetCurrentLine(toLine);
    }
};

TEST_F(TransformTest, TerminatorsConvertBothWaysInPlace)
{
    ASSERT_TRUE(OpenBytes("a\r\nb\rc\r\nlast"));
    prompter.Expect("Convert to LF only?", Answer::Yes);
    doc->ConvertTerminators();
    EXPECT_EQ(Lines(), (LineList{"a\n", "b\rc\n", "last"}));  // a CR before another byte stays
    EXPECT_EQ(doc->Text().Terminator(), TerminatorKind::LF);
    EXPECT_EQ(view.panes[StatusPane::LineEnds], "LF");
    EXPECT_EQ(doc->Text().FileSize(), doc->Text().SumOfLengths());
    EXPECT_FALSE(doc->Model().CanUndo());
    EXPECT_TRUE(doc->IsModified());

    prompter.Expect("Convert to CR+LF?", Answer::Yes);
    doc->ConvertTerminators();
    EXPECT_EQ(AllBytes(), "a\r\nb\rc\r\nlast");
    prompter.Expect("Convert to LF only?", Answer::No);
    doc->ConvertTerminators();
    EXPECT_EQ(AllBytes(), "a\r\nb\rc\r\nlast");
}

TEST_F(TransformTest, ConvertingAnLfTextToCrLfAndBackGivesTheSameBytes)
{
    const std::string text = "one\ntwo\n\nthree\n";
    ASSERT_TRUE(OpenBytes(text));
    prompter.Expect("Convert to CR+LF?", Answer::Yes);
    doc->ConvertTerminators();
    prompter.Expect("Convert to LF only?", Answer::Yes);
    doc->ConvertTerminators();
    EXPECT_EQ(AllBytes(), text);
}

TEST_F(TransformTest, TabsBecomeBlanksToTheNextStopAndBack)
{
    settings.tabSize = 3;
    ASSERT_TRUE(OpenBytes("\tx\na\ty\nno tabs\n"));
    doc->Model().RaiseUndoGroup();
    doc->TabsToSpaces();
    EXPECT_EQ(Lines(), (LineList{"   x\n", "a  y\n", "no tabs\n", ""}));
    EXPECT_EQ(doc->Model().UndoCount(), 2u);  // only the lines that changed

    doc->SpacesToTabs();
    EXPECT_EQ(Lines(), (LineList{"\tx\n", "a\ty\n", "no tabs\n", ""}));
    doc->Undo();  // both commands joined the group of the last user action
    EXPECT_EQ(Lines(), (LineList{"\tx\n", "a\ty\n", "no tabs\n", ""}));
    EXPECT_FALSE(doc->Model().CanUndo());
}

TEST_F(TransformTest, TrimLinesKeepsTheContentWithTheDocumentTerminator)
{
    ASSERT_TRUE(OpenBytes("keep \t\n  untouched\r\nplain\r\ntrail  \r\n"));
    Select(0, 0, 3, 2);
    doc->TrimLines();
    EXPECT_EQ(Lines(), (LineList{"keep\r\n", "  untouched\r\n", "plain\r\n", "trail\r\n", ""}));
    EXPECT_EQ(doc->Selection().cursor.line, 3);
    EXPECT_FALSE(doc->Selection().Active());
}

TEST_F(TransformTest, TheLastSelectedLineIsLeftOutWhenTheSelectionEndsAtColumnZero)
{
    ASSERT_TRUE(OpenBytes("a \r\nb \r\nc \r\n"));
    Select(2, 0, 0, 1);  // from below, ending at column 0 of line 2
    doc->TrimLines();
    EXPECT_EQ(Lines(), (LineList{"a\r\n", "b\r\n", "c \r\n", ""}));
}

TEST_F(TransformTest, ExtendLinesPadsWithBlanks)
{
    ASSERT_TRUE(OpenBytes("ab\r\nlonger than ten\r\n"));
    entry.answers = {"10"};
    Select(0, 0, 1, 3);
    doc->ExtendLines();
    EXPECT_EQ(entry.asked, std::vector<std::string>{"Characters|0"});
    EXPECT_EQ(Lines(), (LineList{"ab        \r\n", "longer than ten\r\n", ""}));
}

TEST_F(TransformTest, FixateWrappingWritesTheSoftEndsIntoTheText)
{
    ASSERT_TRUE(OpenBytes("aaaa bbbb cccc\n"));
    settings.maxLineLen = 10;
    settings.wordWrap = 1;
    doc->Reflow(-1);
    ASSERT_EQ(Lines(), (LineList{"aaaa bbbb ", "cccc\n", ""}));
    Select(0, 0, 1, 2);
    doc->FixateWrapping();
    EXPECT_EQ(Lines(), (LineList{"aaaa bbbb \n", "cccc\n", ""}));
}

TEST_F(TransformTest, SelectionCommandsNeedASelectionAndNoBinaryMode)
{
    ASSERT_TRUE(OpenBytes("x \n"));
    EXPECT_FALSE(doc->CanRunSelectionCommand());
    Select(0, 1, 0, 1);  // anchor on the cursor is no selection
    EXPECT_FALSE(doc->CanRunSelectionCommand());
    doc->TrimLines();
    EXPECT_EQ(Lines()[0], "x \n");
}

TEST_F(TransformTest, WrapLinesAtAsksForTheWidthAndSwitchesAFixedWidthOff)
{
    ASSERT_TRUE(OpenBytes("0123456789abcdef\n"));
    doc->Selection().cursor.column = 7;
    entry.answers = {"8"};
    doc->WrapLinesAt();
    EXPECT_EQ(entry.asked.back(), "Length|7");
    EXPECT_EQ(Lines(), (LineList{"01234567", "89abcdef\n", ""}));
    doc->WrapLinesAt();  // a width in force: switched off without asking
    EXPECT_EQ(entry.asked.size(), 1u);
    EXPECT_EQ(Lines(), (LineList{"0123456789abcdef\n", ""}));

    entry.answers = {"100001"};
    doc->WrapLinesAt();
    EXPECT_EQ(prompter.Texts().back(), "Valid range is 1-100000!");
    EXPECT_EQ(doc->Config().Get(Layout::MaxLineLen), 99000);
    doc->WrapLinesAt();  // cancelled
    EXPECT_EQ(doc->Config().Get(Layout::MaxLineLen), 99000);
}

TEST_F(TransformTest, WrapLinesAtLeavesTheWindowBorderEvenWhenCancelled)
{
    view.pageWidth = 23;
    ASSERT_TRUE(OpenBytes(std::string(200, 'w') + "\n"));
    doc->ToggleWrapAtWindowBorder();
    EXPECT_EQ(Lines()[0].size(), 20u);
    doc->WrapLinesAt();  // cancelled: the border wrapping is off all the same
    EXPECT_EQ(doc->Config().Get(Layout::WrapAtBorder), 0);
    EXPECT_EQ(Lines()[0].size(), 201u);
}

TEST_F(TransformTest, FindUndisplayableWrapsAroundAfterAsking)
{
    ASSERT_TRUE(OpenBytes(std::string("\x01") + "bc\n\tde\x7f\nfine\n"));
    EXPECT_TRUE(doc->FindUndisplayable());
    EXPECT_EQ(doc->Selection().cursor.line, 1);
    EXPECT_EQ(doc->Selection().cursor.column, 5);  // after the tab's three columns and "de"
    prompter.Expect("End of file reached!\nContinue search at top of file?", Answer::Ok);
    EXPECT_TRUE(doc->FindUndisplayable());
    EXPECT_EQ(doc->Selection().cursor.line, 0);
    EXPECT_EQ(doc->Selection().cursor.column, 0);
    prompter.Expect("End of file reached!\nContinue search at top of file?", Answer::Cancel);
    doc->Selection().cursor.line = 2;
    EXPECT_FALSE(doc->FindUndisplayable());
}

TEST_F(TransformTest, StatusTextsForSizeAndSelections)
{
    ASSERT_TRUE(OpenBytes(std::string(999, 'x')));
    EXPECT_EQ(view.panes[StatusPane::Selection], "Size: 999");
    ASSERT_TRUE(OpenBytes(std::string(1000, 'x')));
    EXPECT_EQ(view.panes[StatusPane::Selection], "Size: 1.000");

    ASSERT_TRUE(OpenBytes("\x12\x34\x56\x78\nsecond\n"));
    Select(0, 0, 0, 2);  // left to right: the cursor ends at the right
    EXPECT_EQ(doc->SelectionStatusText(), "3412=13330");
    Select(0, 2, 0, 0);
    EXPECT_EQ(doc->SelectionStatusText(), "1234=4660");
    EXPECT_EQ(doc->Selection().value, 4660u);
    Select(0, 1, 0, 0);
    EXPECT_EQ(doc->SelectionStatusText(), "12=18");
    Select(0, 4, 0, 0);
    EXPECT_EQ(doc->SelectionStatusText(), "12345678=305419896");
    Select(0, 0, 0, 3);
    EXPECT_EQ(doc->SelectionStatusText(), "Chars: 3");
    EXPECT_EQ(doc->Selection().value, 0u);
    Select(1, 0, 0, 2);
    EXPECT_EQ(doc->SelectionStatusText(), "Lines: 1");
    doc->Selection().block = true;  // a rectangle over both lines takes both
    EXPECT_EQ(doc->SelectionStatusText(), "Lines: 2");
}

}  // namespace
}  // namespace quill::test
