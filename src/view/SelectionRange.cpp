// Selection geometry.
#include "view/SelectionRange.h"

#include <algorithm>

#include "document/Document.h"

namespace quill {

SelectionRange SelectionRange::Of(const Document& doc, bool block)
{
    SelectionRange range;
    if (!doc.Selection().Active())
        return range;
    range.block = block;
    range.upper = std::min(doc.Selection().anchor.line, doc.Selection().cursor.line);
    range.lower = std::max(doc.Selection().anchor.line, doc.Selection().cursor.line);
    if (block) {
        // A block keeps its width across short lines: the cursor side is its preferred column.
        range.left = std::min(doc.Selection().anchor.column, doc.Selection().preferredColumn);
        range.right = std::max(doc.Selection().anchor.column, doc.Selection().preferredColumn);
        return range;
    }
    const bool anchorFirst = doc.Selection().anchor.line < doc.Selection().cursor.line ||
                             (doc.Selection().anchor.line == doc.Selection().cursor.line &&
                              doc.Selection().anchor.column < doc.Selection().cursor.column);
    range.left = anchorFirst ? doc.Selection().anchor.column : doc.Selection().cursor.column;
    range.right = anchorFirst ? doc.Selection().cursor.column : doc.Selection().anchor.column;
    return range;
}

}  // namespace quill
