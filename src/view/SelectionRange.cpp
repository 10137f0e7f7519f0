// Selection geometry.
#include "view/SelectionRange.h"

#include <algorithm>

#include "document/Document.h"

namespace quill {

SelectionRange SelectionRange::Of(const Document& doc, bool block)
{
    SelectionRange range;
    if (!doc.HasSelection())
        return range;
    range.block = block;
    range.upper = std::min(doc.anchorLine, doc.cursorLine);
    range.lower = std::max(doc.anchorLine, doc.cursorLine);
    if (block) {
        // A block keeps its width across short lines: the cursor side is its preferred column.
        range.left = std::min(doc.anchorColumn, doc.preferredColumn);
        range.right = std::max(doc.anchorColumn, doc.preferredColumn);
        return range;
    }
    const bool anchorFirst =
        doc.anchorLine < doc.cursorLine || (doc.anchorLine == doc.cursorLine && doc.anchorColumn < doc.cursorColumn);
    range.left = anchorFirst ? doc.anchorColumn : doc.cursorColumn;
    range.right = anchorFirst ? doc.cursorColumn : doc.anchorColumn;
    return range;
}

}  // namespace quill
