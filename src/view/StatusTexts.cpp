// Status pane texts.
#include "view/StatusTexts.h"

#include "common/Format.h"
#include "document/Document.h"

namespace quill {

namespace {

// The lines of the file as wc -l counts them: the empty place after the last line end, where the
// cursor may still stand, is no line of its own.
LineIndex CountedLines(const Document& doc)
{
    const FileLineIndex& lines = doc.FileLines();
    const TextStore& text = doc.Text();
    const LineIndex last = text.LineCount() - 1;
    const bool emptyAfterEnd = last >= 0 && text.Line(last).Length() == 0 && (last == 0 || !lines.Continues(last));
    return lines.FileLineCount() - (emptyAfterEnd ? 1 : 0);
}

}  // namespace

std::string CursorStatusText(const Document& doc)
{
    // Lines are the file's, counted by line ends; the column is the one on the display line.
    const FileLineIndex& lines = doc.FileLines();
    return Format("Line:%lld/%lld Col:%d/%lld",
                  static_cast<long long>(lines.FileLineOf(doc.Selection().cursor.line)) + 1,
                  static_cast<long long>(CountedLines(doc)), doc.Selection().cursor.column,
                  static_cast<long long>(doc.DisplayWidth(doc.Selection().cursor.line)));
}

std::string DescriptionStatusText(const Document& doc)
{
    const std::string& syntax = doc.Syntax().Name();
    return !syntax.empty() && syntax[0] == '<' ? doc.Structure().Name() : syntax;
}

}  // namespace quill
