// Telling compressed formats by their first bytes or a file's name, through the table of formats.
#include "text/Compression.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

#include "text/CompressionFormatRow.h"

namespace quill {

CompressionStyle CompressionOfHead(const unsigned char* head, std::size_t size)
{
    for (const CompressionFormatRow& row : CompressionFormats())
        if (const auto style = row.recognise(head, size))
            return *style;
    return {};
}

CompressionStyle CompressionOfFile(int fd)
{
    unsigned char head[64];
    std::size_t got = 0;
    while (got < sizeof head) {
        const ssize_t r = ::pread(fd, head + got, sizeof head - got, static_cast<off_t>(got));
        if (r <= 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    return CompressionOfHead(head, got);
}

CompressionStyle CompressionForName(const std::string& path)
{
    auto ends = [&path](const char* ending) {
        const std::size_t n = std::strlen(ending);
        return path.size() > n && path.compare(path.size() - n, n, ending) == 0;
    };
    for (const CompressionFormatRow& row : CompressionFormats())
        if (std::any_of(row.endings.begin(), row.endings.end(), ends))
            return row.defaultStyle;
    return {};
}

const char* CompressionName(CompressionFormat format)
{
    const CompressionFormatRow* row = RowOf(format);
    return row ? row->name : "";
}

}  // namespace quill
