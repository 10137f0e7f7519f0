// Bracket matching.
#include "search/BracketMatch.h"

#include <cstring>

#include "document/Document.h"

namespace quill {

namespace {

constexpr LineIndex kLineLimit = 200;

char PartnerOf(char bracket)
{
    switch (bracket) {
    case '(': return ')';
    case '[': return ']';
    case '{': return '}';
    case ')': return '(';
    case ']': return '[';
    case '}': return '{';
    default: return 0;
    }
}

}  // namespace

BracketMatch MatchBracket(const Document& doc)
{
    BracketMatch match;
    const TextStore& text = doc.Text();
    if (doc.BinaryMode() || doc.Selection().cursor.line < 0 || doc.Selection().cursor.line >= text.LineCount())
        return match;
    const DisplayRules rules = doc.Rules();
    const ConversionTable& table = doc.Charset();
    const auto shown = [&table](LineView line, std::int64_t index) {
        return static_cast<char>(table.ToDisplay(line.ByteAt(index)));
    };
    const LineView start = text.Line(doc.Selection().cursor.line);
    const std::int64_t at = ColumnToIndex(start, doc.Selection().cursor.column, rules);
    if (at >= start.Length())
        return match;
    const char bracket = shown(start, at);
    const char partner = PartnerOf(bracket);
    if (!partner)
        return match;
    const bool forward = std::strchr("([{", bracket) != nullptr;
    const int step = forward ? 1 : -1;
    int depth = 0;
    char quote = 0;
    char previous = 0;  // the byte looked at before, in walking order forward; the one before in the line backward
    for (LineIndex line = doc.Selection().cursor.line;
         line >= 0 && line < text.LineCount() &&
         (forward ? line < doc.Selection().cursor.line + kLineLimit : line > doc.Selection().cursor.line - kLineLimit);
         line += step) {
        const LineView view = text.Line(line);
        std::int64_t index =
            line == doc.Selection().cursor.line ? at : (forward ? 0 : static_cast<std::int64_t>(view.Length()) - 1);
        for (; index >= 0 && index < view.Length(); index += step) {
            const char byte = shown(view, index);
            const char before = forward ? previous : (index > 0 ? shown(view, index - 1) : 0);
            previous = byte;
            if ((byte == '"' || byte == '\'') && before != '\\') {
                if (!quote)
                    quote = byte;
                else if (quote == byte)
                    quote = 0;
                continue;
            }
            if (quote)
                continue;
            if (byte == bracket) {
                ++depth;
            } else if (byte == partner && --depth == 0) {
                match.line = line;
                match.column = static_cast<Column>(IndexToColumn(view, static_cast<std::uint32_t>(index), rules));
                return match;
            }
        }
    }
    return match;
}

}  // namespace quill
