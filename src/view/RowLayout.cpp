// Row layout with colours.
#include "view/RowLayout.h"

#include "document/Document.h"
#include "settings/Settings.h"
#include "syntax/ColouringEngine.h"

namespace quill {

RowLayout LayOutRow(Document& doc, LineIndex line, const ColouringEngine* engine, bool printing)
{
    RowLayout layout;
    const Settings& settings = doc.AppSettings();
    RowOptions options;
    options.visible = &settings.visible;
    options.viewControlChars = doc.Config().On(Layout::ControlChars);
    const DisplayRules rules = doc.Rules();
    const LineView view = doc.Text().Line(line);
    layout.cells = BuildRowCells(view, rules, doc.Charset(), options);
    const bool bookmarked = !printing && doc.HasBookmark(line);
    layout.colours.reserve(layout.cells.size());
    for (const Cell& cell : layout.cells) {
        if (cell.marks && layout.text.empty())
            layout.text.assign(view.Text());
        std::int32_t colour = -1;
        if (doc.IgnoreFormatCodes()) {
            colour = 0x000000;
        } else if (bookmarked) {
            colour = static_cast<std::int32_t>(kBookmarkTextColour);
        } else if (engine) {
            const std::int64_t rgb = engine->RunColour({0, 0, engine->ItemOfByte(cell.byte)});
            colour = rgb >= 0 ? static_cast<std::int32_t>(rgb) : -1;
        }
        layout.colours.push_back(colour);
        if (cell.stored == rules.ff && !rules.ignoreFormatCodes && cell.byte < view.Length() &&
            view.ByteAt(cell.byte) == rules.ff)
            layout.formFeed = true;
    }
    if (doc.Structure().IsActive()) {
        layout.structured = true;
        layout.fields = FieldSpansOf(doc.Structure(), view, rules);
    }
    return layout;
}

}  // namespace quill
