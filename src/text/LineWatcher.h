// What a part of the program that keeps something per line (the filter pane's list) is told of the
// changes of a text's lines, after they were made.
#pragma once

#include "text/TextTypes.h"

namespace quill {

class LineWatcher {
public:
    /// A line was put in before `row` (at the end, for an appended one).
    virtual void LineInserted(LineIndex row) = 0;
    virtual void LineRemoved(LineIndex row) = 0;
    /// The bytes of a line changed.
    virtual void LineReplaced(LineIndex row) = 0;
    /// Many lines changed at once (a new order, another text, a cleared one).
    virtual void LinesReset() = 0;

protected:
    ~LineWatcher() = default;
};

}  // namespace quill
