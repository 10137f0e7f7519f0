// Writing a compressed file, whatever its format's library.
#include "text/Compressor.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include "text/CompressionFormatRow.h"
#include "text/FileHandle.h"

namespace quill {

namespace {

constexpr std::size_t kOutputBytes = 1 << 20;
constexpr std::size_t kMostPerCall = 1u << 30;  // the libraries count in 32 bits

}  // namespace

std::unique_ptr<Compressor> Compressor::Open(int fd, const CompressionStyle& style)
{
    const CompressionFormatRow* row = RowOf(style.format);
    if (!row)
        return nullptr;
    std::unique_ptr<Compressor> writer = row->newWriter(style);
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
