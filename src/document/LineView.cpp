// Column arithmetic shared by every reader of a line.
#include "document/LineView.h"

namespace quill {

std::uint32_t LineView::ColumnToIndex(std::int64_t column, int tabSize, std::uint8_t tabByte) const
{
    std::int64_t col = 0;
    for (std::uint32_t i = 0; i < length_; ++i) {
        col = static_cast<std::uint8_t>(data_[i]) == tabByte ? NextTabStop(col, tabSize) : col + 1;
        if (col > column)
            return i;
    }
    return length_;
}

std::int64_t LineView::IndexToColumn(std::uint32_t index, int tabSize, std::uint8_t tabByte) const
{
    std::int64_t col = 0;
    for (std::uint32_t i = 0; i < index && i < length_; ++i)
        col = static_cast<std::uint8_t>(data_[i]) == tabByte ? NextTabStop(col, tabSize) : col + 1;
    return col;
}

}  // namespace quill
