// Bookmarks and the anchor following the lines.
#include "document/PlaceFollower.h"

#include "document/Document.h"

namespace quill {

PlaceFollower::PlaceFollower(Document& doc) : doc_(doc) { doc_.Model().AddWatcher(this); }

PlaceFollower::~PlaceFollower() { doc_.Model().RemoveWatcher(this); }

void PlaceFollower::LineInserted(LineIndex row) { doc_.Positions().ShiftLines(row, 1); }

void PlaceFollower::LineRemoved(LineIndex row)
{
    doc_.Positions().ShiftLines(row, -1);
    // An anchor left where the cursor stands selects nothing; once the cursor moves away with the
    // edit it would select, so it goes. An anchor below the removed line follows its text up, and
    // one on it stays on the line that takes its place.
    TextSelection& selection = doc_.Selection();
    if (!selection.Active()) {
        selection.Clear();
        return;
    }
    TextPosition& anchor = selection.anchor;
    if (anchor.line > row)
        --anchor.line;
    const LineIndex count = doc_.Text().LineCount();
    if (anchor.line >= count)
        anchor = {count - 1, 0};
}

void PlaceFollower::LineSplit(LineIndex row, std::uint32_t at)
{
    LineInserted(row + 1);
    // A bookmark on the bytes that went to the new line goes with them; one on a line split at
    // its end (a new empty line below) stays.
    const TextStore& text = doc_.Text();
    const DisplayRules rules = doc_.Rules();
    if (ContentLength(text.Line(row + 1), rules) == 0)
        return;
    const std::int64_t cut = IndexToColumn(text.Line(row), at, rules);
    MoveBookmarks(row, cut, row + 1, -cut);
}

void PlaceFollower::LineJoined(LineIndex row)
{
    // The bookmarks of the joined line go back to the end of the line it joined, on their bytes.
    const TextStore& text = doc_.Text();
    const DisplayRules rules = doc_.Rules();
    const LineView head = text.Line(row);
    const std::int64_t end = IndexToColumn(head, ContentLength(head, rules), rules);
    MoveBookmarks(row + 1, 0, row, end);
    LineRemoved(row + 1);
}

void PlaceFollower::MoveBookmarks(LineIndex from, std::int64_t fromColumn, LineIndex to, std::int64_t shift)
{
    bool moved = false;
    for (BookmarkEntry& entry : doc_.Positions().MutableEntries())
        if (entry.line == from && entry.column >= fromColumn) {
            entry.line = to;
            entry.column += shift;
            moved = true;
        }
    if (moved)
        doc_.Positions().EntriesChanged();
}

void PlaceFollower::BeforeRecut() { kept_.emplace(doc_); }

void PlaceFollower::AfterRecut()
{
    if (kept_)
        kept_->PutBack();
    kept_.reset();
}

}  // namespace quill
