// Reading a pipe or device as its bytes arrive.
#include "text/PipeSource.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace quill {

// A pipe or device may never end, or pause for as long as it likes: it is waited for in short
// steps so that a stop request is seen, and whatever has arrived is handed over at once.
std::int64_t PipeSource::Read(char* buf, std::int64_t size, std::int64_t, int& error, const std::atomic<bool>& stop)
{
    std::int64_t got = 0;
    while (got < size && !stop) {
        pollfd ready{fd_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, got > 0 ? 0 : 100);
        if (polled < 0 && errno != EINTR) {
            error = errno;
            break;
        }
        if (polled <= 0) {
            if (got > 0)
                break;
            continue;
        }
        const ssize_t r = ::read(fd_, buf + got, static_cast<std::size_t>(size - got));
        if (r < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            error = errno;
            break;
        }
        if (r == 0)
            break;
        got += r;
    }
    return got == 0 && error ? -1 : got;
}

}  // namespace quill
