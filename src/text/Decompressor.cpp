// Stream decompression of gzip, xz, zstd and bzip2 through the libraries the system ships.
#include "text/Decompressor.h"

#include <algorithm>
#include <bzlib.h>
#include <cerrno>
#include <climits>
#include <lzma.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include "common/Format.h"
#include "text/FileHandle.h"
#include "text/ZstdReader.h"

namespace quill {

namespace {

// The libraries count in 32 bits.
constexpr std::size_t kMostPerCall = 1u << 30;
// Input is given in pieces of this size: where a library fails it does not always say how far it
// read, and the damage is then placed at the start of the piece.
constexpr std::size_t kInputPerCall = 64 << 10;

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

template <class Reader> std::unique_ptr<Decompressor> Made()
{
    auto reader = std::make_unique<Reader>();
    if (!reader->Ready())
        throw std::bad_alloc();  // the libraries fail to start only for want of memory
    return reader;
}

}  // namespace

std::unique_ptr<Decompressor> Decompressor::Open(int fd, CompressionFormat format)
{
    std::unique_ptr<Decompressor> reader;
    switch (format) {
    case CompressionFormat::Gzip: reader = Made<GzipReader>(); break;
    case CompressionFormat::Xz: reader = Made<XzReader>(); break;
    case CompressionFormat::Zstd: reader = Made<ZstdReader>(); break;
    case CompressionFormat::Bzip2: reader = Made<Bzip2Reader>(); break;
    case CompressionFormat::None: return nullptr;
    }
    reader->fd_ = fd;
    reader->in_.resize(kInputBytes);
    return reader;
}

Decompressor::~Decompressor() = default;

std::optional<std::int64_t> Decompressor::LeastTextSize(int fd, CompressionFormat format)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < 18)
        return std::nullopt;
    std::string read;
    if (format == CompressionFormat::Gzip) {
        // The last member ends with its text's size modulo 4 GiB. Text shrinks, it never grows:
        // a file larger than the figure holds a multiple of 4 GiB more.
        if (!ReadExactlyAt(fd, st.st_size - 4, 4, read))
            return std::nullopt;
        const auto* bytes = reinterpret_cast<const unsigned char*>(read.data());
        std::int64_t size = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::int64_t>(bytes[3]) << 24;
        while (size < st.st_size / 2)
            size += std::int64_t{1} << 32;
        return size;
    }
    if (format == CompressionFormat::Zstd) {
        constexpr std::int64_t kLongestHeader = 18;
        if (!ReadExactlyAt(fd, 0, kLongestHeader, read))
            return std::nullopt;
        const unsigned long long size = ZSTD_getFrameContentSize(read.data(), read.size());
        if (size == ZSTD_CONTENTSIZE_UNKNOWN || size == ZSTD_CONTENTSIZE_ERROR || size > INT64_MAX)
            return std::nullopt;
        return static_cast<std::int64_t>(size);
    }
    return std::nullopt;
}

bool Decompressor::Refill(int& error)
{
    // What is left moves to the front, and the rest of the buffer is read after it.
    std::copy(in_.begin() + static_cast<std::ptrdiff_t>(inPos_), in_.begin() + static_cast<std::ptrdiff_t>(inSize_),
              in_.begin());
    inBase_ += static_cast<std::int64_t>(inPos_);
    inSize_ -= inPos_;
    inPos_ = 0;
    for (;;) {
        const ssize_t r = ::read(fd_, in_.data() + inSize_, in_.size() - inSize_);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            error = errno;
            return false;
        }
        inSize_ += static_cast<std::size_t>(r);
        inputEnded_ = r == 0;
        return true;
    }
}

bool Decompressor::Gather(std::size_t need, int& error)
{
    need = std::min(need, in_.size());
    while (Available() < need && !inputEnded_)
        if (!Refill(error))
            return false;
    return true;
}

void Decompressor::Take(std::size_t n)
{
    inPos_ += n;
    consumed_.store(InputOffset(), std::memory_order_relaxed);
}

bool Decompressor::SkipZeros(int& error)
{
    for (;;) {
        while (inPos_ < inSize_ && in_[inPos_] == 0)
            ++inPos_;
        if (inPos_ < inSize_ || inputEnded_)
            return true;
        if (!Refill(error))
            return false;
    }
}

void Decompressor::SetDamage(Damage damage, std::int64_t at)
{
    damage_ = damage;
    damageAt_ = at;
    finished_ = true;
}

std::int64_t Decompressor::Read(char* buf, std::int64_t size, int& error)
{
    auto* out = reinterpret_cast<unsigned char*>(buf);
    std::int64_t got = 0;
    while (got < size && !finished_) {
        if (inPos_ == inSize_ && !inputEnded_ && !Refill(error))
            return got > 0 ? got : -1;
        const std::size_t room = static_cast<std::size_t>(std::min<std::int64_t>(size - got, kMostPerCall));
        std::size_t used = 0;
        std::size_t made = 0;
        const std::size_t give = std::min(inSize_ - inPos_, kInputPerCall);
        const bool last = inputEnded_ && inPos_ + give == inSize_;
        const Step step = Decode(in_.data() + inPos_, give, used, out + got, room, made, last);
        inPos_ += used;
        got += static_cast<std::int64_t>(made);
        const std::int64_t at = inBase_ + static_cast<std::int64_t>(inPos_);
        consumed_.store(at, std::memory_order_relaxed);
        if (used > 0 || made > 0)
            memberOpen_ = true;
        if (step == Step::Failed) {
            SetDamage(Damage::Corrupt, at);
        } else if (step == Step::MemberEnd) {
            memberOpen_ = false;
            // Zeros after a member are padding (a block device, a preallocated file), not data.
            if (!PassesPaddingItself() && !SkipZeros(error))
                return got > 0 ? got : -1;
            if (inPos_ == inSize_ && !inputEnded_ && !Refill(error))
                return got > 0 ? got : -1;
            if (inPos_ == inSize_ && inputEnded_)
                finished_ = true;
            else if (!ReadsMembersItself() && !Restart())
                throw std::bad_alloc();
        } else if (last && used == 0 && made == 0) {
            // All input given and nothing more comes out: the data stops inside a member.
            if (memberOpen_)
                SetDamage(Damage::EndsEarly, at);
            finished_ = true;
        }
    }
    return got;
}

std::string Decompressor::DamageText() const
{
    switch (damage_) {
    case Damage::EndsEarly:
        return Format("The compressed data ends early at byte %lld.", static_cast<long long>(damageAt_));
    case Damage::Corrupt:
        return Format("The compressed data is damaged at byte %lld.", static_cast<long long>(damageAt_));
    case Damage::None: break;
    }
    return {};
}

}  // namespace quill
