// One display line turned into the cells the view draws: glyphs, blanks and hex boxes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text/DisplayRules.h"
#include "text/LineView.h"

namespace quill {

class ConversionTable;

struct Cell {
    /// The character to draw; a blank for boxes, tab gaps and the right half of a wide character.
    char32_t glyph = ' ';
    std::uint8_t stored = 0;    ///< the file's byte, shown in a box as two hex digits
    bool box = false;           ///< draw the stored byte as a hex box
    bool formatColour = false;  ///< the box of a format code (TAB, LF, CR of CR LF, FF)
    bool wide = false;          ///< the glyph takes this cell and the next
    /// The character carries combining marks: it is drawn shaped, from the line's bytes
    /// [byte, byte + length).
    bool marks = false;
    std::uint32_t byte = 0;    ///< index of the line's byte this cell shows
    std::uint32_t length = 1;  ///< bytes of the character (with its marks) this cell shows
};

struct RowOptions {
    const std::string* visible = nullptr;  ///< 256 characters '0'/'1' by display code
    bool viewControlChars = false;
    static constexpr std::size_t kMaxCells = 100000;
};

/// The cells of a line, one per display column; the line's terminator only appears as boxes when
/// control characters are shown.
std::vector<Cell> BuildRowCells(LineView line, const DisplayRules& rules, const ConversionTable& table,
                                const RowOptions& options);

}  // namespace quill
