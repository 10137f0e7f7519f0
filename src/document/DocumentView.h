// What the document asks of its view: scrolling, repainting and the status panes.
#pragma once

#include <string>

#include "text/TextTypes.h"

namespace quill {

/// Implemented by the window that shows the document, and by test fakes.
class DocumentView {
public:
    virtual ~DocumentView() = default;

    /// Scrolls both scroll bars to 0.
    virtual void ResetScroll() = 0;
    /// Recomputes the setting PageWidth from the window width.
    virtual void RecomputePageWidth() = 0;
    /// Lays out and repaints everything.
    virtual void RedrawAll() = 0;
    /// Scrolls so the cursor is visible, centring it on request.
    virtual void EnsureCursorVisible(bool centre) = 0;
    virtual void SetStatusText(StatusPane pane, const std::string& text) = 0;
    /// Shows or hides the field ruler bar.
    virtual void ShowStructureBar(bool show) = 0;
    /// The text was read again from the file, or grew from it, while it was followed.
    virtual void TextReread() = 0;
    /// The file was changed on disk by another program while the text was open (not followed):
    /// the window offers Reload. Called once for each new state of the file.
    virtual void FileChangedOnDisk() {}
    /// Whether the last line is on the page (scrolling up while following pauses it).
    virtual bool ShowsLastLine() const { return true; }
};

}  // namespace quill
