// A regular file as the source of a load: read at offsets, or mapped.
#pragma once

#include "text/LoadSource.h"

namespace quill {

class FileSource final : public LoadSource {
public:
    explicit FileSource(int fd) : fd_(fd) {}
    /// Fills buf from the file at offset until it is full or the file ends.
    std::int64_t Read(char* buf, std::int64_t size, std::int64_t offset, int& error,
                      const std::atomic<bool>& stop) override;
    int MappableFile() const override { return fd_; }

private:
    int fd_;
};

}  // namespace quill
