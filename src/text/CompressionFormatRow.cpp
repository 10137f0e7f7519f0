// The table of compressed formats.
#include "text/CompressionFormatRow.h"

#include <array>

namespace quill {

std::span<const CompressionFormatRow> CompressionFormats()
{
    // bzip2 last: plain text may begin with its "BZh", and it is checked hardest.
    static const std::array<CompressionFormatRow, 4> rows{GzipFormat(), XzFormat(), ZstdFormat(), Bzip2Format()};
    return rows;
}

const CompressionFormatRow* RowOf(CompressionFormat format)
{
    for (const CompressionFormatRow& row : CompressionFormats())
        if (row.format == format)
            return &row;
    return nullptr;
}

}  // namespace quill
