// The one reader of the expression syntax: every expression is spelt back exactly, and its items
// are what the automaton, the required literal and the line-end rewrite take them for.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "search/ExpressionSyntax.h"
#include "search/LineExpression.h"
#include "support/TestScale.h"

namespace quill::test {
namespace {

using Kind = ExpressionNode::Kind;

// The items of the expression's only branch.
const std::vector<ExpressionNode>& Items(const ExpressionSyntax& syntax)
{
    return syntax.root.children.front().children;
}

TEST(ExpressionSyntaxTest, EveryExpressionIsSpeltBackAsItWasWritten)
{
    // Broken and odd expressions too: what the reader does not know it keeps as it stands.
    const std::string alphabet = "ab.$^|()[]{}\\?*+-:=!<>'#QEPx1,9dwbk\xc3\xa9";
    std::mt19937 random(11);
    for (int round = 0; round < Rounds(20000); ++round) {
        std::string pattern;
        for (int k = 0, n = static_cast<int>(random() % 14); k < n; ++k)
            pattern += alphabet[random() % alphabet.size()];
        for (const bool utf8 : {false, true})
            ASSERT_EQ(ExpressionSyntax::Read(pattern, utf8).Spelling(), pattern) << pattern;
    }
}

TEST(ExpressionSyntaxTest, ItemsAreReadAsTheLibraryReadsThem)
{
    {
        const ExpressionSyntax quoted = ExpressionSyntax::Read("\\Qa.b\\E+x");
        ASSERT_TRUE(quoted.wellFormed);
        const ExpressionNode& quote = Items(quoted).front();
        ASSERT_EQ(quote.kind, Kind::Sequence);  // "\Q", a, ".", b+ (the quantifier repeats b)
        ASSERT_EQ(quote.children.size(), 4u);
        EXPECT_EQ(quote.children[2].bytes, ".");
        EXPECT_EQ(quote.children[3].kind, Kind::Repeat);
        EXPECT_EQ(quote.children[3].least, 1);
    }
    {
        const ExpressionSyntax groups = ExpressionSyntax::Read("(?<n>a)(?:b)(?i)(?<=c)(?#$)");
        const auto& items = Items(groups);
        ASSERT_EQ(items.size(), 5u);
        EXPECT_EQ(items[0].group, ExpressionNode::GroupKind::Named);
        EXPECT_EQ(items[1].group, ExpressionNode::GroupKind::NonCapturing);
        EXPECT_EQ(items[2].group, ExpressionNode::GroupKind::Other);
        EXPECT_EQ(items[3].group, ExpressionNode::GroupKind::Lookaround);
        EXPECT_EQ(items[4].kind, Kind::Verbatim);
    }
    {
        const ExpressionSyntax repeats = ExpressionSyntax::Read("a{2,5}?b{3,}+c{,2}");
        const auto& items = Items(repeats);
        EXPECT_EQ(items[0].most, 5);
        EXPECT_EQ(items[0].Quantifier(), "{2,5}");
        EXPECT_EQ(items[1].mode, ExpressionNode::RepeatMode::Possessive);
        EXPECT_EQ(items[1].most, -1);
        EXPECT_EQ(items[3].kind, Kind::Unknown);  // "{,2}" is no quantifier
    }
    {
        const ExpressionSyntax utf8 = ExpressionSyntax::Read("\xc3\xa9*", true);
        ASSERT_EQ(Items(utf8).size(), 1u);
        EXPECT_EQ(Items(utf8)[0].children[0].bytes, "\xc3\xa9");
        EXPECT_EQ(Items(ExpressionSyntax::Read("\xc3\xa9*", false)).size(), 2u);
    }
    const ExpressionSyntax escapes = ExpressionSyntax::Read("\\x{263A}\\t\\.\\1\\d\\b");
    const auto& items = Items(escapes);
    EXPECT_EQ(items[0].code, 0x263A);
    EXPECT_EQ(items[1].code, '\t');
    EXPECT_EQ(items[2].bytes, ".");
    EXPECT_EQ(items[3].kind, Kind::Unknown);
    EXPECT_EQ(items[4].kind, Kind::ClassEscape);
    EXPECT_EQ(items[5].kind, Kind::Assertion);
    for (const char* broken : {"(a", "a)", "[ab", "a\\", "(?#x"})
        EXPECT_FALSE(ExpressionSyntax::Read(broken).wellFormed) << broken;
}

TEST(ExpressionSyntaxTest, TheLineEndRewriteTouchesOnlyAnchorsAndDots)
{
    EXPECT_EQ(WithPerlLineEnd("a.$"), "a[^\\n\\f](?=\\n?\\z)");
    EXPECT_EQ(WithPerlLineEnd("(?i)a$", true), "(?i)a(?=\\r?\\n?\\z)");
    // Not in brackets, quotes, comments or escapes.
    for (const char* kept : {"[.$]", "[[:alpha:].]", "[]$]", "\\Q.$\\E", "(?#.$)", "\\.\\$", "[^]$]"})
        EXPECT_EQ(WithPerlLineEnd(kept), kept) << kept;
}

}  // namespace
}  // namespace quill::test
