// The lines and columns a selection covers, as drawing, deleting and copying see them.
#pragma once

#include "text/TextTypes.h"

namespace quill {

class Document;

struct SelectionRange {
    LineIndex upper = 0;
    LineIndex lower = -1;
    /// Normal selection: the column on the upper line and on the lower line. Block selection: the
    /// smaller and the larger of the anchor column and the cursor's preferred column.
    Column left = 0;
    Column right = 0;
    bool block = false;

    bool Empty() const { return lower < upper; }
    LineIndex Lines() const { return lower - upper + 1; }
    /// The range of the document's selection (empty without one).
    static SelectionRange Of(const Document& doc, bool block);
};

}  // namespace quill
