// The texts of the status panes that the view keeps up to date.
#pragma once

#include <string>

namespace quill {

class Document;

/// Pane 2: "Line:%d/%d Col:%d/%d" (cursor line + 1, line count, cursor column, line width).
std::string CursorStatusText(const Document& doc);
/// Pane 4: the syntax description's name, or the structure's when the syntax has none.
std::string DescriptionStatusText(const Document& doc);

}  // namespace quill
