// Stream compression into gzip, xz, zstd and bzip2.
#include "text/Compressor.h"

#include <algorithm>
#include <bzlib.h>
#include <cerrno>
#include <lzma.h>
#include <new>
#include <zlib.h>
#include <zstd.h>

#include "text/FileHandle.h"

namespace quill {

namespace {

constexpr std::size_t kOutputBytes = 1 << 20;
constexpr std::size_t kMostPerCall = 1u << 30;  // the libraries count in 32 bits

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

template <class Writer, class... Args> std::unique_ptr<Compressor> Made(Args... args)
{
    auto writer = std::make_unique<Writer>(args...);
    if (!writer->Ready())
        throw std::bad_alloc();
    return writer;
}

}  // namespace

std::unique_ptr<Compressor> Compressor::Open(int fd, const CompressionStyle& style)
{
    std::unique_ptr<Compressor> writer;
    switch (style.format) {
    case CompressionFormat::Gzip: writer = Made<GzipWriter>(std::clamp(style.level, 1, 9)); break;
    case CompressionFormat::Xz: writer = Made<XzWriter>(std::clamp(style.level, 0, 9), style.check); break;
    case CompressionFormat::Zstd: writer = Made<ZstdWriter>(std::clamp(style.level, 1, 19), style.check != 0); break;
    case CompressionFormat::Bzip2: writer = Made<Bzip2Writer>(style.level); break;
    case CompressionFormat::None: return nullptr;
    }
    writer->fd_ = fd;
    writer->out_.resize(kOutputBytes);
    return writer;
}

Compressor::~Compressor() = default;

int Compressor::Drain(std::size_t made)
{
    if (const int err = WriteAll(fd_, reinterpret_cast<const char*>(out_.data()), made))
        return err;
    written_ += static_cast<std::int64_t>(made);
    return 0;
}

int Compressor::Run(const unsigned char* data, std::size_t size, bool finish)
{
    for (bool done = false; size > 0 || (finish && !done);) {
        const std::size_t give = std::min(size, kMostPerCall);
        std::size_t used = 0;
        std::size_t made = 0;
        if (!Encode(data, give, used, out_.data(), out_.size(), made, finish && give == size, done))
            return EIO;
        data += used;
        size -= used;
        if (const int err = Drain(made))
            return err;
    }
    return 0;
}

int Compressor::Write(const char* data, std::size_t size)
{
    return Run(reinterpret_cast<const unsigned char*>(data), size, false);
}

int Compressor::Finish() { return Run(nullptr, 0, true); }

}  // namespace quill
