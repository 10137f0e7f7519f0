// How a text's bytes are cut into display lines, kept so that the same cut can be put back.
#pragma once

#include <cstdint>
#include <vector>

#include "text/TextTypes.h"

namespace quill {

class TextStore;

/// The length of every display line in order. A re-cut (another wrap width, wrapping switched,
/// a structure with its own line length) moves no byte, only the places where lines end; edits
/// recorded before it name lines of the old cut, so Undo puts that cut back first. Lengths are
/// kept in 7-bit groups (one byte for most lines of a log), since a text may have tens of millions.
class LineCut {
public:
    static LineCut Of(const TextStore& text);

    bool operator==(const LineCut& other) const = default;
    LineIndex LineCount() const { return count_; }
    std::size_t MemoryBytes() const { return bytes_.capacity(); }

    /// Cuts the bytes of the store into lines of these lengths. The store must hold the same
    /// bytes as the text this cut was taken of. Lines that begin and end where they did stay as
    /// they are; the others borrow from the load blocks where their bytes lie in one stretch of
    /// them, or get bytes of their own. Watchers hear of every line put in and taken out.
    void Apply(TextStore& text) const;

private:
    class Reader;
    void Add(std::uint32_t length);

    std::vector<std::uint8_t> bytes_;
    LineIndex count_ = 0;
};

}  // namespace quill
