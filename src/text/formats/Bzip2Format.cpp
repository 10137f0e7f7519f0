// bzip2: telling it, reading and writing it through libbz2.
#include <algorithm>
#include <bzlib.h>
#include <cstring>

#include "text/CompressionFormatRow.h"
#include "text/Compressor.h"
#include "text/Decompressor.h"
#include "text/formats/MagicBytes.h"

namespace quill {

namespace {

constexpr int kDefaultLevel = 9;

class Bzip2Reader final : public Decompressor {
public:
    Bzip2Reader() { ok_ = BZ2_bzDecompressInit(&s_, 0, 0) == BZ_OK; }
    ~Bzip2Reader() override
    {
        if (ok_)
            BZ2_bzDecompressEnd(&s_);
    }
    bool Ready() const { return ok_; }

protected:
    Step Decode(const unsigned char* in, std::size_t inSize, std::size_t& used, unsigned char* out, std::size_t outSize,
                std::size_t& made, bool) override
    {
        s_.next_in = const_cast<char*>(reinterpret_cast<const char*>(in));
        s_.avail_in = static_cast<unsigned>(inSize);
        s_.next_out = reinterpret_cast<char*>(out);
        s_.avail_out = static_cast<unsigned>(outSize);
        const int r = BZ2_bzDecompress(&s_);
        used = inSize - s_.avail_in;
        made = outSize - s_.avail_out;
        if (r == BZ_STREAM_END)
            return Step::MemberEnd;
        return r == BZ_OK ? Step::Going : Step::Failed;
    }
    bool Restart() override
    {
        BZ2_bzDecompressEnd(&s_);
        s_ = bz_stream{};
        ok_ = BZ2_bzDecompressInit(&s_, 0, 0) == BZ_OK;
        return ok_;
    }

private:
    bz_stream s_{};
    bool ok_ = false;
};

class Bzip2Writer final : public Compressor {
public:
    explicit Bzip2Writer(int level) { ok_ = BZ2_bzCompressInit(&s_, std::clamp(level, 1, 9), 0, 0) == BZ_OK; }
    ~Bzip2Writer() override
    {
        if (ok_)
            BZ2_bzCompressEnd(&s_);
    }
    bool Ready() const { return ok_; }

protected:
    bool Encode(const unsigned char* in, std::size_t inSize, std::size_t& used, unsigned char* out, std::size_t outSize,
                std::size_t& made, bool finish, bool& done) override
    {
        s_.next_in = const_cast<char*>(reinterpret_cast<const char*>(in));
        s_.avail_in = static_cast<unsigned>(inSize);
        s_.next_out = reinterpret_cast<char*>(out);
        s_.avail_out = static_cast<unsigned>(outSize);
        const int r = BZ2_bzCompress(&s_, finish ? BZ_FINISH : BZ_RUN);
        used = inSize - s_.avail_in;
        made = outSize - s_.avail_out;
        done = r == BZ_STREAM_END;
        return r == BZ_RUN_OK || r == BZ_FINISH_OK || r == BZ_STREAM_END;
    }

private:
    bz_stream s_{};
    bool ok_ = false;
};

// "BZh" and the block size, then the magic of a block or of the stream's end: plain text may well
// begin with "BZh9".
std::optional<CompressionStyle> Recognise(const unsigned char* head, std::size_t size)
{
    if (size >= 10 && Starts(head, size, {'B', 'Z', 'h'}) && head[3] >= '1' && head[3] <= '9' &&
        (std::memcmp(head + 4, "\x31\x41\x59\x26\x53\x59", 6) == 0 ||
         std::memcmp(head + 4, "\x17\x72\x45\x38\x50\x90", 6) == 0))
        return CompressionStyle{CompressionFormat::Bzip2, head[3] - '0', 0};
    return std::nullopt;
}

constexpr const char* kEndings[] = {".bz2", ".tbz2"};

}  // namespace

const CompressionFormatRow& Bzip2Format()
{
    static const CompressionFormatRow row{
        CompressionFormat::Bzip2,
        "bzip2",
        kEndings,
        {CompressionFormat::Bzip2, kDefaultLevel, 0},
        Recognise,
        [] { return Started<Decompressor, Bzip2Reader>(); },
        [](const CompressionStyle& style) { return Started<Compressor, Bzip2Writer>(style.level); },
        nullptr};
    return row;
}

}  // namespace quill
