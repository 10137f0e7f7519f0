// The filter pane's search: parts of the text in turn, and the list kept through edits.
#include "search/FilterRun.h"

#include <algorithm>

#include "document/Document.h"
#include "search/LineExpression.h"
#include "search/SearchExpression.h"
#include "structure/StructureDescription.h"

namespace quill {

namespace {

using Clock = std::chrono::steady_clock;

// Beyond this many edited lines waiting for a look, searching the whole text again is cheaper.
constexpr std::size_t kMostRechecks = 20000;

// Moves the line numbers from `row` on by `delta`, in a list in order.
void Shift(std::vector<LineIndex>& lines, LineIndex row, LineIndex delta)
{
    for (auto at = std::lower_bound(lines.begin(), lines.end(), row); at != lines.end(); ++at)
        *at += delta;
}

// The same in a list in any order.
void ShiftAll(std::vector<LineIndex>& lines, LineIndex row, LineIndex delta)
{
    for (LineIndex& line : lines)
        if (line >= row)
            line += delta;
}

}  // namespace

FilterRun::FilterRun(Document& doc, const FilterOptions& filter) : doc_(doc), search_(doc_, query_)
{
    query_ = SearchQuery::Typed(filter.text, filter.useRegEx, filter.useBackslashes, filter.matchCase, filter.field);
    if (filter.wholeWord && !query_.text.empty()) {
        const std::string inner = query_.regex ? query_.text : QuotedLiteral(query_.text);
        query_.text = "\\b(?:" + inner + ")\\b";
        query_.regex = true;
    }
    if (query_.regex) {
        // Told in the pane: a message box at every half-typed expression would be no help.
        try {
            SearchExpression(WithPerlLineEnd(query_.text), query_.matchCase, doc_.Utf8Text());
        } catch (const std::exception& error) {
            problem_ = std::string("Expression error: ") + error.what();
        }
    }
    doc_.Text().AddWatcher(this);
}

FilterRun::~FilterRun() { doc_.Text().RemoveWatcher(this); }

LineIndex FilterRun::LineCount() const { return doc_.Text().LineCount(); }

bool FilterRun::FieldGone()
{
    // The structure may have been changed or closed since the filter began: its fields are
    // looked up again rather than trusted.
    const FieldDef* field = query_.field;
    if (field && doc_.Structure().IndexOf(field) == doc_.Structure().FieldCount())
        problem_ = "The field searched in is no longer in the structure.";
    return !problem_.empty();
}

bool FilterRun::Step(std::chrono::milliseconds budget)
{
    if (!problem_.empty() || FieldGone())
        return false;
    if (query_.text.empty()) {
        next_ = LineCount();
        recheck_.clear();
        return false;
    }
    const Clock::time_point start = Clock::now();
    Recheck();
    while (next_ < LineCount() && problem_.empty() && Clock::now() - start < budget) {
        const Clock::time_point partStart = Clock::now();
        SearchPart(std::min(LineCount(), next_ + partLines_));
        // Parts of about a quarter of the budget: long enough to be fast, short enough to stop in time.
        const auto took = Clock::now() - partStart;
        if (took < budget / 8)
            partLines_ = std::min<LineIndex>(partLines_ * 2, 1 << 24);
        else if (took > budget / 2)
            partLines_ = std::max<LineIndex>(partLines_ / 2, 256);
    }
    return !Complete() && problem_.empty();
}

void FilterRun::SearchPart(LineIndex end)
{
    search_.Confine(end);
    if (auto found = search_.MatchingLines(TextPosition{next_, 0})) {
        if (!search_.Failed() && !found->empty()) {
            lines_.insert(lines_.end(), found->begin(), found->end());
            ++changes_;
        }
    } else if (!search_.Failed()) {
        // Searches the automaton or the literal scan cannot take (fields, some expressions): hit by hit.
        search_.ForgetEmptyHit();
        for (TextSelection at{TextPosition{next_, 0}}; const auto hit = search_.Forward(at);) {
            lines_.push_back(hit->line);
            ++changes_;
            if (hit->line + 1 >= end)
                break;
            at = TextSelection{TextPosition{hit->line + 1, 0}};
        }
    }
    if (search_.Failed())
        problem_ = "The search failed on this expression.";
    next_ = end;
}

bool FilterRun::HasHit(LineIndex line) { return FirstHit(line).has_value(); }

std::optional<SearchMatch> FilterRun::FirstHit(LineIndex line)
{
    if (!problem_.empty() || FieldGone() || query_.text.empty() || line < 0 || line >= LineCount())
        return std::nullopt;
    search_.Confine(line + 1);
    search_.ForgetEmptyHit();
    auto hit = search_.Forward(TextSelection{TextPosition{line, 0}});
    return hit && hit->line == line ? hit : std::nullopt;
}

void FilterRun::Recheck()
{
    std::sort(recheck_.begin(), recheck_.end());
    recheck_.erase(std::unique(recheck_.begin(), recheck_.end()), recheck_.end());
    for (const LineIndex row : recheck_) {
        if (row >= next_)
            continue;
        const auto at = std::lower_bound(lines_.begin(), lines_.end(), row);
        const bool listed = at != lines_.end() && *at == row;
        const bool hit = HasHit(row);
        if (hit && !listed)
            lines_.insert(at, row);
        else if (!hit && listed)
            lines_.erase(at);
        changes_ += hit != listed;
    }
    recheck_.clear();
}

void FilterRun::LineInserted(LineIndex row)
{
    if (row >= next_)
        return;  // not searched yet: the search comes to it
    ++next_;
    ++changes_;
    Shift(lines_, row, 1);
    ShiftAll(recheck_, row, 1);
    recheck_.push_back(row);
    if (recheck_.size() > kMostRechecks)
        LinesReset();
}

void FilterRun::LineRemoved(LineIndex row)
{
    if (row >= next_)
        return;
    --next_;
    ++changes_;
    if (const auto at = std::lower_bound(lines_.begin(), lines_.end(), row); at != lines_.end() && *at == row)
        lines_.erase(at);
    std::erase(recheck_, row);
    Shift(lines_, row, -1);
    ShiftAll(recheck_, row, -1);
}

void FilterRun::LineReplaced(LineIndex row)
{
    if (row >= next_)
        return;
    recheck_.push_back(row);
    if (recheck_.size() > kMostRechecks)
        LinesReset();
}

void FilterRun::LinesReset()
{
    ++changes_;
    lines_.clear();
    recheck_.clear();
    next_ = 0;
}

}  // namespace quill
