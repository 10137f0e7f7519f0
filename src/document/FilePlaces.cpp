// Converting places between file lines and display lines.
#include "document/FilePlaces.h"

#include <algorithm>

#include "document/Document.h"

namespace quill {

namespace {

/// The column after the first `end` bytes of a display line that begins at `column` of its file
/// line. Only tabs depend on where the line begins.
std::int64_t ColumnAfter(LineView line, std::uint32_t end, std::int64_t column, const DisplayRules& rules)
{
    const LineView part(line.Bytes(), end);
    if (column == 0 || !part.Contains(rules.tab))
        return column + IndexToColumn(part, end, rules);
    for (std::uint32_t i = 0; i < end;) {
        const CellUnit unit = UnitAt(part, i, column, rules);
        column = unit.nextColumn;
        i += unit.length;
    }
    return column;
}

/// The end of the display line's text in the file line's columns.
std::int64_t EndColumn(const Document& doc, LineIndex row, std::int64_t column)
{
    const LineView line = doc.Text().Line(row);
    return ColumnAfter(line, ContentLength(line, doc.Rules()), column, doc.Rules());
}

}  // namespace

LinePlace FilePlaceOf(const Document& doc, LinePlace shown)
{
    const FileLineIndex& lines = doc.FileLines();
    const LineIndex rows = doc.Text().LineCount();
    if (shown.line >= rows)  // a bookmark beyond a text that shrank keeps its distance from the end
        return {lines.FileLineCount() + (shown.line - rows), shown.column};
    LineIndex first = shown.line;
    while (lines.Continues(first))
        --first;
    std::int64_t column = 0;
    for (LineIndex row = first; row < shown.line; ++row)
        column = EndColumn(doc, row, column);
    const LineView line = doc.Text().Line(shown.line);
    const std::uint32_t index = ColumnToIndex(line, std::max<std::int64_t>(shown.column, 0), doc.Rules());
    // A column beyond the line's text stays beyond it by as much.
    const std::int64_t beyond = std::max<std::int64_t>(0, shown.column - IndexToColumn(line, index, doc.Rules()));
    return {lines.FileLineOf(shown.line), ColumnAfter(line, index, column, doc.Rules()) + beyond};
}

LinePlace ShownPlaceOf(const Document& doc, LinePlace file)
{
    const FileLineIndex& lines = doc.FileLines();
    const LineIndex count = lines.FileLineCount();
    if (file.line >= count)
        return {doc.Text().LineCount() + (file.line - count), file.column};
    LinePlace shown{lines.FirstRowOf(std::max<LineIndex>(file.line, 0)), std::max<std::int64_t>(file.column, 0)};
    // A column at the very end of a display line is the start of the next one, where typing goes on.
    std::int64_t start = 0;
    for (std::int64_t end = 0; lines.Continues(shown.line + 1); ++shown.line, start = end) {
        end = EndColumn(doc, shown.line, start);
        if (shown.column < end)
            break;
    }
    const LineView line = doc.Text().Line(shown.line);
    if (start == 0 || !line.Contains(doc.Rules().tab)) {
        shown.column -= start;
        return shown;
    }
    // Tabs: the unit whose cells hold the column, counted from where the line begins.
    std::uint32_t i = 0;
    std::int64_t column = start;
    const std::uint32_t length = ContentLength(line, doc.Rules());
    while (i < length) {
        const CellUnit unit = UnitAt(line, i, column, doc.Rules());
        if (unit.nextColumn > shown.column)
            break;
        column = unit.nextColumn;
        i += unit.length;
    }
    const std::int64_t beyond = i < length ? 0 : shown.column - column;
    shown.column = IndexToColumn(line, i, doc.Rules()) + beyond;
    return shown;
}

void DocumentPlaces::ToStored(LineIndex& line, std::int64_t& column) const
{
    const LinePlace file = FilePlaceOf(doc_, {line, column});
    line = file.line;
    column = file.column;
}

void DocumentPlaces::ToShown(LineIndex& line, std::int64_t& column) const
{
    const LinePlace shown = ShownPlaceOf(doc_, {line, column});
    line = shown.line;
    column = shown.column;
}

}  // namespace quill
