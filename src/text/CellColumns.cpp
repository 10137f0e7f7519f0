// Columns of a line's bytes.
#include "text/CellColumns.h"

#include <algorithm>
#include <cstring>

#include "common/Utf8.h"

namespace quill {

namespace {

bool HasHighByte(LineView line) { return AsciiPrefix(line.Bytes(), line.Bytes() + line.Length()) < line.Length(); }

}  // namespace

CellColumns::CellColumns(LineView line, const DisplayRules& rules) : length_(line.Length())
{
    const bool tabs =
        !rules.ignoreFormatCodes && !rules.binaryMode && std::memchr(line.Bytes(), rules.tab, length_) != nullptr;
    identity_ = !tabs && !(rules.utf8 && HasHighByte(line));
    if (identity_)
        return;
    start_.resize(length_ + 1);
    after_.resize(length_ + 1);
    inside_.assign(length_ + 1, 0);
    std::int64_t column = 0;
    for (std::uint32_t i = 0; i < length_;) {
        const CellUnit unit = UnitAt(line, i, column, rules);
        start_[i] = after_[i] = column;
        for (std::uint32_t k = 1; k < unit.length; ++k) {
            start_[i + k] = column;
            after_[i + k] = unit.nextColumn;
            inside_[i + k] = 1;
        }
        column = unit.nextColumn;
        i += unit.length;
    }
    start_[length_] = after_[length_] = column;
}

std::int64_t CellColumns::operator[](std::uint32_t i) const
{
    if (identity_)
        return i;
    return start_[std::min(i, length_)];
}

std::int64_t CellColumns::After(std::int64_t i) const
{
    if (identity_ || i < 0)
        return i;
    if (i >= length_)
        return start_[length_] + (i - length_);
    return after_[static_cast<std::size_t>(i)];
}

std::uint32_t CellColumns::IndexAt(std::int64_t column, std::uint32_t limit) const
{
    limit = std::min(limit, length_);
    if (identity_)
        return static_cast<std::uint32_t>(std::clamp<std::int64_t>(column, 0, limit));
    auto i =
        static_cast<std::uint32_t>(std::lower_bound(after_.begin(), after_.begin() + limit, column) - after_.begin());
    while (i < limit && inside_[i])
        ++i;  // inside a character: on to the next one
    return i;
}

}  // namespace quill
