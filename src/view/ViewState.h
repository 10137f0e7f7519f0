// The view's scroll position and page size, and the scrolling rules that follow the cursor.
#pragma once

#include "text/TextTypes.h"

namespace quill {

class Document;

struct ViewState {
    LineIndex topLine = 0;
    std::int64_t leftColumn = 0;
    LineIndex pageLines = 1;  ///< whole rows that fit the window
    int pageWidth = 1;        ///< whole cells that fit the window
};

/// Scrolls so the cursor is on the page (centred vertically on request); true when it scrolled.
bool EnsureCursorVisible(const Document& doc, ViewState& view, bool centre);

/// The scroll requests of the scroll bars; each returns the new top line or left column.
LineIndex PageDownTop(LineIndex top, LineIndex pageLines, LineIndex lineCount);
LineIndex PageUpTop(LineIndex top, LineIndex pageLines);
/// The lines a wheel turn scrolls: five a notch of 120, a part of a notch counting whole; negative
/// (up) for a positive delta.
std::int64_t WheelLines(int delta);

}  // namespace quill
