// Display widths of lines.
#include "document/DisplayRules.h"

namespace quill {

std::uint32_t ContentLength(LineView line, const DisplayRules& rules)
{
    if (rules.ignoreFormatCodes)
        return line.Length();
    const bool crlf = rules.terminator == TerminatorKind::CRLF;
    for (std::uint32_t i = 0; i < line.Length(); ++i) {
        std::uint8_t b = line.ByteAt(i);
        if (b == rules.lf || b == rules.ff)
            return i;
        if (crlf && b == rules.cr && line.ByteAt(i + 1) == rules.lf && i + 1 < line.Length())
            return i;
    }
    return line.Length();
}

std::int64_t DisplayWidth(LineView line, const DisplayRules& rules)
{
    const std::uint32_t end = ContentLength(line, rules);
    if (rules.ignoreFormatCodes || rules.binaryMode)
        return end;
    std::int64_t col = 0;
    for (std::uint32_t i = 0; i < end; ++i)
        col = line.ByteAt(i) == rules.tab ? NextTabStop(col, rules.tabSize) : col + 1;
    return col;
}

}  // namespace quill
