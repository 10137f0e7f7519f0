// The editing primitives and undo.
#include <algorithm>

#include "document/CQVXDoc.h"
#include "document/DocumentView.h"

namespace quill {

void CQVXDoc::Record(UndoRecord::Kind kind, LineRecord line, LineIndex index)
{
    undoList_.push_back(UndoRecord{undoGroup_, kind, std::move(line), index, cursorColumn, cursorLine});
}

void CQVXDoc::WidenFor(LineView line) { text_.WidenTo(quill::DisplayWidth(line, Rules())); }

std::uint32_t CQVXDoc::ReplaceCurrentLine(LineRecord newLine)
{
    const LineIndex index = text_.CurrentIndex();
    const std::uint32_t length = newLine.Length();
    WidenFor(newLine.View());
    LineRecord old = text_.ReplaceLine(index, std::move(newLine));
    Record(UndoRecord::Kind::Replaced, std::move(old), index);
    return length;
}

void CQVXDoc::InsertAfterCurrent(LineRecord newLine)
{
    const LineIndex index = text_.CurrentIndex() + 1;
    WidenFor(newLine.View());
    text_.InsertLine(index, std::move(newLine));
    Record(UndoRecord::Kind::Inserted, LineRecord(), index);
    positions_->ShiftLines(cursorLine, 1);
}

LineIndex CQVXDoc::InsertAfter(LineIndex after, LineRecord newLine, bool record)
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

LineIndex CQVXDoc::InsertAtHead(LineRecord newLine, bool record)
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

void CQVXDoc::RemoveLine(LineIndex index, bool record)
{
    const LineIndex current = text_.CurrentIndex();
    LineRecord removed = text_.RemoveLine(index);
    if (record)
        Record(UndoRecord::Kind::Deleted, std::move(removed), index);
    if (index < current)
        text_.SetCurrentLine(current - 1);
    positions_->ShiftLines(index, -1);
}

void CQVXDoc::Undo()
{
    if (undoList_.empty())
        return;
    const std::uint32_t group = undoList_.back().group;
    while (!undoList_.empty() && undoList_.back().group == group) {
        UndoRecord& record = undoList_.back();
        switch (record.kind) {
        case UndoRecord::Kind::Replaced: text_.ReplaceLine(record.index, std::move(record.line)); break;
        case UndoRecord::Kind::Deleted:
            text_.InsertLine(std::min(record.index, text_.LineCount()), std::move(record.line));
            positions_->ShiftLines(record.index, 1);
            break;
        case UndoRecord::Kind::Inserted:
            text_.RemoveLine(record.index);
            positions_->ShiftLines(record.index, -1);
            break;
        }
        cursorColumn = preferredColumn = record.cursorColumn;
        cursorLine = record.cursorLine;
        undoList_.pop_back();
    }
    cursorLine = std::clamp<LineIndex>(cursorLine, 0, text_.LineCount() - 1);
    text_.SetCurrentLine(cursorLine);
    ClearSelection();
    if (view_)
        view_->RedrawAll();
    SetModifiedFlag();
}

}  // namespace quill
