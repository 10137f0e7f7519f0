// The editor's cursor and selection as plain values: where typing goes, where a selection began,
// and the column that moving up and down aims for.
#pragma once

#include <cstdint>

#include "text/TextTypes.h"

namespace quill {

/// A place in the text: a line and a display column on it.
struct TextPosition {
    LineIndex line = 0;
    Column column = 0;

    friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

/// The cursor and the anchor of the selection. The selection is the text between the anchor and
/// the cursor, or the rectangle they span; an anchor column of -1 means that nothing is selected.
struct TextSelection {
    TextPosition cursor;
    TextPosition anchor{-1, -1};
    /// The column Up and Down aim for, kept across shorter lines.
    Column preferredColumn = 0;
    /// The bytes of a 1, 2 or 4 column selection read as a number (the status line shows it).
    std::uint32_t value = 0;
    /// The selection is the rectangle between anchor and cursor (Ctrl with the mouse or keys).
    bool block = false;

    bool Active() const { return anchor.column >= 0 && anchor != cursor; }
    void Clear() { anchor = {-1, -1}; }
};

}  // namespace quill
