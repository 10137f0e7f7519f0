// The automaton that picks the lines an expression may match in: never a line the expression
// matches left out, on random expressions of the supported syntax against random texts.
#include "support/TestScale.h"
#include <gtest/gtest.h>

#include <numeric>
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
    // ASCII, two-byte letters in both cases, the Kelvin sign (lower case "k"), a combining accent,
    // three- and four-byte characters, and bytes that are no character.
    static const std::vector<std::string> alphabet{"a",        "b",
                                                   "A",        "B",
                                                   "1",        " ",
                                                   "\t",       ".",
                                                   "-",        "_",
                                                   "\xc3\xa9", "\xc3\x89",
                                                   "\xff",     "\r",
                                                   "\\",       "]",
                                                   "k",        "\xe2\x84\xaa",
                                                   "\xcc\x81", "\xe4\xb8\xad",
                                                   "\xcf\x83", "\xf0\x9f\x98\x80",
                                                   "\xc3"};
    std::vector<std::string> lines;
    for (int l = 0, n = 1 + static_cast<int>(random() % 40); l < n; ++l) {
        std::string line;
        for (int k = 0, m = static_cast<int>(random() % 14); k < m; ++k)
            line += random() % 50 ? alphabet[random() % alphabet.size()] : std::string(1, '\0');
        lines.push_back(line + (crlf ? "\r\n" : "\n"));
    }
    if (random() % 2)
        lines.back().erase(lines.back().find_last_not_of("\r\n") + 1);  // a last line without its end
    return lines;
}

// Whether the automaton claims to be exact on the line: no NUL, and on bytes ASCII only, on
// characters none longer than it spells exactly.
bool ExactOn(const ExpressionPrefilter& prefilter, const std::string& line, bool utf8)
{
    if (!prefilter.Exact() || line.find('\0') != std::string::npos)
        return false;
    const int longest = std::accumulate(line.begin(), line.end(), 1, [](int most, char c) {
        const auto b = static_cast<unsigned char>(c);
        return std::max(most, b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4);
    });
    return longest == 1 || (utf8 && longest <= prefilter.ExactLength());
}

TEST(ExpressionPrefilterTest, NoLineTheExpressionMatchesIsLeftOut)
{
    std::mt19937 random(2026);
    ExpressionMaker maker(random);
    int made = 0, tried = 0, exactLines = 0, exactBeyondAscii = 0;
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
        const auto prefilter = ExpressionPrefilter::Make(pattern, matchCase, utf8, dollar, crlf);
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
                // Where it is exact, the automaton alone tells whether the line's content (the line
                // without its end) holds a match.
                std::string content = lines[i].substr(0, lines[i].find_last_not_of('\n') + 1);
                if (crlf && content.ends_with('\r'))
                    content.pop_back();
                if (ExactOn(*prefilter, content, utf8)) {
                    ++exactLines;
                    exactBeyondAscii += std::any_of(content.begin(), content.end(), [](char c) { return c & 0x80; });
                    ASSERT_EQ(CandidateLines(*prefilter, {content}).count(0) == 1, LineMatches(*expression, content))
                        << "pattern " << pattern << " case " << matchCase << " utf8 " << utf8 << " line '" << content
                        << "'";
                }
            }
        }
    }
    // Most expressions of the grammar are taken: the test would prove nothing otherwise.
    EXPECT_GT(made, tried / 2) << made << " of " << tried;
    EXPECT_GT(exactLines, Rounds(3000) * 10);
    EXPECT_GT(exactBeyondAscii, Rounds(3000)) << "lines beyond ASCII the automaton is exact on";
}

TEST(ExpressionPrefilterTest, OnUtf8TextsTheAutomatonReadsCharactersAsTheExpressionDoes)
{
    // The expression takes "é" as one character, the automaton sees bytes: "a.b" spans three of
    // them, "é" folds to "É" without a byte in common, "\W" takes an arrow of three bytes, the
    // Kelvin sign is a "k" to a case-blind expression, a combining accent is a word character.
    // The lines that do not match are no candidates: lines beyond ASCII no longer all go to the
    // expression.
    struct Case {
        const char* pattern;
        bool matchCase;
        std::vector<std::string> matching;
        std::vector<std::string> others;
    };
    const Case cases[] = {
        {"a.b",
         true,
         {"xa\xc3\xa9"
          "b\n",
          "a\xf0\x9f\x98\x80"
          "b\n"},
         {"a\xc3\xa9\xc3\xa9"
          "b\n",
          "ab\n"}},
        {"\xc3\xa9", false, {"\xc3\x89\n"}, {"e\n", "\xc3\xa8\n"}},
        // "\W" of all scripts is spelt as every character beyond ASCII: the expression decides there.
        {"x\\Wy", true, {"x\xe2\x86\x92y\n", "x-y\n"}, {"xay\n"}},
        {"a[^a]z", true, {"a\xc3\xa9z\n"}, {"a\xc3\xa9\xc3\xa9z\n"}},
        {"m\xc3\xbcller", false, {"M\xc3\x9cLLER\n", "x m\xc3\xbcller\n"}, {"muller\n", "m\xc3\xb6ller\n"}},
        {"J.rg", true, {"J\xc3\xb6rg\n", "Jorg\n"}, {"J\xc3\xb6\xc3\xb6rg\n", "j\xc3\xb6rg\n"}},
        {"[\xc3\xa4\xc3\xb6\xc3\xbc]\\w+",
         true,
         {"\xc3\xbc"
          "ber\n",
          "\xc3\xa4\xc3\xa9\n"},
         {"\xc3\xa9t\xc3\xa9\n", "\xc3\xbc.\n"}},
        {"\\w+@\\w+", true, {"j\xc3\xb6rg@b\xc3\xa4r\n", "\xe4\xb8\xad@a\n"}, {"\xc3\xa9 @ \xc3\xa9\n"}},
        {"ok", false, {"o\xe2\x84\xaa\n"}, {"o\xc3\xa9\n"}},
    };
    for (const Case& c : cases) {
        const SearchExpression expression(WithPerlLineEnd(c.pattern), c.matchCase, true);
        const auto prefilter = ExpressionPrefilter::Make(c.pattern, c.matchCase, true);
        ASSERT_NE(prefilter, nullptr) << c.pattern;
        for (const std::string& line : c.matching) {
            ASSERT_TRUE(LineMatches(expression, line)) << c.pattern << " " << line;
            EXPECT_EQ(CandidateLines(*prefilter, {line}).count(0), 1u) << c.pattern << " " << line;
        }
        for (const std::string& line : c.others) {
            ASSERT_FALSE(LineMatches(expression, line)) << c.pattern << " " << line;
            EXPECT_EQ(CandidateLines(*prefilter, {line}).count(0), 0u) << c.pattern << " " << line;
        }
    }
}

TEST(ExpressionPrefilterTest, TheRewritingDropsAssertionsAndRefusesWhatItDoesNotKnow)
{
    // Assertions are dropped; bytes are spelt out.
    EXPECT_EQ(AutomatonPattern("^ab$"), "(?:)ab(?:)");
    EXPECT_EQ(AutomatonPattern("\\bx\\>"), "(?:)x(?:)");
    EXPECT_EQ(AutomatonPattern("a.b"), "a[^\\x0a\\x0c]b");
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
