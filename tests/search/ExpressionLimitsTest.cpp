// Expressions at the edges: too complex to match, assertions the pre-check must not mistake for
// text, anchors at the ends of lines and fields, comments, and the counter at its limit.
#include <gtest/gtest.h>

#include "commands/Finder.h"
#include "commands/SearchCommands.h"
#include "search/RequiredLiteral.h"
#include "search/SearchOptions.h"
#include "support/DocumentFixture.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

class ExpressionLimitsTest : public DocumentFixture {
protected:
    void UseExpression(const std::string& text)
    {
        options.query.regex = true;
        options.query.text = text;
    }
    bool Told(const std::string& part) const
    {
        for (const std::string& text : prompter.Texts())
            if (text.find(part) != std::string::npos)
                return true;
        return false;
    }

    ViewState state{0, 0, 20, 80};
    SearchOptions options;
    SearchCommands commands{*doc, state, options};
    Finder search{*doc, state, options.query};
};

// "(a|aa)*b" on a long run of a's makes the library give up by throwing: every command says so,
// stops, and leaves the text as it was before it started. (The line has two places where a match
// may end, so that Count and the filters ask the expression too: with one, the automaton counts it.)
TEST_F(ExpressionLimitsTest, AnExpressionTooComplexToMatchStopsEveryCommandCleanly)
{
    const std::string text = "xb\nab\n" + std::string(40, 'a') + " c bb\nlast b\n";
    ASSERT_TRUE(OpenBytes(text));
    UseExpression("(a|aa)*b");

    EXPECT_EQ(commands.CountMatches(), 0);
    EXPECT_TRUE(Told("Expression too complex"));
    EXPECT_FALSE(Told("items found."));

    options.replacement = "#";
    EXPECT_EQ(commands.ReplaceText(false), 0);
    EXPECT_EQ(AllBytes(), text);  // the lines replaced before the fault are back
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(Told("items replaced."));

    for (int filter : {SearchOptions::kDeleteLines, SearchOptions::kExtractLines}) {
        options.lineFilter = filter;
        PutCursor(0, 0);
        EXPECT_EQ(commands.ApplyLineFilter(), 0);
        EXPECT_EQ(AllBytes(), text);
        EXPECT_FALSE(doc->IsModified());
    }
    EXPECT_FALSE(Told("No matching lines found!"));

    // Find Next tells it once and asks nothing about going on at the top.
    PutCursor(2, 0);
    EXPECT_FALSE(search.FindNext());
    PutCursor(3, 5);
    EXPECT_FALSE(search.FindPrevious());
    EXPECT_TRUE(prompter.ScriptDone());
}

TEST_F(ExpressionLimitsTest, ALineWithOneSureMatchIsCountedWithoutTheExpression)
{
    // The automaton finds exactly one match on an ASCII line: the count needs not ask the library,
    // which would give up on the run of a's before it.
    ASSERT_TRUE(OpenBytes("x\n" + std::string(40, 'a') + " c b\nb\n"));
    UseExpression("(a|aa)*b");
    EXPECT_EQ(commands.CountMatches(), 2);
    EXPECT_FALSE(Told("Expression too complex"));
}

TEST_F(ExpressionLimitsTest, ThePreCheckNeverSkipsALineThatMatches)
{
    // Boost reads \< \> \` \' as assertions, not as the characters.
    EXPECT_EQ(RequiredLiteral("foo\\> bar"), " bar");
    EXPECT_EQ(RequiredLiteral("\\<foo"), "foo");
    ASSERT_TRUE(OpenBytes("x\nfoo bar\n"));
    UseExpression("foo\\> bar");
    EXPECT_EQ(commands.CountMatches(), 1);
    UseExpression("\\`foo");
    EXPECT_EQ(commands.CountMatches(), 1);

    // The expression's limit is 100,000 bytes, not the plain search's columns: a line of tabs that
    // runs past column 100,000 is still found from the lines above it.
    ASSERT_TRUE(OpenAsText("first\n" + std::string(15000, '\t') + "xyz\n"));
    UseExpression("xyz");
    EXPECT_EQ(commands.CountMatches(), 1);
    PutCursor(0, 0);
    EXPECT_TRUE(search.FindForward(false));
    EXPECT_EQ(doc->Selection().cursor.line, 1);
}

TEST_F(ExpressionLimitsTest, LineEndsAnchorsAndComments)
{
    ASSERT_TRUE(OpenBytes("abcdef\nab\n"));
    // Backward from the middle of a line, "$" still means the line's end, not the cursor.
    UseExpression("c$");
    PutCursor(0, 3);
    EXPECT_FALSE(search.FindBackward());
    UseExpression("f$");
    PutCursor(0, 6);
    EXPECT_TRUE(search.FindBackward());
    EXPECT_EQ(doc->Selection().anchor.column, 5);
    UseExpression("b$");
    PutCursor(1, 2);
    EXPECT_TRUE(search.FindBackward());
    EXPECT_EQ(doc->Selection().cursor.line, 1);

    // A comment may hold any character; the "$" in it is no anchor.
    UseExpression("a(?#$)b");
    PutCursor(0, 0);
    EXPECT_EQ(commands.CountMatches(), 2);
    EXPECT_FALSE(Told("Expression error"));

    // An expression error is told, with no count after it.
    UseExpression("([a-");
    EXPECT_EQ(commands.CountMatches(), 0);
    EXPECT_EQ(prompter.Texts().back().rfind("Expression error", 0), 0u);
}

TEST_F(ExpressionLimitsTest, TheReplaceCounterWrapsAtItsLimit)
{
    ASSERT_TRUE(OpenBytes("x\nx\n"));
    options.query.text = "x";
    options.replacement = "\xB5"
                          "d";
    options.counterOn = true;
    options.counterStart = 2147483647;
    EXPECT_EQ(commands.ReplaceText(true), 2);
    EXPECT_EQ(AllBytes(), "2147483647\n-2147483648\n");
    ASSERT_TRUE(OpenBytes("x\nx\n"));
    UseExpression("x");
    EXPECT_EQ(commands.ReplaceText(true), 2);
    EXPECT_EQ(AllBytes(), "2147483647\n-2147483648\n");
}

}  // namespace
}  // namespace quill::test
