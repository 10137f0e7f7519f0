// The editing primitives and undo.
#include <algorithm>

#include "document/Document.h"
#include "document/DocumentView.h"
#include "document/KeptPlaces.h"

namespace quill {

void Document::Record(UndoRecord::Kind kind, LineRecord line, LineIndex index)
{
    history_.Record(UndoRecord{0, kind, std::move(line), index, selection_.cursor, nullptr, text_.Narrowings()});
}

void Document::WidenFor(LineView line) { text_.WidenTo(quill::DisplayWidth(line, Rules())); }

std::uint32_t Document::ReplaceCurrentLine(LineRecord newLine)
{
    const LineIndex index = text_.CurrentIndex();
    const std::uint32_t length = newLine.Length();
    WidenFor(newLine.View());
    LineRecord old = text_.ReplaceLine(index, std::move(newLine));
    Record(UndoRecord::Kind::Replaced, std::move(old), index);
    return length;
}

void Document::InsertAfterCurrent(LineRecord newLine)
{
    const LineIndex index = text_.CurrentIndex() + 1;
    WidenFor(newLine.View());
    text_.InsertLine(index, std::move(newLine));
    Record(UndoRecord::Kind::Inserted, LineRecord(), index);
    positions_->ShiftLines(selection_.cursor.line, 1);
}

LineIndex Document::InsertAfter(LineIndex after, LineRecord newLine, bool record)
{
    const LineIndex index = after + 1;
    text_.InsertLine(index, std::move(newLine));
    if (text_.CurrentIndex() >= index)
        text_.SetCurrentLine(text_.CurrentIndex() + 1);  // the current line keeps its text
    if (record)
        Record(UndoRecord::Kind::Inserted, LineRecord(), index);
    // The lines below move down, and so do their bookmarks.
    positions_->ShiftLines(index, 1);
    return index;
}

LineIndex Document::InsertAtHead(LineRecord newLine, bool record)
{
    WidenFor(newLine.View());
    text_.InsertLine(0, std::move(newLine));
    if (text_.CurrentIndex() >= 0)
        text_.SetCurrentLine(text_.CurrentIndex() + 1);
    else
        text_.SetCurrentLine(0);
    if (record)
        Record(UndoRecord::Kind::Inserted, LineRecord(), 0);
    positions_->ShiftLines(0, 1);
    return 0;
}

void Document::RemoveLine(LineIndex index, bool record)
{
    const LineIndex current = text_.CurrentIndex();
    LineRecord removed = text_.RemoveLine(index);
    if (record)
        Record(UndoRecord::Kind::Deleted, std::move(removed), index);
    if (index < current)
        text_.SetCurrentLine(current - 1);
    positions_->ShiftLines(index, -1);
    KeepAnchorOnText(index);
}

void Document::KeepAnchorOnText(LineIndex removed)
{
    // An anchor left where the cursor stands selects nothing; once the cursor moves away with the
    // edit it would select, so it goes. An anchor below the removed line follows its text up, and
    // one on it stays on the line that takes its place.
    if (!selection_.Active()) {
        selection_.Clear();
        return;
    }
    TextPosition& anchor = selection_.anchor;
    if (anchor.line > removed)
        --anchor.line;
    if (anchor.line >= text_.LineCount())
        anchor = {text_.LineCount() - 1, 0};
}

void Document::Apply(UndoRecord& record)
{
    // A line that comes back was in the text: it needs measuring only when the widest line was set
    // lower since (a million restored lines are not read for it).
    const bool measure = record.narrowings != text_.Narrowings();
    switch (record.kind) {
    case UndoRecord::Kind::Replaced:
        if (measure)
            WidenFor(record.line.View());
        record.line = text_.ReplaceLine(record.index, std::move(record.line));
        break;
    case UndoRecord::Kind::Deleted:
        record.index = std::min(record.index, text_.LineCount());
        record.kind = UndoRecord::Kind::Inserted;
        if (measure)
            WidenFor(record.line.View());
        text_.InsertLine(record.index, std::move(record.line));
        positions_->ShiftLines(record.index, 1);
        break;
    case UndoRecord::Kind::Swapped: text_.SwapLines(*record.lines); break;
    case UndoRecord::Kind::Recut: {
        LineCut now = LineCut::Of(text_);
        KeptPlaces places(*this, alsoKept_);
        record.cut->Apply(text_);
        places.PutBack();
        *record.cut = std::move(now);
        recutTakenBack_ = true;
        break;
    }
    case UndoRecord::Kind::Inserted:
        record.kind = UndoRecord::Kind::Deleted;
        record.line = text_.RemoveLine(record.index);
        positions_->ShiftLines(record.index, -1);
        break;
    }
    // The record now takes back what it did: its line was in the text until now.
    record.narrowings = text_.Narrowings();
}

void Document::ApplyWithCursor(UndoRecord& record, TextPosition& before)
{
    // A re-cut keeps the cursor (and the place to take back to) on its byte.
    const bool recut = record.kind == UndoRecord::Kind::Recut;
    if (!recut) {
        selection_.cursor = record.cursor;
        selection_.preferredColumn = record.cursor.column;
    }
    alsoKept_ = &before;
    Apply(record);
    alsoKept_ = nullptr;
    // Taking this back again puts the cursor where it stood before this step.
    if (!recut)
        record.cursor = before;
}

void Document::EndTakingBack()
{
    if (recutTakenBack_) {
        // The text stands in the cut its records were made in: it is cut for the settings in
        // force again, and that cut is recorded like any other.
        recutTakenBack_ = false;
        selection_.cursor.line = std::clamp<LineIndex>(selection_.cursor.line, 0, text_.LineCount() - 1);
        Reflow(-1);
    }
    selection_.cursor.line = std::clamp<LineIndex>(selection_.cursor.line, 0, text_.LineCount() - 1);
    text_.SetCurrentLine(selection_.cursor.line);
    selection_.Clear();
}

void Document::TakeBack(bool redo)
{
    if (redo ? !history_.CanRedo() : !history_.CanUndo())
        return;
    TextPosition before = selection_.cursor;
    const auto apply = [&](UndoRecord& record) { ApplyWithCursor(record, before); };
    if (redo)
        history_.Redo(apply);
    else
        history_.Undo(apply);
    EndTakingBack();
    // Back at the saved text the document is unmodified again; auto reload stays off either way,
    // as after any change made by the user.
    modified_ = !history_.AtSaved();
    SetAutoReloadMode(AutoReload::Off);
    if (view_)
        view_->RedrawAll();
}

void Document::Undo() { TakeBack(false); }

void Document::Redo() { TakeBack(true); }

void Document::TakeBackTo(std::size_t count)
{
    TextPosition before = selection_.cursor;
    history_.TakeBackTo(count, [&](UndoRecord& record) { ApplyWithCursor(record, before); });
    EndTakingBack();
    modified_ = modified_ && !history_.AtSaved();
}

void Document::ClearUndo() { history_.Clear(modified_); }

void Document::MarkUnmodified()
{
    modified_ = false;
    history_.MarkSaved();
}

}  // namespace quill
