// Marks of lines that follow the text's changes.
#include "search/MarkedLines.h"

#include <algorithm>

#include "text/TextPlaces.h"
#include "text/TextStore.h"

namespace quill {

MarkedLines::MarkedLines(TextStore& text) : text_(text) { text_.AddWatcher(this); }

MarkedLines::~MarkedLines() { text_.RemoveWatcher(this); }

void MarkedLines::Toggle(LineIndex row)
{
    const auto at = std::lower_bound(rows_.begin(), rows_.end(), row);
    if (at != rows_.end() && *at == row)
        rows_.erase(at);
    else
        rows_.insert(at, row);
    ++changes_;
}

bool MarkedLines::Contains(LineIndex row) const { return std::binary_search(rows_.begin(), rows_.end(), row); }

void MarkedLines::LineInserted(LineIndex row)
{
    auto at = std::lower_bound(rows_.begin(), rows_.end(), row);
    if (at == rows_.end())
        return;
    for (; at != rows_.end(); ++at)
        ++*at;
    ++changes_;
}

void MarkedLines::LineRemoved(LineIndex row)
{
    auto at = std::lower_bound(rows_.begin(), rows_.end(), row);
    if (at == rows_.end())
        return;
    if (*at == row)
        at = rows_.erase(at);
    for (; at != rows_.end(); ++at)
        --*at;
    ++changes_;
}

void MarkedLines::LinesReset()
{
    if (!rows_.empty())
        ++changes_;
    rows_.clear();
}

void MarkedLines::BeforeRecut()
{
    std::vector<ShownPlace> starts;
    starts.reserve(rows_.size());
    for (const LineIndex row : rows_)
        starts.push_back({row, 0});
    keptStarts_ = OffsetsOf(text_, DisplayRules{}, starts);
}

void MarkedLines::AfterRecut()
{
    std::vector<LineIndex> rows;
    rows.reserve(keptStarts_.size());
    for (const ShownPlace& place : PlacesOf(text_, DisplayRules{}, keptStarts_))
        if (rows.empty() || rows.back() != place.line)
            rows.push_back(place.line);
    keptStarts_.clear();
    if (rows != rows_)
        ++changes_;
    rows_ = std::move(rows);
}

}  // namespace quill
