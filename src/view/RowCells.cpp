// Laying out a row's cells.
#include "view/RowCells.h"

#include "charset/ConversionTable.h"

namespace quill {

namespace {

// Index after the text proper: trailing LF bytes, and CR bytes in CR LF mode, are not drawn.
std::uint32_t DrawnLength(LineView line, const DisplayRules& rules)
{
    std::uint32_t end = line.Length();
    const bool crlf = rules.terminator == TerminatorKind::CRLF;
    while (end > 0) {
        std::uint8_t b = line.ByteAt(end - 1);
        if (b != rules.lf && !(crlf && b == rules.cr))
            break;
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
    return b == rules.cr && rules.terminator == TerminatorKind::CRLF && i + 1 < line.Length() &&
           line.ByteAt(i + 1) == rules.lf;
}

}  // namespace

std::vector<Cell> BuildRowCells(LineView line, const DisplayRules& rules, const ConversionTable& table,
                                const RowOptions& options)
{
    std::vector<Cell> cells;
    const std::uint32_t drawn = DrawnLength(line, rules);
    std::int64_t column = 0;
    for (std::uint32_t i = 0; i < line.Length() && cells.size() < RowOptions::kMaxCells; ++i) {
        const std::uint8_t stored = line.ByteAt(i);
        // A table entry of 0 leaves the byte undrawn; without a table byte 0 is never drawn either.
        const std::uint8_t code = table.IsActive() ? table.DisplayEntry(stored) : stored;
        const bool glyph = code != 0 && options.visible && (*options.visible)[code] == '1';
        const bool format = IsFormatCode(line, i, rules);
        const bool box = !glyph && !(format && !options.viewControlChars);
        if (i >= drawn && !box)
            continue;
        const bool tabGap = stored == rules.tab && !rules.ignoreFormatCodes;
        const std::int64_t width = tabGap ? NextTabStop(column, rules.tabSize) - column : 1;
        cells.push_back({glyph ? code : std::uint8_t(' '), stored, box, format, i});
        for (std::int64_t k = 1; k < width; ++k)
            cells.push_back({' ', 0, false, false, i});
        column += width;
    }
    if (cells.size() > RowOptions::kMaxCells)
        cells.resize(RowOptions::kMaxCells);
    return cells;
}

}  // namespace quill
