// The automaton that picks the lines an expression may match in: never a line the expression
// matches left out, on random expressions of the supported syntax against random texts.
#include "support/TestScale.h"
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "search/AutomatonPattern.h"
#include "search/ExpressionPrefilter.h"
#include "search/LineExpression.h"
#include "search/RandomExpressions.h"
#include "search/SearchExpression.h"

namespace quill::test {
namespace {

// The lines of a text whose bytes the automaton reports a possible end in.
std::set<std::size_t> CandidateLines(const ExpressionPrefilter& prefilter, const std::vector<std::string>& lines)
{
    std::string text;
    std::vector<std::size_t> ends;
    for (const std::string& line : lines) {
        text += line;
        ends.push_back(text.size());
    }
    std::set<std::size_t> candidates;
    ExpressionPrefilter::Scratch scratch(prefilter);
    bool failed = false;
    prefilter.Scan(
        text.data(), text.data() + text.size(), scratch, failed, [&](const ExpressionPrefilter::Report& report) {
            if (report.kind != ExpressionPrefilter::Kind::Unsure)
                candidates.insert(
                    static_cast<std::size_t>(std::upper_bound(ends.begin(), ends.end(), report.to - 1) - ends.begin()));
            return false;
        });
    EXPECT_FALSE(failed);
    return candidates;
}

// Whether the expression matches a line as the search gives it: terminator included, up to a NUL.
// Lines the library gives up on (too complex) count as matched nowhere.
bool LineMatches(const SearchExpression& expression, const std::string& line, const std::string& pattern = {})
{
    const std::string subject = line.substr(0, line.find('\0'));
    boost::smatch found;
    try {
        if (!expression.Search(subject.cbegin(), subject.cbegin(), subject.cend(), found, LineMatchFlags(true)))
            return false;
    } catch (const std::runtime_error&) {
        return false;
    }
    EXPECT_GT(found.length(), 0) << "an expression the automaton takes matched the empty string: " << pattern << " in '"
                                 << line << "' at " << found.position();
    return true;
}

std::vector<std::string> RandomLines(std::mt19937& random, bool crlf)
{
    const std::string alphabet("abAB1 \t.-_\xc3\xa9\xc3\x89\xff\r\\]", 19);
    std::vector<std::string> lines;
    for (int l = 0, n = 1 + static_cast<int>(random() % 40); l < n; ++l) {
        std::string line;
        for (int k = 0, m = static_cast<int>(random() % 14); k < m; ++k)
            line += random() % 50 ? alphabet[random() % alphabet.size()] : '\0';
        lines.push_back(line + (crlf ? "\r\n" : "\n"));
    }
    if (random() % 2)
        lines.back().erase(lines.back().find_last_not_of("\r\n") + 1);  // a last line without its end
    return lines;
}

TEST(ExpressionPrefilterTest, NoLineTheExpressionMatchesIsLeftOut)
{
    std::mt19937 random(2026);
    ExpressionMaker maker(random);
    int made = 0, tried = 0;
    for (int round = 0; round < Rounds(3000); ++round) {
        const std::string pattern = (random() % 8 == 0 ? "(?i)" : "") + maker.Make();
        const bool matchCase = random() % 2, utf8 = random() % 2, crlf = random() % 3 == 0;
        std::optional<SearchExpression> expression;
        try {
            expression.emplace(WithPerlLineEnd(pattern, crlf), matchCase, utf8);
        } catch (const std::exception&) {
            continue;  // the library refuses it: nothing is searched
        }
        ++tried;
        // A final "$" is kept for texts whose lines all end with their line end, as these do.
        const FinalDollar dollar = random() % 2 ? FinalDollar::Dropped : (crlf ? FinalDollar::CrLf : FinalDollar::Lf);
        const auto prefilter = ExpressionPrefilter::Make(pattern, matchCase, utf8, dollar);
        if (!prefilter)
            continue;
        ++made;
        for (int text = 0; text < 4; ++text) {
            const std::vector<std::string> lines = RandomLines(random, crlf);
            const std::set<std::size_t> candidates = CandidateLines(*prefilter, lines);
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (LineMatches(*expression, lines[i], pattern)) {
                    ASSERT_TRUE(candidates.count(i)) << "pattern " << pattern << " case " << matchCase << " utf8 "
                                                     << utf8 << " line " << i << " '" << lines[i] << "'";
                }
            }
        }
    }
    // Most expressions of the grammar are taken: the test would prove nothing otherwise.
    EXPECT_GT(made, tried / 2) << made << " of " << tried;
}

TEST(ExpressionPrefilterTest, OnUtf8TextsALineWithCharactersBeyondAsciiIsAlwaysACandidate)
{
    // The expression takes "é" as one character, the automaton sees bytes: "a.b" spans three of
    // them, "é" folds to "É" without a byte in common, "\W" takes an arrow of three bytes.
    struct Case {
        const char* pattern;
        const char* line;
        bool matchCase;
    };
    for (const Case& c : {Case{"a.b",
                               "xa\xc3\xa9"
                               "b\n",
                               true},
                          Case{"\xc3\xa9", "\xc3\x89\n", false}, Case{"x\\Wy", "x\xe2\x86\x92y\n", true},
                          Case{"a[^a]z", "a\xc3\xa9z\n", true}}) {
        const SearchExpression expression(WithPerlLineEnd(c.pattern), c.matchCase, true);
        const auto prefilter = ExpressionPrefilter::Make(c.pattern, c.matchCase, true);
        ASSERT_NE(prefilter, nullptr) << c.pattern;
        ASSERT_TRUE(LineMatches(expression, c.line)) << c.pattern;
        EXPECT_EQ(CandidateLines(*prefilter, {c.line}).count(0), 1u) << c.pattern;
    }
}

TEST(ExpressionPrefilterTest, TheRewritingDropsAssertionsAndRefusesWhatItDoesNotKnow)
{
    // Assertions are dropped; bytes are spelt out.
    EXPECT_EQ(AutomatonPattern("^ab$"), "(?:)ab(?:)");
    EXPECT_EQ(AutomatonPattern("\\bx\\>"), "(?:)x(?:)");
    EXPECT_EQ(AutomatonPattern("a.b"), "a[\\x00-\\xff]b");
    EXPECT_EQ(AutomatonPattern("a+?b*+c{2,3}?"), "a+b*c{2,3}");
    EXPECT_EQ(AutomatonPattern("\\Q.*\\E"), "\\x2e\\x2a");
    EXPECT_EQ(AutomatonPattern("(x|y)"), "(?:x|y)");
    EXPECT_EQ(AutomatonPattern("[]a]"), "[\\x5d\\x61]");
    EXPECT_EQ(AutomatonPattern("[^a-c]"), "[^\\x61-\\x63]");
    // A negated class leaves no byte beyond ASCII out: "[^é]" takes the bytes of "ä".
    EXPECT_EQ(AutomatonPattern("[^\xc3\xa9]"), "[\\x00-\\xff]");
    // What the automaton might read differently, or cannot take as a superset.
    for (const char* refused : {"(a)\\1", "(?=a)b", "(?i)a", "\\p{L}", "a{,3}", "[[.a.]]", "\\h", "\\v", "\\la", "a**",
                                "(?<n>a)", "[a-\\d]", "[\\D]", "(a", "a)", "\\0", "\\cA", "\\"})
        EXPECT_FALSE(AutomatonPattern(refused).has_value()) << refused;
    // A leading "(?i)" is the automaton's case rule: "ERROR" and "Warn" lines are picked.
    const auto blind = ExpressionPrefilter::Make("(?i)error|warn", true, false);
    ASSERT_NE(blind, nullptr);
    EXPECT_EQ(CandidateLines(*blind, {"ERROR x\n", "ok\n", "a Warn\n"}), (std::set<std::size_t>{0, 2}));
    // A final "$" is the automaton's own where the lines allow it; elsewhere it is dropped.
    const auto kept = RewriteForAutomaton("a$|b$c|d\\d$", false, FinalDollar::CrLf);
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->pattern, "a\\r?$|b(?:)c|d[\\x30-\\x39\\x80-\\xff]\\r?$");
    EXPECT_TRUE(kept->keepsDollar);
    EXPECT_FALSE(kept->exact);
    EXPECT_EQ(AutomatonPattern("(a$)"), "(?:a(?:))");
    // Not after what may take a line end itself: the expression's "$" then stands after it.
    EXPECT_FALSE(RewriteForAutomaton("x\\s$", false, FinalDollar::Lf)->keepsDollar);
    EXPECT_TRUE(RewriteForAutomaton("x.$", false, FinalDollar::Lf)->keepsDollar);
    // An expression that may match the empty string picks every line: no automaton.
    for (const char* empty : {"a*", "^", "\\b", "(a|)", "x?$"})
        EXPECT_EQ(ExpressionPrefilter::Make(empty, true, false), nullptr) << empty;
}

}  // namespace
}  // namespace quill::test
