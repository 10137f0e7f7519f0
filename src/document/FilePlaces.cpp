// Converting places between file lines and display lines.
#include "document/FilePlaces.h"

#include <algorithm>

#include "document/Document.h"

namespace quill {

LinePlace FilePlaceOf(const Document& doc, LinePlace shown)
{
    const FileLineIndex& lines = doc.FileLines();
    const LineIndex rows = doc.Text().LineCount();
    if (shown.line >= rows)  // a bookmark beyond a text that shrank keeps its distance from the end
        return {lines.FileLineCount() + (shown.line - rows), shown.column};
    LinePlace file{lines.FileLineOf(shown.line), shown.column};
    for (LineIndex row = shown.line; lines.Continues(row); --row)
        file.column += doc.DisplayWidth(row - 1);
    return file;
}

LinePlace ShownPlaceOf(const Document& doc, LinePlace file)
{
    const FileLineIndex& lines = doc.FileLines();
    const LineIndex count = lines.FileLineCount();
    if (file.line >= count)
        return {doc.Text().LineCount() + (file.line - count), file.column};
    LinePlace shown{lines.FirstRowOf(std::max<LineIndex>(file.line, 0)), std::max<std::int64_t>(file.column, 0)};
    // A column at the very end of a display line is the start of the next one, where typing goes on.
    while (lines.Continues(shown.line + 1)) {
        const std::int64_t width = doc.DisplayWidth(shown.line);
        if (shown.column < width)
            break;
        shown.column -= width;
        ++shown.line;
    }
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
