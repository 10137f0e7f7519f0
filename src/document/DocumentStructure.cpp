// The document's side of record structures: their settings, the field at the cursor, reordering.
#include <algorithm>

#include "document/Document.h"
#include "document/DocumentView.h"
#include "settings/Settings.h"

namespace quill {

void Document::ApplyStructureSettings()
{
    structure_.SetDocumentPath(file_.Path());
    syntax_.Reset();  // structures and syntax colouring exclude each other
    ImposeStructureLayout();
    // A record cannot be longer than the longest line the text store cuts.
    const int recordLength = std::min(structure_.RecordLength(), Settings::kNoLineLimit);
    if (recordLength > 0 && (recordLength != config_.Get(Layout::MaxLineLen) || !ignoreFormatCodes_)) {
        config_.Impose(LayoutLevel::File, {{Layout::MaxLineLen, recordLength}, {Layout::WrapAtBorder, 0}});
        ignoreFormatCodes_ = true;
        ReflowKeepingOffset(-1);
    }
    if (view_) {
        view_->Changed(DocumentChange::Structure | DocumentChange::Text);
    }
}

void Document::StructureOff()
{
    structure_.Reset();
    if (view_) {
        view_->Changed(DocumentChange::Structure | DocumentChange::Text);
    }
}

FieldDef* Document::FieldAtCursor()
{
    if (!structure_.IsActive() || selection_.cursor.line < 0 || selection_.cursor.line >= text_.LineCount())
        return nullptr;
    return structure_.FieldAt(text_.Line(selection_.cursor.line), selection_.cursor.column, Rules());
}

void Document::ReorderLines(const std::vector<LineIndex>& order)
{
    // Undo records name lines by index: after a new order they would restore the wrong lines.
    model_.ClearUndo();
    text_.Reorder(order);
    // Bookmarks go with their records.
    std::vector<LineIndex> newIndex(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        newIndex[static_cast<std::size_t>(order[i])] = static_cast<LineIndex>(i);
    for (BookmarkEntry& entry : positions_->MutableEntries())
        if (entry.line >= 0 && entry.line < static_cast<LineIndex>(newIndex.size()))
            entry.line = newIndex[static_cast<std::size_t>(entry.line)];
    positions_->EntriesChanged();
    MarkModified();
}

}  // namespace quill
