// Bracket matching as the view frames it.
#include <gtest/gtest.h>

#include "search/BracketMatch.h"
#include "support/DocumentFixture.h"

namespace quill::test {
namespace {

class BracketMatchTest : public DocumentFixture {
protected:
    BracketMatch At(LineIndex line, Column column)
    {
        PutCursor(line, column);
        return MatchBracket(*doc);
    }
};

TEST_F(BracketMatchTest, PartnersAtTheSameDepthAcrossLinesAndPastQuotes)
{
    ASSERT_TRUE(OpenAsText("f(a[1], \")\", ')')\n{\n  x(y)\n}\n"));
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
    ASSERT_TRUE(OpenAsText("\t(x)\n"));
    EXPECT_EQ(At(0, 3).column, 5);  // display columns after a tab
}

TEST_F(BracketMatchTest, TheSearchEndsAfterTwoHundredLinesAndInBinaryMode)
{
    std::string text = "(\n";
    for (int i = 0; i < 198; ++i)
        text += "\n";
    ASSERT_TRUE(OpenAsText(text + ")\n"));
    EXPECT_TRUE(At(0, 0).Found());  // line 199 is the last one looked at
    ASSERT_TRUE(OpenAsText(text + "\n)\n"));
    EXPECT_FALSE(At(0, 0).Found());
    doc->SwitchBinaryMode();
    EXPECT_FALSE(At(0, 0).Found());
}

TEST_F(BracketMatchTest, AnEscapedQuoteDoesNotCloseTheQuotedStretch)
{
    ASSERT_TRUE(OpenAsText("(\"\\\")\")\n"));
    EXPECT_EQ(At(0, 0).column, 6);
}

}  // namespace
}  // namespace quill::test
