// Status pane texts.
#include "view/StatusTexts.h"

#include "common/Format.h"
#include "document/Document.h"

namespace quill {

std::string CursorStatusText(const Document& doc)
{
    // Lines are the file's, counted by line ends; the column is the one on the display line.
    const FileLineIndex& lines = doc.FileLines();
    return Format("Line:%lld/%lld Col:%d/%lld",
                  static_cast<long long>(lines.FileLineOf(doc.Selection().cursor.line)) + 1,
                  static_cast<long long>(lines.FileLineCount()), doc.Selection().cursor.column,
                  static_cast<long long>(doc.DisplayWidth(doc.Selection().cursor.line)));
}

std::string DescriptionStatusText(const Document& doc)
{
    const std::string& syntax = doc.Syntax().Name();
    return !syntax.empty() && syntax[0] == '<' ? doc.Structure().Name() : syntax;
}

}  // namespace quill
