// Bracket matching as the view frames it.
#include <gtest/gtest.h>

#include "search/BracketMatch.h"
#include "support/DocumentFixture.h"

namespace quill::test {
namespace {

class BracketMatchTest : public DocumentFixture {
protected:
    // Texts of brackets and quotes alone look binary to the load: shown as text here.
    bool Open(const std::string& bytes)
    {
        if (!OpenBytes(bytes))
            return false;
        if (doc->BinaryMode())
            doc->SwitchBinaryMode();
        return true;
    }
    BracketMatch At(LineIndex line, Column column)
    {
        doc->cursorLine = line;
        doc->cursorColumn = column;
        doc->Text().SetCurrentLine(line);
        return MatchBracket(*doc);
    }
};

TEST_F(BracketMatchTest, PartnersAtTheSameDepthAcrossLinesAndPastQuotes)
{
    ASSERT_TRUE(Open("f(a[1], \")\", ')')\n{\n  x(y)\n}\n"));
    BracketMatch match = At(0, 1);  // the "(" after f
    EXPECT_EQ(match.line, 0);
    EXPECT_EQ(match.column, 16);  // the quoted ")" do not count
    match = At(0, 16);
    EXPECT_EQ(match.column, 1);
    match = At(0, 3);
    EXPECT_EQ(match.column, 5);
    match = At(1, 0);
    EXPECT_EQ(match.line, 3);
    EXPECT_EQ(match.column, 0);
    EXPECT_FALSE(At(2, 0).Found());  // no bracket under the cursor
    ASSERT_TRUE(Open("\t(x)\n"));
    EXPECT_EQ(At(0, 3).column, 5);  // display columns after a tab
}

TEST_F(BracketMatchTest, TheSearchEndsAfterTwoHundredLinesAndInBinaryMode)
{
    std::string text = "(\n";
    for (int i = 0; i < 198; ++i)
        text += "\n";
    ASSERT_TRUE(Open(text + ")\n"));
    EXPECT_TRUE(At(0, 0).Found());  // line 199 is the last one looked at
    ASSERT_TRUE(Open(text + "\n)\n"));
    EXPECT_FALSE(At(0, 0).Found());
    doc->SwitchBinaryMode();
    EXPECT_FALSE(At(0, 0).Found());
}

TEST_F(BracketMatchTest, AnEscapedQuoteDoesNotCloseTheQuotedStretch)
{
    ASSERT_TRUE(Open("(\"\\\")\")\n"));
    EXPECT_EQ(At(0, 0).column, 6);
}

}  // namespace
}  // namespace quill::test
