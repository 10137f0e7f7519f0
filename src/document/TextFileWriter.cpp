// Safe saving: temporary file, flush, rename.
#include "document/TextFileWriter.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "common/AtomicFile.h"
#include "document/FileStatus.h"
#include "document/TextStore.h"
#include "platform/ProgressWindow.h"

namespace quill {

namespace {

int WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t w = ::write(fd, data, size);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += w;
        size -= static_cast<std::size_t>(w);
    }
    return 0;
}

// Copies the lines into a large buffer so the file is written in few system calls.
int WriteLines(int fd, const TextStore& text, ProgressWindow& progress)
{
    constexpr std::size_t kBufferSize = 1 << 20;
    std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    std::size_t used = 0;
    ByteOffset written = 0;
    ProgressScope bar(progress, text.FileSize());
    const LineIndex count = text.LineCount();
    for (LineIndex i = 0; i < count; ++i) {
        LineView line = text.Line(i);
        if (used + line.Length() > kBufferSize) {
            if (int err = WriteAll(fd, buffer.get(), used))
                return err;
            used = 0;
        }
        if (line.Length() > kBufferSize) {
            if (int err = WriteAll(fd, line.Bytes(), line.Length()))
                return err;
        } else {
            std::memcpy(buffer.get() + used, line.Bytes(), line.Length());
            used += line.Length();
        }
        written += line.Length();
        if (i % 10000 == 0)
            bar.Step(text.FileSize() - written);
    }
    return WriteAll(fd, buffer.get(), used);
}

int FinishFile(int fd, bool durable)
{
    int err = 0;
    if (durable && ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    return err;
}

int WriteInPlace(const std::string& target, const TextStore& text, ProgressWindow& progress, bool durable)
{
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    int err = WriteLines(fd, text, progress);
    int closeErr = FinishFile(fd, durable);
    return err ? err : closeErr;
}

void SyncFolder(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::string ResolveLinks(const std::string& path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved))
        return resolved;
    return path;
}

int WriteTextFile(const std::string& target, const TextStore& text, ProgressWindow& progress,
                  const WriteOptions& options)
{
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // Replacing the file would cut other hard links off and, for somebody else's file, change
    // its owner: such files are rewritten in place.
    const bool foreignOwner = exists && ::geteuid() != 0 && old.st_uid != ::geteuid();
    if (exists && (old.st_nlink > 1 || foreignOwner || !S_ISREG(old.st_mode)))
        return WriteInPlace(target, text, progress, options.durable);

    const std::string folder = FolderOf(target);
    std::string temp = folder + "/." + FileNameOf(target) + ".quill-XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        if (err == EACCES || err == EPERM)
            return WriteInPlace(target, text, progress, options.durable);
        return err;
    }
    int err = WriteLines(fd, text, progress);
    if (!err) {
        mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
        if (::fchmod(fd, mode) != 0)
            err = errno;
        if (!err && exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
            (void)!::fchown(fd, old.st_uid, old.st_gid);  // best effort: a group we are not in
    }
    int closeErr = FinishFile(fd, options.durable);
    if (!err)
        err = closeErr;
    if (!err && ::rename(temp.c_str(), target.c_str()) != 0)
        err = errno;
    if (err) {
        ::unlink(temp.c_str());
        return err;
    }
    if (options.durable)
        SyncFolder(folder);
    return 0;
}

}  // namespace quill
