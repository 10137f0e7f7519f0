// zstd: telling it, reading (ZstdReader) and writing it through libzstd.
#include <algorithm>
#include <climits>
#include <string>
#include <zstd.h>

#include "text/CompressionFormatRow.h"
#include "text/Compressor.h"
#include "text/FileHandle.h"
#include "text/formats/MagicBytes.h"
#include "text/formats/ZstdReader.h"

namespace quill {

namespace {

constexpr int kDefaultLevel = 3;

class ZstdWriter final : public Compressor {
public:
    ZstdWriter(int level, bool checksum) : c_(ZSTD_createCCtx())
    {
        ok_ = c_ && !ZSTD_isError(ZSTD_CCtx_setParameter(c_, ZSTD_c_compressionLevel, level)) &&
              !ZSTD_isError(ZSTD_CCtx_setParameter(c_, ZSTD_c_checksumFlag, checksum ? 1 : 0));
    }
    ~ZstdWriter() override { ZSTD_freeCCtx(c_); }
    bool Ready() const { return ok_; }

protected:
    bool Encode(const unsigned char* in, std::size_t inSize, std::size_t& used, unsigned char* out, std::size_t outSize,
                std::size_t& made, bool finish, bool& done) override
    {
        ZSTD_inBuffer input{in, inSize, 0};
        ZSTD_outBuffer output{out, outSize, 0};
        const std::size_t r = ZSTD_compressStream2(c_, &output, &input, finish ? ZSTD_e_end : ZSTD_e_continue);
        used = input.pos;
        made = output.pos;
        done = finish && r == 0;
        return !ZSTD_isError(r);
    }

private:
    ZSTD_CCtx* c_;
    bool ok_ = false;
};

std::optional<CompressionStyle> Recognise(const unsigned char* head, std::size_t size)
{
    if (Starts(head, size, {0x28, 0xB5, 0x2F, 0xFD}))
        return CompressionStyle{CompressionFormat::Zstd, kDefaultLevel, size > 4 && (head[4] & 0x04) ? 1 : 0};
    // A skippable frame first (zstd's own, for metadata): the frames after it are zstd's.
    if (size >= 4 && (head[0] & 0xF0) == 0x50 && head[1] == 0x2A && head[2] == 0x4D && head[3] == 0x18)
        return CompressionStyle{CompressionFormat::Zstd, kDefaultLevel, 1};
    return std::nullopt;
}

// The first frame's header may record its text's size.
std::optional<std::int64_t> LeastTextSize(int fd, std::int64_t)
{
    constexpr std::int64_t kLongestHeader = 18;
    std::string read;
    if (!ReadExactlyAt(fd, 0, kLongestHeader, read))
        return std::nullopt;
    const unsigned long long size = ZSTD_getFrameContentSize(read.data(), read.size());
    if (size == ZSTD_CONTENTSIZE_UNKNOWN || size == ZSTD_CONTENTSIZE_ERROR || size > INT64_MAX)
        return std::nullopt;
    return static_cast<std::int64_t>(size);
}

constexpr const char* kEndings[] = {".zst", ".tzst"};

}  // namespace

const CompressionFormatRow& ZstdFormat()
{
    static const CompressionFormatRow row{CompressionFormat::Zstd,
                                          "zstd",
                                          kEndings,
                                          {CompressionFormat::Zstd, kDefaultLevel, 1},
                                          Recognise,
                                          [] { return Started<Decompressor, ZstdReader>(); },
                                          [](const CompressionStyle& style) {
                                              return Started<Compressor, ZstdWriter>(std::clamp(style.level, 1, 19),
                                                                                     style.check != 0);
                                          },
                                          LeastTextSize};
    return row;
}

}  // namespace quill
