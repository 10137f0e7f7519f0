// Writing a file through a staged temporary.
#include "common/StagedFile.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/PathNames.h"

namespace quill {

namespace {

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

mode_t CurrentUmask()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

void LetWritesFailPastTheSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }

std::string ResolveLinks(const std::string& path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved))
        return resolved;
    // A link to a file that does not exist yet: the save creates that file, and the link stays.
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::string target(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0)
            return current;
        target.resize(static_cast<std::size_t>(n));
        current = !target.empty() && target[0] == '/' ? target : FolderOf(current) + "/" + target;
    }
    return current;
}

std::string StagedFile::TemporaryPrefix(const std::string& target) { return "." + FileNameOf(target) + ".quill-"; }

StagedFile::StagedFile(const std::string& path, mode_t newFileMode)
    : target_(ResolveLinks(path)),
      newFileMode_(newFileMode)
{
    LetWritesFailPastTheSizeLimit();
    temp_ = FolderOf(target_) + "/" + TemporaryPrefix(target_) + "XXXXXX";
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    created_ = fd_ >= 0;
    if (!created_)
        error_ = errno;
}

StagedFile::~StagedFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (created_ && !committed_)
        ::unlink(temp_.c_str());
}

int StagedFile::Write(const char* data, std::size_t size)
{
    while (size > 0 && !error_) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno != EINTR) {
            error_ = errno;
        } else if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
        }
    }
    return error_;
}

int StagedFile::Commit(bool durable)
{
    if (error_ || fd_ < 0)
        return error_ ? error_ : EBADF;
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    const mode_t mode = exists ? (old.st_mode & 07777) : (newFileMode_ & ~CurrentUmask());
    if (::fchmod(fd_, mode) != 0)
        error_ = errno;
    if (!error_ && exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        (void)!::fchown(fd_, old.st_uid, old.st_gid);  // best effort: a group we are not in
    if (!error_ && durable && ::fsync(fd_) != 0)
        error_ = errno;
    if (::close(fd_) != 0 && !error_)
        error_ = errno;
    fd_ = -1;
    if (!error_ && ::rename(temp_.c_str(), target_.c_str()) != 0)
        error_ = errno;
    if (error_)
        return error_;
    committed_ = true;
    if (durable)
        SyncFolder(FolderOf(target_));
    return 0;
}

int WriteFileAtomically(const std::string& path, const std::string& bytes)
{
    StagedFile file(path);
    file.Write(bytes.data(), bytes.size());
    return file.Commit();
}

}  // namespace quill
