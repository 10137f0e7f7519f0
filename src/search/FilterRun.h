// The lines of a text that match a filter text, found a part at a time and kept up to date.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "search/SearchQuery.h"
#include "search/TextSearch.h"
#include "text/LineWatcher.h"

namespace quill {

class Document;

/// What the filter pane asks for: the search dialog's options and whole words.
struct FilterOptions {
    std::string text;  ///< as typed
    bool matchCase = false;
    bool useRegEx = false;
    bool wholeWord = false;
    bool useBackslashes = false;
    FieldDef* field = nullptr;  ///< only this field of the structure is searched
};

/// Finds the lines that hold a hit of the filter, in steps of about a given time so that typing
/// and scrolling never wait for it, from the top of the text to its end. The text may change
/// between steps: edited lines are looked at again, inserted and removed lines move the list,
/// appended lines (a followed file) are searched as they come.
class FilterRun final : private LineWatcher {
public:
    FilterRun(Document& doc, const FilterOptions& options);
    ~FilterRun();
    FilterRun(const FilterRun&) = delete;
    FilterRun& operator=(const FilterRun&) = delete;

    /// Why nothing can be found: a bad expression ("Expression error: ..."); empty when it runs.
    const std::string& Problem() const { return problem_; }
    /// Searches on for about `budget`; true while lines are left to look at.
    bool Step(std::chrono::milliseconds budget);
    bool Complete() const { return problem_.empty() && next_ >= LineCount() && recheck_.empty(); }
    /// The display lines with a hit, in order.
    const std::vector<LineIndex>& Lines() const { return lines_; }
    /// The lines looked at so far, from the top.
    LineIndex Searched() const { return next_; }
    /// Counts every change of the list, for a view that shows it.
    std::uint64_t Changes() const { return changes_; }
    /// The first hit on a line (columns), for showing it; none when the line has none.
    std::optional<SearchMatch> FirstHit(LineIndex line);

private:
    void LineInserted(LineIndex row) override;
    void LineRemoved(LineIndex row) override;
    void LineReplaced(LineIndex row) override;
    void LinesReset() override;

    LineIndex LineCount() const;
    /// Whether the field the search is held to went away (a problem then says so).
    bool FieldGone();
    /// Searches the lines [next_, end) and adds those with a hit.
    void SearchPart(LineIndex end);
    /// Looks again at the lines edited among those searched.
    void Recheck();
    bool HasHit(LineIndex line);

    Document& doc_;
    SearchQuery query_;
    TextSearch search_;
    std::string problem_;
    std::vector<LineIndex> lines_;
    std::vector<LineIndex> recheck_;  ///< edited lines before next_, to look at again
    LineIndex next_ = 0;
    std::uint64_t changes_ = 0;
    LineIndex partLines_ = 4096;  ///< lines searched at once, grown or shrunk to the time budget
};

}  // namespace quill
