// Where each file was left and its line bookmarks, kept in the database Bookmarks.db.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/DeferredLineShifts.h"
#include "text/SqlDatabase.h"
#include "text/TextTypes.h"

namespace quill {

/// One row of the table Bookmarks: the last position of a file (LastPos 1) or a line bookmark.
/// The database keeps column and line as CsrsX and CsrsY.
struct BookmarkEntry {
    std::string file;
    std::int64_t column = 0;  ///< display column
    LineIndex line = 0;       ///< line index
    int lastPos = 0;
};

/// Turns the display lines the entries are kept in into the places the database keeps, and back.
class PlaceConverter {
public:
    virtual ~PlaceConverter() = default;
    virtual void ToStored(LineIndex& line, std::int64_t& column) const = 0;
    virtual void ToShown(LineIndex& line, std::int64_t& column) const = 0;
};

/// The entries of the current file, read when a file is loaded and written back, all at once,
/// when the document leaves it. Database failures are never shown: the operations return false
/// and the database's last message tells why.
class PositionStore {
public:
    /// Opens (creating) the database file and its table and index.
    explicit PositionStore(const std::string& databasePath);

    SqlDatabase& Database() { return database_; }
    /// Lines and columns are stored as the converter says (none: as they are kept).
    void SetConverter(const PlaceConverter* converter) { converter_ = converter; }
    const std::vector<BookmarkEntry>& Entries() const
    {
        ApplyShifts();
        return entries_;
    }
    /// For moving entries to new lines wholesale; call EntriesChanged afterwards.
    std::vector<BookmarkEntry>& MutableEntries()
    {
        ApplyShifts();
        return entries_;
    }
    void EntriesChanged() { Changed(); }

    /// Reads the entries of a file. When another program holds the database, returns false at
    /// once and leaves the read pending.
    bool ReadEntries(const std::string& path);
    /// Tries a pending read again, keeping bookmarks set meanwhile; true when the entries came.
    bool RetryPendingRead();
    bool ReadPending() const { return !pendingRead_.empty(); }
    /// Writes the entries of a file in place of the stored ones. A locked database gets them
    /// later through the statement queue; a file whose entries were never read only adds to them.
    bool WriteEntries(const std::string& path);
    /// Replaces the last-position entry; a cursor at line 0, column 0 needs none.
    void StoreLastPosition(const std::string& path, std::int64_t column, LineIndex line);
    /// Removes the bookmark on a line or sets one; returns whether the line has one now.
    bool ToggleBookmark(const std::string& path, std::int64_t column, LineIndex line);
    bool HasBookmark(LineIndex line) const;
    /// The last position, or the nearest bookmark after (forward) or before the line.
    std::optional<BookmarkEntry> FindBookmark(bool lastPosition, bool forward, LineIndex line) const;
    void RemoveBookmarks();
    void Clear();

    /// Keeps the entries on their lines when lines are inserted (delta 1) or removed (delta -1):
    /// every entry at or below line `from` moves by delta.
    void ShiftLines(LineIndex from, int delta);

private:
    void Changed() { sortedValid_ = false; }
    bool QueryEntries(const std::string& path, std::vector<BookmarkEntry>& entries);
    BookmarkEntry Stored(const BookmarkEntry& entry) const;
    /// The statement for an entry as stored (converted already).
    static std::string InsertStatement(const BookmarkEntry& entry, const std::string& condition);
    std::string ReplacingStatements(const std::string& path) const;
    std::string AddingStatements(const std::string& path) const;
    /// Writes shifts collected by ShiftLines into the entries.
    void ApplyShifts() const;
    const std::vector<LineIndex>& SortedBookmarkLines() const;

    SqlDatabase database_;
    const PlaceConverter* converter_ = nullptr;
    mutable std::vector<BookmarkEntry> entries_;
    mutable DeferredLineShifts shifts_;           ///< a line filter moves many entries many times
    mutable std::vector<LineIndex> sortedLines_;  ///< bookmark lines, for the per-row test while painting
    mutable bool sortedValid_ = false;
    std::string pendingRead_;  ///< the file whose entries could not be read yet
};

}  // namespace quill
