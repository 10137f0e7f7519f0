// Telling compressed formats by their magic bytes, and the level their headers record.
#include "text/Compression.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace quill {

namespace {

constexpr int kGzipDefault = 6;
constexpr int kXzDefault = 6;
constexpr int kZstdDefault = 3;
constexpr int kBzip2Default = 9;
constexpr int kXzCheckCrc64 = 4;

bool Starts(const unsigned char* head, std::size_t size, std::initializer_list<unsigned char> magic)
{
    return size >= magic.size() && std::equal(magic.begin(), magic.end(), head);
}

// gzip keeps one hint in its header: "maximum compression" (level 9) or "fastest" (level 1).
int GzipLevel(const unsigned char* head, std::size_t size)
{
    if (size <= 8)
        return kGzipDefault;
    return head[8] == 2 ? 9 : head[8] == 4 ? 1 : kGzipDefault;
}

// Reads a variable-length number of an xz header; false when it runs past the bytes there are.
bool XzNumber(const unsigned char* head, std::size_t size, std::size_t& at, std::uint64_t& value)
{
    value = 0;
    for (int shift = 0; at < size && shift < 63; shift += 7) {
        const unsigned char b = head[at++];
        value |= static_cast<std::uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80))
            return true;
    }
    return false;
}

// The xz presets differ in their dictionary size, which the first block's LZMA2 filter records.
int XzLevel(const unsigned char* head, std::size_t size)
{
    constexpr std::size_t kBlockHeader = 12;
    std::size_t at = kBlockHeader + 1;
    if (size <= at || head[kBlockHeader] == 0)
        return kXzDefault;  // no block: an empty text
    const unsigned char flags = head[at++];
    std::uint64_t ignored = 0;
    if ((flags & 0x40) && !XzNumber(head, size, at, ignored))
        return kXzDefault;
    if ((flags & 0x80) && !XzNumber(head, size, at, ignored))
        return kXzDefault;
    std::uint64_t filter = 0;
    std::uint64_t propsSize = 0;
    if ((flags & 0x03) != 0 || !XzNumber(head, size, at, filter) || filter != 0x21 ||
        !XzNumber(head, size, at, propsSize) || propsSize != 1 || at >= size)
        return kXzDefault;  // more than one filter, or not LZMA2: the default will do
    const unsigned bits = head[at];
    if (bits >= 40)
        return 9;
    const std::uint64_t dictionary = static_cast<std::uint64_t>(2 | (bits & 1)) << (bits / 2 + 11);
    constexpr std::uint64_t kMiB = 1 << 20;
    if (dictionary <= kMiB / 4)
        return 0;
    if (dictionary <= kMiB)
        return 1;
    if (dictionary <= 2 * kMiB)
        return 2;
    if (dictionary <= 4 * kMiB)
        return 3;
    if (dictionary <= 8 * kMiB)
        return kXzDefault;
    return dictionary <= 16 * kMiB ? 7 : dictionary <= 32 * kMiB ? 8 : 9;
}

}  // namespace

CompressionStyle CompressionOfHead(const unsigned char* head, std::size_t size)
{
    if (Starts(head, size, {0x1F, 0x8B, 0x08}))
        return {CompressionFormat::Gzip, GzipLevel(head, size), 0};
    if (Starts(head, size, {0xFD, '7', 'z', 'X', 'Z', 0x00}))
        return {CompressionFormat::Xz, XzLevel(head, size), size > 7 ? head[7] & 0x0F : kXzCheckCrc64};
    if (Starts(head, size, {0x28, 0xB5, 0x2F, 0xFD}))
        return {CompressionFormat::Zstd, kZstdDefault, size > 4 && (head[4] & 0x04) ? 1 : 0};
    // A skippable frame first (zstd's own, for metadata): the frames after it are zstd's.
    if (size >= 4 && (head[0] & 0xF0) == 0x50 && head[1] == 0x2A && head[2] == 0x4D && head[3] == 0x18)
        return {CompressionFormat::Zstd, kZstdDefault, 1};
    // "BZh" and the block size, then the magic of a block or of the stream's end: plain text
    // may well begin with "BZh9".
    if (size >= 10 && Starts(head, size, {'B', 'Z', 'h'}) && head[3] >= '1' && head[3] <= '9' &&
        (std::memcmp(head + 4, "\x31\x41\x59\x26\x53\x59", 6) == 0 ||
         std::memcmp(head + 4, "\x17\x72\x45\x38\x50\x90", 6) == 0))
        return {CompressionFormat::Bzip2, head[3] - '0', 0};
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
    if (ends(".gz") || ends(".tgz"))
        return {CompressionFormat::Gzip, kGzipDefault, 0};
    if (ends(".xz") || ends(".txz"))
        return {CompressionFormat::Xz, kXzDefault, kXzCheckCrc64};
    if (ends(".zst") || ends(".tzst"))
        return {CompressionFormat::Zstd, kZstdDefault, 1};
    if (ends(".bz2") || ends(".tbz2"))
        return {CompressionFormat::Bzip2, kBzip2Default, 0};
    return {};
}

const char* CompressionName(CompressionFormat format)
{
    switch (format) {
    case CompressionFormat::Gzip: return "gzip";
    case CompressionFormat::Xz: return "xz";
    case CompressionFormat::Zstd: return "zstd";
    case CompressionFormat::Bzip2: return "bzip2";
    case CompressionFormat::None: break;
    }
    return "";
}

}  // namespace quill
