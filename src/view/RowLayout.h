// Everything the view draws for one row, without a toolkit: the cells with their text colours,
// the field backgrounds and whether a form feed was seen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text/TextTypes.h"
#include "view/FieldSpans.h"
#include "view/RowCells.h"

namespace quill {

class Document;
class ColouringEngine;

/// Colours of the row painter as 0xRRGGBB.
inline constexpr std::uint32_t kBookmarkTextColour = 0x800000;
inline constexpr std::uint32_t kFormatBoxColour = 0x4040A0;
inline constexpr std::uint32_t kOtherBoxColour = 0xA04040;
inline constexpr std::uint32_t kGreyBackground = 0x707070;

struct RowLayout {
    std::vector<Cell> cells;
    /// The line's bytes, kept when a character carries combining marks (drawn from them).
    std::string text;
    /// The text colour of each cell: 0xRRGGBB, or -1 for the window's text colour.
    std::vector<std::int32_t> colours;
    /// The field backgrounds, when a structure is active (the rest of the row is window colour).
    std::vector<FieldSpan> fields;
    bool structured = false;
    /// A form feed in the row, while format codes are interpreted: the view draws a line under it.
    bool formFeed = false;

    /// The colour of a cell's hex box.
    static std::uint32_t BoxColour(const Cell& cell) { return cell.formatColour ? kFormatBoxColour : kOtherBoxColour; }
};

/// Lays out a line of the document: its cells (as the settings' Visible and ViewControlChars
/// say), the text colours (black with ignored format codes, dark red on a bookmarked line, else
/// the syntax colours of the engine, which has coloured this line in full; none: window text) and
/// the structure's field backgrounds. printing: no bookmark colour.
RowLayout LayOutRow(Document& doc, LineIndex line, const ColouringEngine* engine, bool printing = false);

}  // namespace quill
