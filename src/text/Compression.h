// The compressed formats that logs are rotated into, told by their first bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quill {

enum class CompressionFormat { None, Gzip, Xz, Zstd, Bzip2 };

/// A format and what its data records about how it was made, so that a save can make it alike.
struct CompressionStyle {
    CompressionFormat format = CompressionFormat::None;
    /// The level the format's tool would be given: gzip 1–9, xz 0–9, zstd 1–19, bzip2 1–9.
    int level = 0;
    /// xz: the kind of check (liblzma's number); zstd: 1 when frames carry a checksum.
    int check = 0;

    bool Compressed() const { return format != CompressionFormat::None; }
    bool operator==(const CompressionStyle&) const = default;
};

/// What the first bytes of a file say (about 64 are enough to tell the level, 8 the format).
CompressionStyle CompressionOfHead(const unsigned char* head, std::size_t size);
/// The format of the file open at fd, from its first bytes (read at offset 0).
CompressionStyle CompressionOfFile(int fd);
/// The format a name asks for by its ending (".gz", ".xz", ".zst", ".bz2"), each with the level
/// its tool uses when given none.
CompressionStyle CompressionForName(const std::string& path);
/// "gzip", "xz", "zstd", "bzip2"; empty for plain text.
const char* CompressionName(CompressionFormat format);

}  // namespace quill
