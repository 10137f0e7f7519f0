// What the program knows of one compressed format, as one row of a table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <span>

#include "text/Compression.h"

namespace quill {

class Compressor;
class Decompressor;

/// One compressed format: how it is told, named, read and written. Each format lives in a file of
/// its own under text/formats; the table lists them in the order they are tried.
struct CompressionFormatRow {
    CompressionFormat format;
    const char* name;  ///< "gzip"
    /// The file name endings that ask for the format (".gz", ".tgz"), and the style a save in a
    /// new file of that name gets: the level the format's tool uses when given none.
    std::span<const char* const> endings;
    CompressionStyle defaultStyle;
    /// The style the first bytes show (about 64 tell the level), or none when they are not this
    /// format's.
    std::optional<CompressionStyle> (*recognise)(const unsigned char* head, std::size_t size);
    /// A reader, not yet given its file; throws std::bad_alloc when the library cannot start.
    std::unique_ptr<Decompressor> (*newReader)();
    /// A writer in the style, not yet given its file; throws std::bad_alloc likewise.
    std::unique_ptr<Compressor> (*newWriter)(const CompressionStyle& style);
    /// At least how many bytes of text a file of this size holds, as far as the format records
    /// it; none when it does not say. May be null.
    std::optional<std::int64_t> (*leastTextSize)(int fd, std::int64_t fileSize);
};

/// Every format, in the order their first bytes are tried.
std::span<const CompressionFormatRow> CompressionFormats();
/// The row of a format; null for plain text.
const CompressionFormatRow* RowOf(CompressionFormat format);

/// A library's reader or writer once it has started: they fail to start only for want of memory.
template <class Base, class Made, class... Args> std::unique_ptr<Base> Started(Args... args)
{
    auto made = std::make_unique<Made>(args...);
    if (!made->Ready())
        throw std::bad_alloc();
    return made;
}

/// The formats' rows, one file each.
const CompressionFormatRow& GzipFormat();
const CompressionFormatRow& XzFormat();
const CompressionFormatRow& ZstdFormat();
const CompressionFormatRow& Bzip2Format();

}  // namespace quill
