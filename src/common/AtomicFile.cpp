// Replacing a small file as a whole.
#include "common/AtomicFile.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quill {

mode_t CurrentUmask()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

void LetWritesFailPastTheSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }

int WriteFileAtomically(const std::string& path, const std::string& bytes)
{
    LetWritesFailPastTheSizeLimit();
    std::string temp = path + ".quill-XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = 0;
    for (std::size_t done = 0; done < bytes.size() && !error;) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR)
            error = errno;
        else if (n > 0)
            done += static_cast<std::size_t>(n);
    }
    if (!error && ::fchmod(fd, 0666 & ~CurrentUmask()) != 0)
        error = errno;
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error)
        ::unlink(temp.c_str());
    return error;
}

}  // namespace quill
