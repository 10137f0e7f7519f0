// Laying out a row's cells.
#include "view/RowCells.h"

#include "charset/ConversionTable.h"
#include "common/Utf8.h"

namespace quill {

namespace {

// Index after the text proper: the trailing LF, and a CR before it, are not drawn as text. Further
// CR bytes (a CR CR LF) are drawn in a CR LF text only as part of its line end, as always.
std::uint32_t DrawnLength(LineView line, const DisplayRules& rules)
{
    std::uint32_t end = line.Length();
    const bool crlf = rules.terminator == TerminatorKind::CRLF;
    bool lfSeen = false;
    while (end > 0) {
        std::uint8_t b = line.ByteAt(end - 1);
        const bool crOfLineEnd = b == rules.cr && (crlf || (lfSeen && end == line.Length() - 1));
        if (b != rules.lf && !crOfLineEnd)
            break;
        lfSeen = lfSeen || b == rules.lf;
        --end;
    }
    return end;
}

bool IsFormatCode(LineView line, std::uint32_t i, const DisplayRules& rules)
{
    if (rules.ignoreFormatCodes)
        return false;
    std::uint8_t b = line.ByteAt(i);
    if (b == rules.tab || b == rules.lf || b == rules.ff)
        return true;
    // A CR before an LF is part of the line end in any text (mixed line ends included).
    return b == rules.cr && i + 1 < line.Length() && line.ByteAt(i + 1) == rules.lf;
}

// Whether a character has a glyph: the Visible setting decides for the characters up to U+00FF,
// whose codes it lists; every other character is drawn (the font's fallbacks find a face for it).
bool Drawn(char32_t character, const RowOptions& options)
{
    if (!options.visible)
        return false;
    return character >= 0x100 || (character != 0 && (*options.visible)[character] == '1');
}

}  // namespace

std::vector<Cell> BuildRowCells(LineView line, const DisplayRules& rules, const ConversionTable& table,
                                const RowOptions& options)
{
    std::vector<Cell> cells;
    const std::uint32_t drawn = DrawnLength(line, rules);
    std::int64_t column = 0;
    for (std::uint32_t i = 0; i < line.Length() && cells.size() < RowOptions::kMaxCells;) {
        const CellUnit unit = UnitAt(line, i, column, rules);
        const std::uint8_t stored = line.ByteAt(i);
        Cell cell;
        cell.stored = stored;
        cell.byte = i;
        cell.length = unit.length;
        if (rules.utf8 && stored >= 0x80) {
            // A character, or a byte that is none: always its box, so that nothing is hidden.
            const bool glyph = unit.character != 0 && Drawn(unit.character, options);
            cell.glyph = glyph ? unit.character : U' ';
            cell.box = !glyph;
            cell.wide = glyph && unit.cells == 2;
            cell.marks = glyph && unit.length > unit.own;
        } else {
            // A table entry of 0 leaves the byte undrawn; without a table byte 0 is never drawn either.
            const std::uint8_t code = table.IsActive() ? table.DisplayEntry(stored) : stored;
            const bool glyph = code != 0 && options.visible && (*options.visible)[code] == '1';
            const bool format = IsFormatCode(line, i, rules);
            cell.glyph = glyph ? Cp1252ToUnicode(code) : U' ';
            cell.box = !glyph && !(format && !options.viewControlChars);
            cell.formatColour = format;
            cell.marks = glyph && unit.length > unit.own;
            if (i >= drawn && !cell.box) {
                i += unit.length;
                continue;
            }
        }
        if (unit.nextColumn > column)
            cells.push_back(cell);
        for (std::int64_t k = column + 1; k < unit.nextColumn; ++k)
            cells.push_back({U' ', 0, false, false, false, false, i, unit.length});
        column = unit.nextColumn;
        i += unit.length;
    }
    if (cells.size() > RowOptions::kMaxCells)
        cells.resize(RowOptions::kMaxCells);
    return cells;
}

}  // namespace quill
