// xz: telling it and its preset, reading and writing it through liblzma.
#include <algorithm>
#include <lzma.h>

#include "text/CompressionFormatRow.h"
#include "text/Compressor.h"
#include "text/Decompressor.h"
#include "text/formats/MagicBytes.h"

namespace quill {

namespace {

constexpr int kDefaultLevel = 6;
constexpr int kCheckCrc64 = 4;

class XzReader final : public Decompressor {
public:
    XzReader() { ok_ = lzma_stream_decoder(&s_, UINT64_MAX, LZMA_CONCATENATED) == LZMA_OK; }
    ~XzReader() override { lzma_end(&s_); }
    bool Ready() const { return ok_; }

protected:
    Step Decode(const unsigned char* in, std::size_t inSize, std::size_t& used, unsigned char* out, std::size_t outSize,
                std::size_t& made, bool last) override
    {
        s_.next_in = in;
        s_.avail_in = inSize;
        s_.next_out = out;
        s_.avail_out = outSize;
        const lzma_ret r = lzma_code(&s_, last ? LZMA_FINISH : LZMA_RUN);
        used = inSize - s_.avail_in;
        made = outSize - s_.avail_out;
        if (r == LZMA_STREAM_END)
            return Step::MemberEnd;
        return r == LZMA_OK || r == LZMA_BUF_ERROR ? Step::Going : Step::Failed;
    }
    bool Restart() override { return true; }
    bool ReadsMembersItself() const override { return true; }
    bool PassesPaddingItself() const override { return true; }  // xz's own stream padding

private:
    lzma_stream s_ = LZMA_STREAM_INIT;
    bool ok_ = false;
};

class XzWriter final : public Compressor {
public:
    XzWriter(int level, int check)
    {
        const auto kind = static_cast<lzma_check>(check);
        ok_ = lzma_easy_encoder(&s_, static_cast<std::uint32_t>(level),
                                lzma_check_is_supported(kind) ? kind : LZMA_CHECK_CRC64) == LZMA_OK;
    }
    ~XzWriter() override { lzma_end(&s_); }
    bool Ready() const { return ok_; }

protected:
    bool Encode(const unsigned char* in, std::size_t inSize, std::size_t& used, unsigned char* out, std::size_t outSize,
                std::size_t& made, bool finish, bool& done) override
    {
        s_.next_in = in;
        s_.avail_in = inSize;
        s_.next_out = out;
        s_.avail_out = outSize;
        const lzma_ret r = lzma_code(&s_, finish ? LZMA_FINISH : LZMA_RUN);
        used = inSize - s_.avail_in;
        made = outSize - s_.avail_out;
        done = r == LZMA_STREAM_END;
        return r == LZMA_OK || r == LZMA_STREAM_END || r == LZMA_BUF_ERROR;
    }

private:
    lzma_stream s_ = LZMA_STREAM_INIT;
    bool ok_ = false;
};

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
        return kDefaultLevel;  // no block: an empty text
    const unsigned char flags = head[at++];
    std::uint64_t ignored = 0;
    if ((flags & 0x40) && !XzNumber(head, size, at, ignored))
        return kDefaultLevel;
    if ((flags & 0x80) && !XzNumber(head, size, at, ignored))
        return kDefaultLevel;
    std::uint64_t filter = 0;
    std::uint64_t propsSize = 0;
    if ((flags & 0x03) != 0 || !XzNumber(head, size, at, filter) || filter != 0x21 ||
        !XzNumber(head, size, at, propsSize) || propsSize != 1 || at >= size)
        return kDefaultLevel;  // more than one filter, or not LZMA2: the default will do
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
        return kDefaultLevel;
    return dictionary <= 16 * kMiB ? 7 : dictionary <= 32 * kMiB ? 8 : 9;
}

std::optional<CompressionStyle> Recognise(const unsigned char* head, std::size_t size)
{
    if (!Starts(head, size, {0xFD, '7', 'z', 'X', 'Z', 0x00}))
        return std::nullopt;
    return CompressionStyle{CompressionFormat::Xz, XzLevel(head, size), size > 7 ? head[7] & 0x0F : kCheckCrc64};
}

constexpr const char* kEndings[] = {".xz", ".txz"};

}  // namespace

const CompressionFormatRow& XzFormat()
{
    static const CompressionFormatRow row{CompressionFormat::Xz,
                                          "xz",
                                          kEndings,
                                          {CompressionFormat::Xz, kDefaultLevel, kCheckCrc64},
                                          Recognise,
                                          [] { return Started<Decompressor, XzReader>(); },
                                          [](const CompressionStyle& style) {
                                              return Started<Compressor, XzWriter>(std::clamp(style.level, 0, 9),
                                                                                   style.check);
                                          },
                                          nullptr};
    return row;
}

}  // namespace quill
