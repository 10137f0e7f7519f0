// Zstd frames decoded straight into the blocks of a load, or streamed.
#include "text/formats/ZstdReader.h"

#include <algorithm>
#include <cstring>
// The frame-by-frame calls are the library's advanced interface.
#define ZSTD_STATIC_LINKING_ONLY
#include <zstd.h>

namespace quill {

// A zstd block holds at most this much text: a block of a load has room for one more beyond its end.
static_assert(Decompressor::kBlockSlack >= ZSTD_BLOCKSIZE_MAX);

ZstdReader::ZstdReader() : stream_(ZSTD_createDStream()), direct_(ZSTD_createDCtx())
{
    // Files made with --long have windows beyond the library's default limit; the memory is
    // taken only when a frame asks for it.
    if (stream_)
        ZSTD_DCtx_setParameter(stream_, ZSTD_d_windowLogMax, sizeof(void*) == 8 ? 31 : 27);
}

ZstdReader::~ZstdReader()
{
    ZSTD_freeDCtx(direct_);
    ZSTD_freeDStream(stream_);
}

Decompressor::Step ZstdReader::Decode(const unsigned char* in, std::size_t inSize, std::size_t& used,
                                      unsigned char* out, std::size_t outSize, std::size_t& made, bool)
{
    ZSTD_inBuffer input{in, inSize, 0};
    ZSTD_outBuffer output{out, outSize, 0};
    const std::size_t r = ZSTD_decompressStream(stream_, &output, &input);
    used = input.pos;
    made = output.pos;
    if (ZSTD_isError(r))
        return Step::Failed;
    return r == 0 ? Step::MemberEnd : Step::Going;  // 0: a frame ended and all of it was given
}

ZstdReader::Begun ZstdReader::BeginFrame(std::int64_t size, int& error)
{
    // Zeros between frames are padding, as for the other formats.
    if (!SkipZeros(error) || !Gather(ZSTD_FRAMEHEADERSIZE_MAX, error))
        return Begun::ReadError;
    if (Available() == 0) {
        Finish();
        return Begun::End;
    }
    // A match reaches back at most a window: into the block before, which must hold that much of
    // the frame. Each block the frame fills holds at least its size less what the block before
    // carried over.
    ZSTD_frameHeader header{};
    const std::size_t r = ZSTD_getFrameHeader(&header, Input(), Available());
    if (ZSTD_isError(r) || r != 0 || header.frameType != ZSTD_frame || header.dictID != 0 ||
        header.windowSize > static_cast<unsigned long long>(std::max<std::int64_t>(size - kBlockSlack, 0))) {
        streaming_ = true;
        return Begun::Streamed;
    }
    if (ZSTD_isError(ZSTD_decompressBegin(direct_))) {
        streaming_ = true;
        return Begun::Streamed;
    }
    frameOpen_ = true;
    return Begun::Frame;
}

std::int64_t ZstdReader::ReadBlock(char* buf, std::int64_t size, int& error)
{
    if (streaming_)
        return Read(buf, size, error);
    auto* out = reinterpret_cast<unsigned char*>(buf);
    std::int64_t got = 0;
    if (carriedSize_ > 0) {
        std::memcpy(buf, carried_, static_cast<std::size_t>(carriedSize_));
        got = carriedSize_;
        carriedSize_ = 0;
    }
    while (got < size && !Finished()) {
        if (!frameOpen_) {
            const Begun begun = BeginFrame(size, error);
            if (begun == Begun::ReadError)
                return got > 0 ? got : -1;
            if (begun == Begun::Streamed) {
                const std::int64_t more = Read(buf + got, size - got, error);
                return more >= 0 ? got + more : got > 0 ? got : -1;
            }
            continue;
        }
        const std::size_t need = ZSTD_nextSrcSizeToDecompress(direct_);
        if (need == 0) {
            frameOpen_ = false;
            continue;
        }
        if (need > kInputBytes) {
            SetDamage(Damage::Corrupt, InputOffset());
            break;
        }
        if (!Gather(need, error))
            return got > 0 ? got : -1;
        if (Available() < need) {
            SetDamage(Damage::EndsEarly, InputOffset() + static_cast<std::int64_t>(Available()));
            break;
        }
        // The room goes on into the spare bytes: a block of text that does not fit whole is
        // decoded there and carried over to the next buffer.
        const std::size_t made = ZSTD_decompressContinue(
            direct_, out + got, static_cast<std::size_t>(size + kBlockSlack - got), Input(), need);
        if (ZSTD_isError(made)) {
            SetDamage(Damage::Corrupt, InputOffset());
            break;
        }
        Take(need);
        got += static_cast<std::int64_t>(made);
    }
    if (got > size) {
        carried_ = buf + size;
        carriedSize_ = got - size;
        got = size;
    }
    return got;
}

}  // namespace quill
