// Position memory and bookmarks.
#include "document/PositionStore.h"

#include <algorithm>

#include "text/SqlResult.h"

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
    pendingRead_.clear();
    Changed();
    if (path.empty())
        return false;
    if (QueryEntries(path, entries_))
        return true;
    // Another program holds the database: the entries are fetched later (RetryPendingRead), and
    // until then leaving the file only adds to what is stored.
    if (database_.LastFailedOnLock())
        pendingRead_ = path;
    return false;
}

bool PositionStore::QueryEntries(const std::string& path, std::vector<BookmarkEntry>& entries)
{
    SqlResult rows;
    // The path is bound, never pasted into the statement: an apostrophe in a file name is harmless.
    if (!database_.Query(rows, "SELECT * FROM Bookmarks WHERE File=?", {path}))
        return false;
    // The database is a file anybody can write: numbers are held where line arithmetic on them
    // cannot overflow. No text has this many lines or columns.
    constexpr std::int64_t kLimit = std::int64_t{1} << 48;
    const auto held = [](std::int64_t value, std::int64_t low, std::int64_t high) {
        return std::clamp(value, low, high);
    };
    entries.reserve(rows.RowCount());
    while (rows.Next()) {
        BookmarkEntry entry{rows.Get("File"), held(rows.GetInt("CsrsX"), 0, kLimit),
                            held(rows.GetInt("CsrsY"), 0, kLimit),
                            static_cast<int>(held(rows.GetInt("LastPos"), INT32_MIN, INT32_MAX))};
        if (converter_)
            converter_->ToShown(entry.line, entry.column);
        entries.push_back(std::move(entry));
    }
    return true;
}

BookmarkEntry PositionStore::Stored(const BookmarkEntry& entry) const
{
    BookmarkEntry stored = entry;
    if (converter_)
        converter_->ToStored(stored.line, stored.column);
    return stored;
}

bool PositionStore::RetryPendingRead()
{
    if (pendingRead_.empty())
        return false;
    std::vector<BookmarkEntry> stored;
    if (!QueryEntries(pendingRead_, stored))
        return false;
    pendingRead_.clear();
    // Bookmarks set meanwhile stay, unless the database has them already.
    ApplyShifts();
    for (BookmarkEntry& entry : entries_) {
        const bool known = std::any_of(stored.begin(), stored.end(), [&entry](const BookmarkEntry& other) {
            return other.lastPos == entry.lastPos && (entry.lastPos == 1 || other.line == entry.line);
        });
        if (!known)
            stored.push_back(std::move(entry));
    }
    entries_ = std::move(stored);
    Changed();
    return true;
}

bool PositionStore::WriteEntries(const std::string& path)
{
    ApplyShifts();
    if (path.empty())
        return false;
    if (pendingRead_ == path && !RetryPendingRead()) {
        // What the database holds was never read: the last position is replaced, bookmarks are
        // only added, so nothing stored is lost.
        pendingRead_.clear();
        database_.Enqueue(AddingStatements(path));
        return true;
    }
    {
        SqlTransaction transaction(database_);
        bool ok = transaction.Begin(false) && database_.Exec("DELETE FROM Bookmarks WHERE File=?", {path});
        for (const BookmarkEntry& shown : entries_) {
            const BookmarkEntry entry = Stored(shown);
            ok = ok && database_.Exec("INSERT INTO Bookmarks (File, LastPos, CsrsX, CsrsY) VALUES (?, ?, ?, ?)",
                                      {entry.file, std::int64_t{entry.lastPos}, entry.column, entry.line});
        }
        if (ok && transaction.Commit())
            return true;
    }
    if (!database_.IsOpen())
        return false;
    // Locked by another program, read-only or a full disk: nothing was written, and the worker
    // writes the same when it can, or the next start does. The failure's message stays.
    database_.Enqueue(ReplacingStatements(path));
    return true;
}

std::string PositionStore::InsertStatement(const BookmarkEntry& entry, const std::string& condition)
{
    return "INSERT INTO Bookmarks (File, LastPos, CsrsX, CsrsY) SELECT " + SqlDatabase::Literal(entry.file) + ", " +
           std::to_string(entry.lastPos) + ", " + std::to_string(entry.column) + ", " + std::to_string(entry.line) +
           condition + ";";
}

std::string PositionStore::ReplacingStatements(const std::string& path) const
{
    std::string statements = "DELETE FROM Bookmarks WHERE File=" + SqlDatabase::Literal(path) + ";";
    for (const BookmarkEntry& entry : entries_)
        statements += InsertStatement(Stored(entry), "");
    return statements;
}

std::string PositionStore::AddingStatements(const std::string& path) const
{
    const std::string file = SqlDatabase::Literal(path);
    std::string statements = "DELETE FROM Bookmarks WHERE File=" + file + " AND LastPos=1;";
    for (const BookmarkEntry& shown : entries_) {
        const BookmarkEntry entry = Stored(shown);
        statements += InsertStatement(entry, entry.lastPos == 1
                                                 ? std::string()
                                                 : " WHERE NOT EXISTS (SELECT 1 FROM Bookmarks WHERE File=" + file +
                                                       " AND LastPos=0 AND CsrsY=" + std::to_string(entry.line) + ")");
    }
    return statements;
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
        entries_, [line](const BookmarkEntry& entry) { return entry.lastPos == 0 && entry.line == line; });
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
                sortedLines_.push_back(entry.line);
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
        if (forward && entry.line > line && (!found || entry.line < found->line))
            found = &entry;
        if (!forward && entry.line < line && (!found || entry.line > found->line))
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
            if (entry.line >= from)
                entry.line = std::max<LineIndex>(0, entry.line + delta);
        return;
    }
    if (!shifts_.Active()) {
        std::vector<LineIndex> lines;
        lines.reserve(entries_.size());
        for (const BookmarkEntry& entry : entries_)
            lines.push_back(entry.line);
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
        entries_[i].line = lines[i];
    sortedValid_ = false;
}

}  // namespace quill
