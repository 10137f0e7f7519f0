// A pipe or device as the source of a load: read as its bytes arrive.
#pragma once

#include "text/LoadSource.h"

namespace quill {

class PipeSource final : public LoadSource {
public:
    explicit PipeSource(int fd) : fd_(fd) {}
    /// What has arrived, up to size bytes, once something has.
    std::int64_t Read(char* buf, std::int64_t size, std::int64_t offset, int& error,
                      const std::atomic<bool>& stop) override;
    bool Streams() const override { return true; }

private:
    int fd_;
};

}  // namespace quill
