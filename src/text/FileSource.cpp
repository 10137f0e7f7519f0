// Reading a regular file at offsets.
#include "text/FileSource.h"

#include <cerrno>
#include <unistd.h>

namespace quill {

std::int64_t FileSource::Read(char* buf, std::int64_t size, std::int64_t offset, int& error, const std::atomic<bool>&)
{
    std::int64_t got = 0;
    while (got < size) {
        const ssize_t r = ::pread(fd_, buf + got, static_cast<std::size_t>(size - got), offset + got);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return got > 0 ? got : -1;
        }
        if (r == 0)
            break;
        got += r;
    }
    return got;
}

}  // namespace quill
