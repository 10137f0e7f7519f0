// Query results.
#include "text/SqlResult.h"

#include <cstdlib>
#include <strings.h>

namespace quill {

void SqlResult::Clear()
{
    columns_.clear();
    rows_.clear();
    cursor_ = -1;
}

bool SqlResult::Next()
{
    if (cursor_ < static_cast<std::int64_t>(rows_.size()))
        ++cursor_;
    return cursor_ < static_cast<std::int64_t>(rows_.size());
}

std::string SqlResult::Get(const std::string& column)
{
    if (cursor_ < 0)
        cursor_ = 0;
    if (cursor_ >= static_cast<std::int64_t>(rows_.size()))
        return {};
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (::strcasecmp(columns_[i].c_str(), column.c_str()) == 0)
            return i < rows_[static_cast<std::size_t>(cursor_)].size() ? rows_[static_cast<std::size_t>(cursor_)][i]
                                                                       : std::string();
    return {};
}

std::int64_t SqlResult::GetInt(const std::string& column) { return std::strtoll(Get(column).c_str(), nullptr, 10); }

}  // namespace quill
