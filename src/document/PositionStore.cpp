// Position memory and bookmarks.
#include "document/PositionStore.h"

#include <algorithm>

#include "document/SqlResult.h"

namespace quill {

PositionStore::PositionStore(const std::string& databasePath)
{
    if (database_.Open(databasePath)) {
        // On an existing database these fail quietly: only the last message changes.
        database_.Exec("CREATE TABLE Bookmarks (File TEXT, LastPos NUMERIC, CsrsX NUMERIC, CsrsY NUMERIC)");
        database_.Exec("CREATE INDEX iBookmarks_File ON Bookmarks(File ASC);");
    }
}

bool PositionStore::ReadEntries(const std::string& path)
{
    ApplyShifts();
    entries_.clear();
    Changed();
    if (path.empty())
        return false;
    SqlResult rows;
    // The path is bound, never pasted into the statement: an apostrophe in a file name is harmless.
    if (!database_.Query(rows, "SELECT * FROM Bookmarks WHERE File=?", {path}))
        return false;
    // The database is a file anybody can write: numbers are held where line arithmetic on them
    // cannot overflow. No text has this many lines or columns.
    constexpr std::int64_t kLimit = std::int64_t{1} << 48;
    const auto held = [](std::int64_t value, std::int64_t low, std::int64_t high) { return std::clamp(value, low, high); };
    entries_.reserve(rows.RowCount());
    while (rows.Next())
        entries_.push_back({rows.Get("File"), held(rows.GetInt("CsrsX"), 0, kLimit), held(rows.GetInt("CsrsY"), 0, kLimit),
                            static_cast<int>(held(rows.GetInt("LastPos"), INT32_MIN, INT32_MAX))});
    return true;
}

bool PositionStore::WriteEntries(const std::string& path)
{
    ApplyShifts();
    if (path.empty())
        return false;
    SqlTransaction transaction(database_);
    if (!transaction.Begin(true))
        return false;
    bool ok = database_.Exec("DELETE FROM Bookmarks WHERE File=?", {path});
    for (const BookmarkEntry& entry : entries_)
        ok = database_.Exec("INSERT INTO Bookmarks (File, LastPos, CsrsX, CsrsY) VALUES (?, ?, ?, ?)",
                            {entry.file, std::int64_t{entry.lastPos}, entry.csrsX, entry.csrsY}) &&
             ok;
    transaction.SetCommit(ok);
    return ok;
}

void PositionStore::StoreLastPosition(const std::string& path, std::int64_t column, LineIndex line)
{
    ApplyShifts();
    if (path.empty())
        return;
    std::erase_if(entries_, [](const BookmarkEntry& entry) { return entry.lastPos == 1; });
    if (column != 0 || line != 0)
        entries_.push_back({path, column, line, 1});
    Changed();
}

bool PositionStore::ToggleBookmark(const std::string& path, std::int64_t column, LineIndex line)
{
    ApplyShifts();
    Changed();
    auto removed = std::erase_if(
        entries_, [line](const BookmarkEntry& entry) { return entry.lastPos == 0 && entry.csrsY == line; });
    if (removed > 0)
        return false;
    entries_.push_back({path, column, line, 0});
    return true;
}

const std::vector<LineIndex>& PositionStore::SortedBookmarkLines() const
{
    ApplyShifts();
    if (!sortedValid_) {
        sortedLines_.clear();
        for (const BookmarkEntry& entry : entries_)
            if (entry.lastPos == 0)
                sortedLines_.push_back(entry.csrsY);
        std::sort(sortedLines_.begin(), sortedLines_.end());
        sortedValid_ = true;
    }
    return sortedLines_;
}

bool PositionStore::HasBookmark(LineIndex line) const
{
    const auto& lines = SortedBookmarkLines();
    return std::binary_search(lines.begin(), lines.end(), line);
}

std::optional<BookmarkEntry> PositionStore::FindBookmark(bool lastPosition, bool forward, LineIndex line) const
{
    ApplyShifts();
    const BookmarkEntry* found = nullptr;
    for (const BookmarkEntry& entry : entries_) {
        if (lastPosition) {
            if (entry.lastPos == 1)
                return entry;
            continue;
        }
        if (entry.lastPos != 0)
            continue;
        if (forward && entry.csrsY > line && (!found || entry.csrsY < found->csrsY))
            found = &entry;
        if (!forward && entry.csrsY < line && (!found || entry.csrsY > found->csrsY))
            found = &entry;
    }
    if (!found)
        return std::nullopt;
    return *found;
}

void PositionStore::RemoveBookmarks()
{
    ApplyShifts();
    std::erase_if(entries_, [](const BookmarkEntry& entry) { return entry.lastPos == 0; });
    Changed();
}

void PositionStore::Clear()
{
    ApplyShifts();
    entries_.clear();
    Changed();
}

void PositionStore::ShiftLines(LineIndex from, int delta)
{
    if (entries_.empty())
        return;
    Changed();
    // A few entries are moved at once; many are moved in a batch, as a filter would otherwise
    // visit every entry for every line it removes.
    constexpr std::size_t kDirectLimit = 64;
    if (entries_.size() <= kDirectLimit && !shifts_.Active()) {
        for (BookmarkEntry& entry : entries_)
            if (entry.csrsY >= from)
                entry.csrsY = std::max<LineIndex>(0, entry.csrsY + delta);
        return;
    }
    if (!shifts_.Active()) {
        std::vector<LineIndex> lines;
        lines.reserve(entries_.size());
        for (const BookmarkEntry& entry : entries_)
            lines.push_back(entry.csrsY);
        shifts_.Begin(lines);
    }
    shifts_.Shift(from, delta);
}

void PositionStore::ApplyShifts() const
{
    if (!shifts_.Active())
        return;
    const std::vector<LineIndex> lines = shifts_.Finish();
    for (std::size_t i = 0; i < entries_.size(); ++i)
        entries_[i].csrsY = lines[i];
    sortedValid_ = false;
}

}  // namespace quill
