// The fixed part of an expression: what the search may look for before running the expression.
#include <gtest/gtest.h>

#include <boost/regex.hpp>
#include <random>
#include <string>

#include "search/LineExpression.h"
#include "search/RequiredLiteral.h"

namespace quill::test {
namespace {

TEST(RequiredLiteralTest, TheLongestRunOfPlainCharacters)
{
    EXPECT_EQ(RequiredLiteral("ERROR \\[[a-z]+\\] pay"), "ERROR [");
    EXPECT_EQ(RequiredLiteral("[0-9]{4}-x"), "-x");
    EXPECT_EQ(RequiredLiteral("colou?r"), "colo");
    EXPECT_EQ(RequiredLiteral("ab+c"), "ab");
    EXPECT_EQ(RequiredLiteral("a{2}bc"), "bc");
    EXPECT_EQ(RequiredLiteral("x*yz"), "yz");
    EXPECT_EQ(RequiredLiteral("a\\d+bc$"), "bc");
    EXPECT_EQ(RequiredLiteral("[]x]yz(a|b)"), "yz");
    EXPECT_EQ(RequiredLiteral("[[:alpha:]]+ end"), " end");
    EXPECT_EQ(RequiredLiteral("1\\.5"), "1.5");
    // Quoted characters are plain, and a quantifier after the quote repeats its last one.
    EXPECT_EQ(RequiredLiteral("\\Qa.b\\E"), "a.b");
    EXPECT_EQ(RequiredLiteral("x\\Qa.b\\E?c"), "xa.");
    // An escape of a value ends a run without spoiling the rest; groups that only group are atoms.
    EXPECT_EQ(RequiredLiteral("\\x41BC"), "BC");
    EXPECT_EQ(RequiredLiteral("(?:a|b)cd(?>e)"), "cd");
    // On characters a repeated character of several bytes may be missing whole, not half.
    EXPECT_EQ(RequiredLiteral("ab\xc3\xa9*", true), "ab");
    EXPECT_EQ(RequiredLiteral("ab\xc3\xa9+", true), "ab\xc3\xa9");
    // What the reader does not understand for sure gives nothing.
    for (const char* unsure : {"ab|cd", "(?i)abc", "x(a(?i)b)yz", "(ab)\\1x", "a{,2}b", "\\k<n>", "(", "ab(?#c)"})
        EXPECT_EQ(RequiredLiteral(unsure), "") << unsure;
}

// Random expressions from pieces: whenever one matches, the match holds the fixed part.
TEST(RequiredLiteralTest, EveryMatchHoldsTheFixedPart)
{
    const std::vector<std::string> pieces = {
        "a", "b",    "ab",     "c",   ".",    "[ab]",    "a?",   "b*",  "c+",       "(ab|c)",   "\\d",   "^",
        "$", "x{2}", "b{0,1}", "\\.", "[^a]", "(?:a|b)", "\\bb", "a+?", "\\Qa.\\E", "\\Qb\\E+", "\\x61", "(?>ab)"};
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round) {
        std::string pattern;
        for (int k = 0, n = 1 + static_cast<int>(random() % 6); k < n; ++k)
            pattern += pieces[random() % pieces.size()];
        const std::string literal = RequiredLiteral(pattern);
        const boost::regex expression(WithPerlLineEnd(pattern), boost::regex::perl);
        for (int s = 0; s < 20; ++s) {
            std::string subject;
            for (int k = 0, n = static_cast<int>(random() % 12); k < n; ++k)
                subject += "abcx.1 "[random() % 7];
            boost::smatch match;
            if (boost::regex_search(subject, match, expression, LineMatchFlags(true))) {
                EXPECT_NE(match.str().find(literal), std::string::npos) << pattern << " on " << subject;
            }
        }
    }
}

TEST(RequiredLiteralTest, DollarMatchesAtTheEndOrBeforeTheFinalLineFeedOnly)
{
    const auto ends = [](const std::string& pattern, const std::string& subject) {
        return boost::regex_search(subject, boost::regex(WithPerlLineEnd(pattern), boost::regex::perl),
                                   LineMatchFlags(true));
    };
    EXPECT_TRUE(ends("ok$", "it is ok\n"));
    EXPECT_TRUE(ends("ok$", "it is ok"));
    EXPECT_FALSE(ends("ok$", "it is ok\r\n"));  // the CR is a character like any other
    EXPECT_FALSE(ends("ok$", "ok\fthen\n"));
    EXPECT_TRUE(ends("[$]x", "a$x"));  // inside brackets, escaped or quoted "$" is a character
    EXPECT_TRUE(ends("\\$x", "a$x"));
    EXPECT_TRUE(ends("\\Q$\\Ex", "a$x"));
    EXPECT_TRUE(ends("[[:alpha:]$]x", "$x"));
}

}  // namespace
}  // namespace quill::test
