// gzip: telling it, reading and writing it through zlib.
#include <algorithm>
#include <string>
#include <zlib.h>

#include "text/CompressionFormatRow.h"
#include "text/Compressor.h"
#include "text/Decompressor.h"
#include "text/FileHandle.h"
#include "text/formats/MagicBytes.h"

namespace quill {

namespace {

constexpr int kDefaultLevel = 6;

class GzipReader final : public Decompressor {
public:
    GzipReader() { ok_ = inflateInit2(&z_, 15 + 16) == Z_OK; }
    ~GzipReader() override { inflateEnd(&z_); }
    bool Ready() const { return ok_; }

protected:
    Step Decode(const unsigned char* in, std::size_t inSize, std::size_t& used, unsigned char* out, std::size_t outSize,
                std::size_t& made, bool) override
    {
        z_.next_in = const_cast<unsigned char*>(in);
        z_.avail_in = static_cast<uInt>(inSize);
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(outSize);
        const int r = inflate(&z_, Z_NO_FLUSH);
        used = inSize - z_.avail_in;
        made = outSize - z_.avail_out;
        if (r == Z_STREAM_END)
            return Step::MemberEnd;
        return r == Z_OK || r == Z_BUF_ERROR ? Step::Going : Step::Failed;
    }
    bool Restart() override { return inflateReset(&z_) == Z_OK; }

private:
    z_stream z_{};
    bool ok_ = false;
};

class GzipWriter final : public Compressor {
public:
    explicit GzipWriter(int level)
    {
        ok_ = deflateInit2(&z_, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~GzipWriter() override { deflateEnd(&z_); }
    bool Ready() const { return ok_; }

protected:
    bool Encode(const unsigned char* in, std::size_t inSize, std::size_t& used, unsigned char* out, std::size_t outSize,
                std::size_t& made, bool finish, bool& done) override
    {
        z_.next_in = const_cast<unsigned char*>(in);
        z_.avail_in = static_cast<uInt>(inSize);
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(outSize);
        const int r = deflate(&z_, finish ? Z_FINISH : Z_NO_FLUSH);
        used = inSize - z_.avail_in;
        made = outSize - z_.avail_out;
        done = r == Z_STREAM_END;
        return r == Z_OK || r == Z_STREAM_END || r == Z_BUF_ERROR;
    }

private:
    z_stream z_{};
    bool ok_ = false;
};

// gzip keeps one hint in its header: "maximum compression" (level 9) or "fastest" (level 1).
std::optional<CompressionStyle> Recognise(const unsigned char* head, std::size_t size)
{
    if (!Starts(head, size, {0x1F, 0x8B, 0x08}))
        return std::nullopt;
    const int level = size <= 8 ? kDefaultLevel : head[8] == 2 ? 9 : head[8] == 4 ? 1 : kDefaultLevel;
    return CompressionStyle{CompressionFormat::Gzip, level, 0};
}

// The last member ends with its text's size modulo 4 GiB. Text shrinks, it never grows: a file
// larger than the figure holds a multiple of 4 GiB more.
std::optional<std::int64_t> LeastTextSize(int fd, std::int64_t fileSize)
{
    std::string read;
    if (!ReadExactlyAt(fd, fileSize - 4, 4, read))
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const unsigned char*>(read.data());
    std::int64_t size = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::int64_t>(bytes[3]) << 24;
    while (size < fileSize / 2)
        size += std::int64_t{1} << 32;
    return size;
}

constexpr const char* kEndings[] = {".gz", ".tgz"};

}  // namespace

const CompressionFormatRow& GzipFormat()
{
    static const CompressionFormatRow row{
        CompressionFormat::Gzip,
        "gzip",
        kEndings,
        {CompressionFormat::Gzip, kDefaultLevel, 0},
        Recognise,
        [] { return Started<Decompressor, GzipReader>(); },
        [](const CompressionStyle& style) { return Started<Compressor, GzipWriter>(std::clamp(style.level, 1, 9)); },
        LeastTextSize};
    return row;
}

}  // namespace quill
