// Scrolling rules.
#include "view/ViewState.h"

#include <algorithm>
#include <cstdlib>

#include "document/Document.h"

namespace quill {

bool EnsureCursorVisible(const Document& doc, ViewState& view, bool centre)
{
    bool changed = false;
    const LineIndex line = doc.Selection().cursor.line;
    const LineIndex count = doc.Text().LineCount();
    if (line < view.topLine || line > view.topLine + view.pageLines - 1 ||
        (centre && line > view.topLine + view.pageLines / 2)) {
        LineIndex top = std::max<LineIndex>(0, std::min(count - view.pageLines, std::max<LineIndex>(0, line - 15)));
        changed = top != view.topLine;
        view.topLine = top;
    }
    const std::int64_t column = doc.Selection().cursor.column;
    if (column < view.leftColumn || column > view.leftColumn + view.pageWidth) {
        std::int64_t longest = doc.Text().WidestLine();
        std::int64_t left = std::max<std::int64_t>(
            0, std::min(longest - view.pageWidth + 1, std::max<std::int64_t>(0, column - view.pageWidth / 2)));
        // A cursor beyond the widest line known (typed past it) must still come into view.
        if (column < left || column > left + view.pageWidth)
            left = std::max<std::int64_t>(0, column - view.pageWidth / 2);
        changed = changed || left != view.leftColumn;
        view.leftColumn = left;
    }
    return changed;
}

LineIndex PageDownTop(LineIndex top, LineIndex pageLines, LineIndex lineCount)
{
    LineIndex next = lineCount < top + 2 * pageLines ? lineCount - pageLines : top + pageLines;
    return next > 0 ? next : top;
}

LineIndex PageUpTop(LineIndex top, LineIndex pageLines) { return std::max<LineIndex>(0, top - pageLines); }

std::int64_t WheelLines(int delta)
{
    if (delta == 0)
        return 0;
    const std::int64_t notches = (std::abs(static_cast<std::int64_t>(delta)) - 1) / 120 + 1;
    return notches * 5 * (delta > 0 ? -1 : 1);
}

}  // namespace quill
