// The edits of the text and their undo.
#include "document/TextModel.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "text/TextPlaces.h"

namespace quill {

TextModel::TextModel(TextSelection& selection, std::function<DisplayRules()> rules)
    : selection_(selection),
      rules_(std::move(rules))
{
}

void TextModel::Record(UndoRecord::Kind kind, LineRecord line, LineIndex index, bool split)
{
    history_.Record(
        UndoRecord{0, kind, std::move(line), index, selection_.cursor, nullptr, text_.Narrowings(), nullptr, split});
}

void TextModel::WidenFor(LineView line) { text_.WidenTo(quill::DisplayWidth(line, Rules())); }

std::uint32_t TextModel::ReplaceCurrentLine(LineRecord newLine)
{
    const LineIndex index = text_.CurrentIndex();
    const std::uint32_t length = newLine.Length();
    WidenFor(newLine.View());
    LineRecord old = text_.ReplaceLine(index, std::move(newLine));
    Record(UndoRecord::Kind::Replaced, std::move(old), index);
    return length;
}

void TextModel::SplitCurrentLine(LineRecord rest)
{
    const LineIndex row = text_.CurrentIndex();
    WidenFor(rest.View());
    const std::uint32_t at = ContentLength(text_.Line(row), Rules());
    text_.SplitLine(row, at, std::move(rest));
    // Taken back, the line is joined again: bookmarks go back with it.
    Record(UndoRecord::Kind::Inserted, LineRecord(), row + 1, true);
}

LineIndex TextModel::InsertAfter(LineIndex after, LineRecord newLine, bool record)
{
    const LineIndex index = after + 1;
    text_.InsertLine(index, std::move(newLine));
    if (text_.CurrentIndex() >= index)
        text_.SetCurrentLine(text_.CurrentIndex() + 1);  // the current line keeps its text
    if (record)
        Record(UndoRecord::Kind::Inserted, LineRecord(), index);
    return index;
}

LineIndex TextModel::InsertAtHead(LineRecord newLine, bool record)
{
    WidenFor(newLine.View());
    text_.InsertLine(0, std::move(newLine));
    if (text_.CurrentIndex() >= 0)
        text_.SetCurrentLine(text_.CurrentIndex() + 1);
    else
        text_.SetCurrentLine(0);
    if (record)
        Record(UndoRecord::Kind::Inserted, LineRecord(), 0);
    return 0;
}

void TextModel::RemoveLine(LineIndex index, bool record)
{
    const LineIndex current = text_.CurrentIndex();
    LineRecord removed = text_.RemoveLine(index);
    if (record)
        Record(UndoRecord::Kind::Deleted, std::move(removed), index);
    if (index < current)
        text_.SetCurrentLine(current - 1);
}

void TextModel::ReplaceAllLines(std::unique_ptr<LineSet> lines)
{
    text_.SwapLines(*lines);
    UndoRecord record{0, UndoRecord::Kind::Swapped, LineRecord(), 0, selection_.cursor, nullptr};
    record.lines = std::move(lines);
    history_.Record(std::move(record));
}

void TextModel::Recut(const std::function<void()>& recut)
{
    // The edits that can be undone or redone name lines of the cut made before: it is kept for
    // them.
    std::optional<LineCut> before;
    if (history_.CanUndo() || history_.CanRedo())
        before = LineCut::Of(text_);
    text_.BeginRecut();
    recut();
    text_.EndRecut();
    if (before && !(*before == LineCut::Of(text_)))
        history_.RecordRecut(*before, selection_.cursor);
}

void TextModel::PutBackCut(UndoRecord& record, TextPosition& before)
{
    // The watchers keep the cursor, the anchor and the bookmarks on their bytes; the place to take
    // back to is kept here.
    const DisplayRules rules = Rules();
    const ByteOffset kept = OffsetsOf(text_, rules, {{before.line, before.column}})[0];
    LineCut now = LineCut::Of(text_);
    text_.BeginRecut();
    record.cut->Apply(text_);
    text_.EndRecut();
    *record.cut = std::move(now);
    const ShownPlace place = PlacesOf(text_, rules, {kept})[0];
    before = {place.line, static_cast<Column>(place.column)};
    cutTakenBack_ = true;
}

void TextModel::Apply(UndoRecord& record, TextPosition& before)
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
        if (record.split && record.index > 0)
            text_.SplitLine(record.index - 1, ContentLength(text_.Line(record.index - 1), Rules()),
                            std::move(record.line));
        else
            text_.InsertLine(record.index, std::move(record.line));
        break;
    case UndoRecord::Kind::Swapped: text_.SwapLines(*record.lines); break;
    case UndoRecord::Kind::Recut: PutBackCut(record, before); break;
    case UndoRecord::Kind::Inserted:
        record.kind = UndoRecord::Kind::Deleted;
        record.line =
            record.split && record.index > 0 ? text_.JoinLine(record.index - 1) : text_.RemoveLine(record.index);
        break;
    }
    // The record now takes back what it did: its line was in the text until now.
    record.narrowings = text_.Narrowings();
}

void TextModel::ApplyWithCursor(UndoRecord& record, TextPosition& before)
{
    // A re-cut keeps the cursor (and the place to take back to) on its byte.
    const bool recut = record.kind == UndoRecord::Kind::Recut;
    if (!recut) {
        selection_.cursor = record.cursor;
        selection_.preferredColumn = record.cursor.column;
    }
    Apply(record, before);
    // Taking this back again puts the cursor where it stood before this step.
    if (!recut)
        record.cursor = before;
}

bool TextModel::TakeBack(bool redo)
{
    if (redo ? !history_.CanRedo() : !history_.CanUndo())
        return false;
    TextPosition before = selection_.cursor;
    const auto apply = [&](UndoRecord& record) { ApplyWithCursor(record, before); };
    if (redo)
        history_.Redo(apply);
    else
        history_.Undo(apply);
    EndTakingBack();
    // Back at the saved text the text is unmodified again.
    modified_ = !history_.AtSaved();
    return std::exchange(cutTakenBack_, false);
}

bool TextModel::TakeBackTo(std::size_t count)
{
    TextPosition before = selection_.cursor;
    history_.TakeBackTo(count, [&](UndoRecord& record) { ApplyWithCursor(record, before); });
    EndTakingBack();
    modified_ = modified_ && !history_.AtSaved();
    return std::exchange(cutTakenBack_, false);
}

void TextModel::EndTakingBack()
{
    selection_.cursor.line = std::clamp<LineIndex>(selection_.cursor.line, 0, text_.LineCount() - 1);
    text_.SetCurrentLine(selection_.cursor.line);
    selection_.Clear();
}

void TextModel::MarkModified(bool modified)
{
    // A change that left no record cannot be undone back to the saved text.
    if (modified)
        history_.ForgetSavedIfHere();
    modified_ = modified;
}

void TextModel::MarkUnmodified()
{
    modified_ = false;
    history_.MarkSaved();
}

}  // namespace quill
