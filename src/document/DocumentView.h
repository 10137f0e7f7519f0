// What the document tells its view: what changed, and the status panes' texts. The view decides
// what to lay out, scroll and repaint.
#pragma once

#include <cstdint>
#include <string>

#include "text/TextTypes.h"

namespace quill {

/// The kinds of change a view is told of; several at once are or-ed.
enum class DocumentChange : std::uint8_t {
    None = 0,
    Text = 1,            ///< lines, their cut or how they show: lay out and repaint
    CursorPlaced = 2,    ///< the document put the cursor somewhere: it comes into sight
    CursorCentred = 4,   ///< ... in the middle of the page
    NewText = 8,         ///< another text, or the whole text anew: shown from its top left
    Structure = 16,      ///< a structure description was chosen or left (see Document::Structure)
    Reread = 32,         ///< the text was read again from its file, or grew from it, while followed
    ChangedOnDisk = 64,  ///< another program changed the file while it was open, not followed
};

constexpr DocumentChange operator|(DocumentChange a, DocumentChange b)
{
    return static_cast<DocumentChange>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}

constexpr bool Has(DocumentChange changes, DocumentChange one)
{
    return (static_cast<std::uint8_t>(changes) & static_cast<std::uint8_t>(one)) != 0;
}

/// Implemented by the window that shows the document, and by test fakes.
class DocumentView {
public:
    virtual ~DocumentView() = default;

    virtual void Changed(DocumentChange changes) = 0;
    virtual void SetStatusText(StatusPane pane, const std::string& text) = 0;
    /// The columns the window shows a line in now: the width wrapping at the window border cuts at.
    virtual int PageColumns() const = 0;
    /// Whether the last line is on the page (scrolling up while following pauses it).
    virtual bool ShowsLastLine() const { return true; }
};

}  // namespace quill
