// How bytes of a line map to display cells under the document's current modes. This is the one
// place that knows it: tabs, UTF-8 characters (one or two cells, combining marks joining the
// character before) and bytes that are no character (one cell each, shown as a hex box).
#pragma once

#include <cstdint>

#include "text/LineView.h"
#include "text/TextTypes.h"

namespace quill {

/// The modes and special bytes that column arithmetic depends on. The special bytes are the
/// stored codes that the active conversion table shows as CR, LF, FF and TAB.
struct DisplayRules {
    int tabSize = 3;
    bool ignoreFormatCodes = false;
    bool binaryMode = false;
    /// The text is UTF-8 (no conversion table): a well-formed sequence is one character.
    bool utf8 = false;
    TerminatorKind terminator = TerminatorKind::CRLF;
    std::uint8_t cr = kCR;
    std::uint8_t lf = kLF;
    std::uint8_t ff = kFF;
    std::uint8_t tab = kTab;
};

/// The bytes that take their cells together: a character with the combining marks after it, a
/// tab, or one byte.
struct CellUnit {
    std::uint32_t length = 1;     ///< bytes
    std::uint32_t own = 1;        ///< bytes of the first character; the rest are marks drawn on it
    std::int64_t nextColumn = 0;  ///< the column after the unit's cells
    char32_t character = 0;       ///< the (first) character; 0 for a byte that is no character
    int cells = 1;                ///< cells of the character itself (the tab's gap is nextColumn)
};

/// The unit that starts at byte i, its first cell at column. A zero-width character at the start
/// of a line (a byte-order mark) takes no cell at all.
CellUnit UnitAt(LineView line, std::uint32_t i, std::int64_t column, const DisplayRules& rules);

/// Index of the first byte of the unit whose cells contain column (the length when column lies
/// beyond the line). Every cursor and selection position is such a unit start.
std::uint32_t ColumnToIndex(LineView line, std::int64_t column, const DisplayRules& rules);
/// Column at which the unit holding byte index starts (the width of the line for its length).
std::int64_t IndexToColumn(LineView line, std::uint32_t index, const DisplayRules& rules);
/// Index of the unit start at or before byte index.
std::uint32_t UnitStart(LineView line, std::uint32_t index, const DisplayRules& rules);

/// Columns of a line up to its terminator (the first LF, FF, or CR LF in CR LF mode; the whole
/// line with ignored format codes).
std::int64_t DisplayWidth(LineView line, const DisplayRules& rules);

/// The columns a line takes with each byte of its terminator as one column more: what the widest
/// line of a text counts (for the horizontal scroll range).
std::int64_t ColumnsWithTerminator(LineView line, const DisplayRules& rules);
/// The same where `bound` is known to be at least that (the line's bytes with tab stops, or more):
/// the line is measured only when the bound exceeds `widest`, since it cannot be the widest
/// otherwise. The widest of the two.
std::int64_t WidestWith(std::int64_t widest, std::int64_t bound, LineView line, const DisplayRules& rules);

/// Number of bytes before the terminator, by the same rule as DisplayWidth.
std::uint32_t ContentLength(LineView line, const DisplayRules& rules);

}  // namespace quill
