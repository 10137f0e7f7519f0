// Status pane texts.
#include "view/StatusTexts.h"

#include "common/Format.h"
#include "document/Document.h"

namespace quill {

std::string CursorStatusText(const Document& doc)
{
    return Format("Line:%lld/%lld Col:%d/%lld", static_cast<long long>(doc.Selection().cursor.line) + 1,
                  static_cast<long long>(doc.Text().LineCount()), doc.Selection().cursor.column,
                  static_cast<long long>(doc.DisplayWidth(doc.Selection().cursor.line)));
}

std::string DescriptionStatusText(const Document& doc)
{
    const std::string& syntax = doc.Syntax().Name();
    return !syntax.empty() && syntax[0] == '<' ? doc.Structure().Name() : syntax;
}

}  // namespace quill
