// Random regular expressions of the syntax the automaton's rewriting takes, and some it refuses,
// for the tests that compare the automaton's searches with the expression's.
#pragma once

#include <iterator>
#include <random>
#include <string>

namespace quill::test {

// Random expressions of the syntax the rewriting takes, and some it refuses.
class ExpressionMaker {
public:
    explicit ExpressionMaker(std::mt19937& random) : random_(random) {}

    std::string Make(int depth = 0)
    {
        std::string pattern;
        for (int k = 0, n = 1 + Pick(4); k < n; ++k)
            pattern += Item(depth);
        if (depth < 2 && Pick(6) == 0)
            pattern += "|" + Make(depth + 1);
        return pattern;
    }

private:
    int Pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

    std::string Item(int depth)
    {
        static const char* const kAtoms[] = {"a",
                                             "b",
                                             "A",
                                             "B",
                                             "1",
                                             " ",
                                             "\\.",
                                             "-",
                                             ".",
                                             "\\d",
                                             "\\w",
                                             "\\s",
                                             "\\W",
                                             "\\S",
                                             "\\D",
                                             "[ab]",
                                             "[^a ]",
                                             "[a-c]",
                                             "[[:alpha:]]",
                                             "[[:upper:]]",
                                             "[]a]",
                                             "[^]b]",
                                             "[a-]",
                                             "[\\d.]",
                                             "[\\t ]",
                                             "é",
                                             "[éa]",
                                             "[^é]",
                                             "\\x41",
                                             "\\x{e9}",
                                             "\\Q.a\\E",
                                             "\\t",
                                             "_",
                                             "\\r",
                                             "\\n",
                                             "\\xff",
                                             "[[:punct:]]",
                                             "[^[:space:]]",
                                             "\\\\",
                                             "k",
                                             "\xe2\x84\xaa",
                                             "[i-k]",
                                             "\xcf\x83",
                                             "[\xc3\xa0-\xc3\xbf]",
                                             "\xe4\xb8\xad",
                                             "[^\xc3\xa9k]",
                                             "\\x{1F600}",
                                             "[\\w\xc3\xa9]"};
        static const char* const kAssertions[] = {"^", "$", "\\b", "\\B", "\\<", "\\>", "\\A", "\\z", "\\Z"};
        static const char* const kRepeats[] = {"", "", "", "*", "+", "?", "{1,2}", "{2}", "{1,}", "+?", "*+", "??"};
        std::string item;
        const int kind = Pick(10);
        if (kind == 0)
            return kAssertions[Pick(std::size(kAssertions))];
        if (kind == 1 && depth < 2)
            item = std::string(Pick(2) ? "(" : "(?:") + Make(depth + 1) + ")";
        else
            item = kAtoms[Pick(std::size(kAtoms))];
        return item + kRepeats[Pick(std::size(kRepeats))];
    }

    std::mt19937& random_;
};

}  // namespace quill::test
