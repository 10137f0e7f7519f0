// Display widths of lines.
#include "text/DisplayRules.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/CharacterProperties.h"
#include "common/Utf8.h"

namespace quill {

namespace {

constexpr char32_t kByteOrderMark = 0xFEFF;

bool ExpandsTabs(const DisplayRules& rules) { return !rules.ignoreFormatCodes && !rules.binaryMode; }

// The character at p when it is well formed and drawn as a character: C1 controls (U+0080 to
// U+009F) stay bytes, shown as boxes like any other control code.
std::size_t CharacterLength(const unsigned char* p, const unsigned char* end, char32_t& character)
{
    const std::size_t length = Utf8SequenceLength(p, end);
    if (length == 0)
        return 0;
    character = DecodeUtf8(p, length);
    return character < 0xA0 ? 0 : length;
}

// Plain ASCII that is not a tab stop and has no mark after it (every mark begins with a byte
// from CC on) takes one cell: the common case, decided without decoding.
bool SimpleCell(LineView line, std::uint32_t i, const DisplayRules& rules, bool tabs)
{
    const std::uint8_t b = line.ByteAt(i);
    return b < 0x80 && !(tabs && b == rules.tab) && line.ByteAt(i + 1) < 0xCC;
}

// Whether every byte of the line takes one cell: no tab that jumps to a stop and, in UTF-8, no
// byte above 127. Most lines of most files; told at the speed of memchr.
bool EveryByteOneCell(LineView line, const DisplayRules& rules)
{
    const char* p = line.Bytes();
    const std::uint32_t n = line.Length();
    if (ExpandsTabs(rules) && std::memchr(p, rules.tab, n) != nullptr)
        return false;
    return !rules.utf8 || AsciiPrefix(p, p + n) == n;
}

// Where a walk over a line's units stopped: the unit's first byte and its column.
struct WalkEnd {
    std::uint32_t index;
    std::int64_t column;
};

// Walks the units of a line from its start until stop(first byte, length, column after it) says
// so; the line's length and width when it never does.
template <class Stop> WalkEnd Walk(LineView line, const DisplayRules& rules, Stop stop)
{
    const bool tabs = ExpandsTabs(rules);
    std::int64_t column = 0;
    for (std::uint32_t i = 0; i < line.Length();) {
        std::uint32_t length = 1;
        std::int64_t next = column + 1;
        if (!SimpleCell(line, i, rules, tabs)) {
            const CellUnit unit = UnitAt(line, i, column, rules);
            length = unit.length;
            next = unit.nextColumn;
        }
        if (stop(i, length, next))
            return {i, column};
        column = next;
        i += length;
    }
    return {line.Length(), column};
}

}  // namespace

CellUnit UnitAt(LineView line, std::uint32_t i, std::int64_t column, const DisplayRules& rules)
{
    const auto* p = reinterpret_cast<const unsigned char*>(line.Bytes());
    const auto* end = p + line.Length();
    const std::uint8_t b = p[i];
    CellUnit unit;
    unit.nextColumn = column + 1;
    if (b == rules.tab && ExpandsTabs(rules)) {
        unit.nextColumn = NextTabStop(column, rules.tabSize);
        return unit;
    }
    unit.character = b;
    if (!rules.utf8)
        return unit;
    if (b >= 0x80) {
        char32_t c = 0;
        const std::size_t length = CharacterLength(p + i, end, c);
        if (length == 0) {
            unit.character = 0;
            return unit;
        }
        unit.character = c;
        unit.length = unit.own = static_cast<std::uint32_t>(length);
        unit.cells = CharacterCells(c);
        if (unit.cells == 0)  // a mark with nothing to join: its own cell, a byte-order mark none
            unit.cells = i == 0 && c == kByteOrderMark ? 0 : 1;
        unit.nextColumn = column + unit.cells;
    } else if (i + 1 >= line.Length() || p[i + 1] < 0xCC) {
        return unit;  // ASCII with no mark after it (every mark begins with a byte from CC on)
    }
    // The marks after it draw in its cells.
    for (char32_t mark = 0;;) {
        if (p + i + unit.length >= end || !MayBeginZeroWidth(p[i + unit.length]))
            break;
        const std::size_t next = CharacterLength(p + i + unit.length, end, mark);
        if (next == 0 || CharacterCells(mark) != 0)
            break;
        unit.length += static_cast<std::uint32_t>(next);
    }
    return unit;
}

std::uint32_t ColumnToIndex(LineView line, std::int64_t column, const DisplayRules& rules)
{
    if ((!rules.utf8 && !ExpandsTabs(rules)) || EveryByteOneCell(line, rules))
        return static_cast<std::uint32_t>(std::min<std::int64_t>(std::max<std::int64_t>(column, 0), line.Length()));
    return Walk(line, rules, [column](std::uint32_t, std::uint32_t, std::int64_t next) { return next > column; }).index;
}

std::int64_t IndexToColumn(LineView line, std::uint32_t index, const DisplayRules& rules)
{
    if ((!rules.utf8 && !ExpandsTabs(rules)) || EveryByteOneCell(line, rules))
        return std::min(index, line.Length());
    return Walk(line, rules,
                [index](std::uint32_t i, std::uint32_t length, std::int64_t) { return i + length > index; })
        .column;
}

std::uint32_t UnitStart(LineView line, std::uint32_t index, const DisplayRules& rules)
{
    if (!rules.utf8)
        return std::min(index, line.Length());
    return Walk(line, rules,
                [index](std::uint32_t i, std::uint32_t length, std::int64_t) { return i + length > index; })
        .index;
}

std::uint32_t ContentLength(LineView line, const DisplayRules& rules)
{
    if (rules.ignoreFormatCodes)
        return line.Length();
    // A CR right before an LF ends the line whatever the text's convention: in a file of mixed
    // line ends it belongs to its LF, not to the text. Most bytes are none of the three codes:
    // those above the highest are passed over with one compare.
    const std::uint8_t top = std::max({rules.lf, rules.ff, rules.cr});
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(line.Bytes());
    const std::uint32_t n = line.Length();
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t b = bytes[i];
        if (b > top)
            continue;
        if (b == rules.lf || b == rules.ff)
            return i;
        if (b == rules.cr && i + 1 < n && bytes[i + 1] == rules.lf)
            return i;
    }
    return n;
}

std::int64_t DisplayWidth(LineView line, const DisplayRules& rules)
{
    const std::uint32_t end = ContentLength(line, rules);
    return IndexToColumn(LineView(line.Bytes(), end), end, rules);
}

std::int64_t ColumnsWithTerminator(LineView line, const DisplayRules& rules)
{
    return DisplayWidth(line, rules) + (line.Length() - ContentLength(line, rules));
}

std::int64_t WidestWith(std::int64_t widest, std::int64_t bound, LineView line, const DisplayRules& rules)
{
    return bound <= widest ? widest : std::max(widest, ColumnsWithTerminator(line, rules));
}

}  // namespace quill
