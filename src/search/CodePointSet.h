// A set of Unicode characters, and its spelling for an automaton that reads UTF-8 bytes.
#pragma once

#include <bitset>
#include <string>
#include <utility>
#include <vector>

namespace quill {

/// Characters as sorted, disjoint ranges of code points; surrogates are never members (they are
/// no characters of a UTF-8 text).
class CodePointSet {
public:
    static constexpr char32_t kLast = 0x10FFFF;

    void Add(char32_t from, char32_t to);
    void Add(char32_t c) { Add(c, c); }
    void Add(const CodePointSet& other);
    /// Every character that is not a member.
    CodePointSet Complement() const;
    bool Contains(char32_t c) const;
    bool Empty() const { return ranges_.empty(); }
    const std::vector<std::pair<char32_t, char32_t>>& Ranges() const { return ranges_; }

    /// The members below 128, as bytes.
    std::bitset<256> AsciiBytes() const;
    /// The members from 128 on, as alternatives of byte sequences in the automaton's syntax (its
    /// bytes written as they are, sequences that begin alike sharing their beginning), matching
    /// exactly the UTF-8 spelling of those characters; empty when there is none.
    std::string Utf8Alternatives() const;

private:
    std::vector<std::pair<char32_t, char32_t>> ranges_;
};

}  // namespace quill
