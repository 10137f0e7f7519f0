// Writes text into a file compressed in one of the formats logs are rotated into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "text/Compression.h"

namespace quill {

/// Compresses what is written to it into the file open at a descriptor, in the style given.
class Compressor {
public:
    /// A writer of the style's format; none for plain text. Throws std::bad_alloc when the
    /// library cannot start.
    static std::unique_ptr<Compressor> Open(int fd, const CompressionStyle& style);
    virtual ~Compressor();
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    /// Compresses the bytes and writes what comes out; 0 or the errno of the failure.
    int Write(const char* data, std::size_t size);
    /// Ends the data (the format's trailer and checks) and writes the rest; 0 or errno.
    int Finish();
    /// Bytes written to the file so far.
    std::int64_t Written() const { return written_; }

protected:
    Compressor() = default;
    /// One call of the library. Returns false on its failure; `done` once the end is written.
    virtual bool Encode(const unsigned char* in, std::size_t inSize, std::size_t& used, unsigned char* out,
                        std::size_t outSize, std::size_t& made, bool finish, bool& done) = 0;

private:
    int Drain(std::size_t made);
    int Run(const unsigned char* data, std::size_t size, bool finish);

    int fd_ = -1;
    std::vector<unsigned char> out_;
    std::int64_t written_ = 0;
};

}  // namespace quill
