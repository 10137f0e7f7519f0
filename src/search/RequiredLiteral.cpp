// A small reader of the expression syntax that errs on the side of finding nothing: a wrong
// string would make a search miss lines, while no string only makes it slower.
#include "search/RequiredLiteral.h"

#include <cctype>
#include <cstring>
#include <optional>

namespace quill {

namespace {

class LiteralReader {
public:
    explicit LiteralReader(std::string_view pattern) : pattern_(pattern) {}

    std::string Read()
    {
        while (at_ < pattern_.size() && !failed_)
            Atom();
        EndRun();
        return failed_ ? std::string() : best_;
    }

private:
    // One atom and its quantifier: plain characters extend the current run, anything else ends it.
    void Atom()
    {
        const char c = pattern_[at_];
        std::optional<char> literal;
        switch (c) {
        case '\\': literal = Escape(); break;
        case '[': SkipClass(); break;
        case '(': SkipGroup(); break;
        case '.':
        case '^':
        case '$': ++at_; break;
        case '|':
        case ')':
        case ']':
        case '}':
        case '*':
        case '+':
        case '?':
        case '{':
            failed_ = true;  // alternatives, or syntax this reader leaves to the expression
            return;
        default: literal = c; ++at_;
        }
        if (failed_)
            return;
        const int least = Quantifier();
        if (!literal || least == 0) {
            EndRun();  // the atom may be missing or is not one fixed character
            return;
        }
        run_ += *literal;
        if (least > 0)
            EndRun();  // repeated: what follows need not come right after the first one
    }

    // A backslash sequence: an escaped punctuation character stands for itself; the classes and
    // assertions are atoms without a fixed character; anything else is left to the expression.
    std::optional<char> Escape()
    {
        if (at_ + 1 >= pattern_.size()) {
            failed_ = true;
            return std::nullopt;
        }
        const char d = pattern_[at_ + 1];
        at_ += 2;
        // The library gives these punctuation escapes meanings: word start and end, the
        // subject's start and end. They are assertions, no characters.
        if (std::strchr("<>`'", d) != nullptr)
            return std::nullopt;
        if (!std::isalnum(static_cast<unsigned char>(d)))
            return d;
        if (std::strchr("dDwWsSbBAzZGhHvV", d) == nullptr)
            failed_ = true;
        return std::nullopt;
    }

    // A bracket expression: "[" "^"? "]"? ... "]", with escapes and [:class:] inside.
    void SkipClass()
    {
        ++at_;
        if (at_ < pattern_.size() && pattern_[at_] == '^')
            ++at_;
        if (at_ < pattern_.size() && pattern_[at_] == ']')
            ++at_;
        while (at_ < pattern_.size() && pattern_[at_] != ']') {
            if (pattern_[at_] == '\\')
                ++at_;
            else if (pattern_[at_] == '[' && at_ + 1 < pattern_.size() && std::strchr(":.=", pattern_[at_ + 1])) {
                const std::size_t close = pattern_.find(']', at_ + 2);
                if (close == std::string_view::npos)
                    break;
                at_ = close;
            }
            ++at_;
        }
        if (at_ >= pattern_.size())
            failed_ = true;
        ++at_;
    }

    // A group is taken as one atom without a fixed character; "(?" and "(*" change how the rest is
    // read (options such as case), so they stop the reader.
    void SkipGroup()
    {
        if (at_ + 1 < pattern_.size() && (pattern_[at_ + 1] == '?' || pattern_[at_ + 1] == '*')) {
            failed_ = true;
            return;
        }
        int depth = 0;
        do {
            const char c = pattern_[at_];
            if (c == '\\')
                ++at_;
            else if (c == '[') {
                SkipClass();
                continue;
            } else if (c == '(')
                ++depth;
            else if (c == ')')
                --depth;
            ++at_;
        } while (depth > 0 && at_ < pattern_.size() && !failed_);
        if (depth > 0)
            failed_ = true;
    }

    // The quantifier after an atom: its least count, or -1 when there is none.
    int Quantifier()
    {
        if (at_ >= pattern_.size())
            return -1;
        int least = -1;
        const char c = pattern_[at_];
        if (c == '*' || c == '?') {
            least = 0;
            ++at_;
        } else if (c == '+') {
            least = 1;
            ++at_;
        } else if (c == '{') {
            least = Braces();
        }
        if (least >= 0 && at_ < pattern_.size() && (pattern_[at_] == '?' || pattern_[at_] == '+'))
            ++at_;  // lazy or possessive
        return least;
    }

    // "{n}", "{n,}" or "{n,m}": n, capped; anything else stops the reader.
    int Braces()
    {
        std::size_t k = at_ + 1;
        int least = 0;
        bool digits = false;
        for (; k < pattern_.size() && std::isdigit(static_cast<unsigned char>(pattern_[k])); ++k) {
            least = std::min(least * 10 + (pattern_[k] - '0'), 1000);
            digits = true;
        }
        if (k < pattern_.size() && pattern_[k] == ',')
            for (++k; k < pattern_.size() && std::isdigit(static_cast<unsigned char>(pattern_[k])); ++k) {
            }
        if (!digits || k >= pattern_.size() || pattern_[k] != '}') {
            failed_ = true;
            return -1;
        }
        at_ = k + 1;
        return least;
    }

    void EndRun()
    {
        if (run_.size() > best_.size())
            best_ = run_;
        run_.clear();
    }

    std::string_view pattern_;
    std::size_t at_ = 0;
    std::string run_;
    std::string best_;
    bool failed_ = false;
};

}  // namespace

std::string RequiredLiteral(std::string_view pattern) { return LiteralReader(pattern).Read(); }

std::string LongestAsciiRun(std::string_view literal)
{
    std::string_view best;
    for (std::size_t k = 0; k < literal.size();) {
        std::size_t end = k;
        while (end < literal.size() && static_cast<unsigned char>(literal[end]) < 0x80)
            ++end;
        if (end - k > best.size())
            best = literal.substr(k, end - k);
        k = end + 1;
    }
    return std::string(best);
}

}  // namespace quill
