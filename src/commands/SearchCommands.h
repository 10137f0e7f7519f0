// What acts on every hit of a search: Replace, Count and the line filters.
#pragma once

#include <cstdint>
#include <string>

#include "commands/Finder.h"
#include "platform/UserPorts.h"
#include "search/SearchOptions.h"
#include "text/TextTypes.h"

namespace quill {

class Document;
struct ViewState;

class SearchCommands {
public:
    SearchCommands(Document& doc, ViewState& view, const SearchOptions& options);

    /// Counts the hits from the cursor to the end (within the search field when set) and tells
    /// "%d items found."; the cursor stays.
    std::int64_t CountMatches();
    /// Replaces the hits from the cursor on, or within the selection; asks "Replace?" at each
    /// unless Replace All. Tells "%d items replaced." unless silent. One undo group.
    std::int64_t ReplaceText(bool silent);
    /// Extract Lines or Delete Lines (as the options say) for the lines holding a hit from the
    /// cursor on; the number of lines, "No matching lines found!" when none.
    std::int64_t ApplyLineFilter();
    /// Whether the last command stopped on its expression (told, and its changes taken back).
    bool Failed() const { return failed_; }

private:
    /// The line filter by repeated searches, where the lines cannot be found at once: the lines to
    /// keep go to `taken` (Extract), the others are removed (Delete). The number of lines.
    std::int64_t FilterHitByHit(bool extract, std::vector<LineIndex>& taken);
    struct Range {
        bool selected = false;
        bool block = false;
        LineIndex startLine = 0;
        Column startColumn = 0;
        LineIndex endLine = 0;
        Column endColumn = 0;
    };
    Range TakeSelection();
    /// Where a hit lies against the selection: inside, before it (skip) or after it (stop).
    enum class Place { Inside, Skip, Stop };
    Place PlaceOf(const Range& range) const;
    std::int64_t ReplacePlain(Range range);
    std::int64_t ReplaceRegex(const Range& range);
    /// Replaces the selected hit by bytes (stored), the cursor ending after them.
    void ReplaceHit(const std::string& bytes);
    /// Steps the progress window at the cursor line; true when Escape asked to stop.
    bool Step(LineIndex lines);
    void RestoreCursor(LineIndex line, Column column, Column preferred);

    Document& doc_;

    UserPorts ports_;  ///< taken from the document when made
    ViewState& view_;
    const SearchOptions& options_;
    Finder search_;
    bool failed_ = false;
};

}  // namespace quill
