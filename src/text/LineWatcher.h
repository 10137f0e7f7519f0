// What a part of the program that keeps something per line (bookmarks, the selection, the filter
// pane's list and marks) is told of the changes of a text's lines, after they were made. It is the
// one way such state learns of edits and re-cuts, so none has to be shifted by hand.
#pragma once

#include <cstdint>

#include "text/TextTypes.h"

namespace quill {

class LineWatcher {
public:
    /// A line was put in before `row`. Lines appended at the end are not told: they move no line
    /// anybody keeps, and a load appends millions.
    virtual void LineInserted(LineIndex row) = 0;
    virtual void LineRemoved(LineIndex row) = 0;
    /// The bytes of a line changed.
    virtual void LineReplaced(LineIndex row) = 0;
    /// Line `row` was cut in two (Enter, a paste): its bytes from `at` on, which were its content's
    /// end, now begin line row + 1, a new line.
    virtual void LineSplit(LineIndex row, std::uint32_t at)
    {
        static_cast<void>(at);
        LineInserted(row + 1);
    }
    /// Line row + 1 was joined to the end of line `row` and is gone (the Undo of a split).
    virtual void LineJoined(LineIndex row) { LineRemoved(row + 1); }
    /// Many lines changed at once (a new order, another text, a cleared one).
    virtual void LinesReset() = 0;
    /// The whole text is about to be cut into other lines, no byte changing (a new wrap width, a
    /// resize under wrapping at the window border, an Undo across such a cut): what is kept by
    /// line can be noted by byte now and put back in AfterRecut. No line change is told between
    /// the two.
    virtual void BeforeRecut() {}
    virtual void AfterRecut() { LinesReset(); }

protected:
    ~LineWatcher() = default;
};

}  // namespace quill
