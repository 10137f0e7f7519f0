// Finding a short string in a long stretch of memory, fast, also when several byte values may
// stand for one character (case folding, conversion tables).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quill {

/// A pattern of fixed length whose position k accepts a set of byte values. Two positions with
/// few accepted values are compared 32 (or 16) bytes at a time; the few places where both fit are
/// then compared in full.
class LiteralScanner {
public:
    using ByteSet = std::array<bool, 256>;

    explicit LiteralScanner(std::vector<ByteSet> accepted);
    /// Byte for byte.
    static LiteralScanner Exact(std::string_view wanted);
    /// A byte x matches wanted[k] when fold[x] == wanted[k].
    static LiteralScanner Folded(std::string_view wanted, const std::array<std::uint8_t, 256>& fold);

    std::size_t Size() const { return accepted_.size(); }
    /// The first place in [from, end) where the whole pattern fits; null when there is none.
    const char* Find(const char* from, const char* end) const;
    /// Whether the pattern fits at p (Size() bytes must be readable there).
    bool MatchesAt(const char* p) const;

private:
    struct Anchor {
        std::size_t position = 0;
        std::vector<std::uint8_t> values;  ///< at most kMaxValues
    };
    static constexpr std::size_t kMaxValues = 4;

    const char* FindScalar(const char* from, const char* end) const;
    const char* FindVector(const char* from, const char* end) const;
    Anchor AnchorAt(std::size_t position) const;

    std::vector<ByteSet> accepted_;
    bool vectorised_ = false;
    Anchor first_;
    Anchor second_;
};

}  // namespace quill
