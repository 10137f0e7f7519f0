// Safe saving: temporary file, flush, rename.
#include "document/TextFileWriter.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/AtomicFile.h"
#include "document/FileStatus.h"
#include "document/SaveRecovery.h"
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
int WriteLines(int fd, const TextStore& text, ProgressWindow& progress, ByteOffset* total = nullptr)
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
    if (total)
        *total = written;
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

// Temporaries of saves that died (killed, the machine off) would lie beside the file for ever;
// one that another save holds locked is being written and stays.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(entry.path().c_str());
        ::close(fd);
    }
}

// Writes the whole text into a new file in folder, flushed, named `name` once complete; 0 or errno.
int WriteCompleteCopy(const std::string& folder, const std::string& name, const TextStore& text,
                      ProgressWindow& progress)
{
    RemoveStaleTemporaries(folder, ".copy-");
    std::string temp = folder + "/.copy-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::flock(fd, LOCK_EX | LOCK_NB);  // as the temporaries beside a file
    int err = WriteLines(fd, text, progress);
    const int closeErr = FinishFile(fd, true);
    if (!err)
        err = closeErr;
    if (!err && ::rename(temp.c_str(), (folder + "/" + name).c_str()) != 0)
        err = errno;
    if (err)
        ::unlink(temp.c_str());
    return err;
}

int WriteInPlace(const std::string& target, const TextStore& text, ProgressWindow& progress)
{
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    // Claim the room for the new text before the first old byte is overwritten, so a full disk
    // or the file-size limit fails the save while the file is still whole.
    int err = 0;
    const auto newSize = static_cast<off_t>(text.FileSize());
    if (regular && newSize > st.st_size)
        err = ::posix_fallocate(fd, 0, newSize);
    ByteOffset written = 0;
    if (!err)
        err = WriteLines(fd, text, progress, &written);
    if (!err && regular && written < st.st_size && ::ftruncate(fd, static_cast<off_t>(written)) != 0)
        err = errno;
    int closeErr = FinishFile(fd, true);  // flushed before the copy that stands in for it goes
    return err ? err : closeErr;
}

// The in-place write behind a complete copy of the new text: a crash in the middle leaves the copy,
// which the next open of the file names. Without room for the copy nothing is written.
int WriteInPlaceWithCopy(const std::string& target, const TextStore& text, ProgressWindow& progress)
{
    const auto copy = SaveRecovery::CopyPathFor(target);
    if (!copy)
        return EACCES;  // no private folder for the copy
    SaveRecovery::Discard(*copy);  // an older copy would be taken for this one
    int err = WriteCompleteCopy(FolderOf(*copy), FileNameOf(*copy), text, progress);
    if (!err)
        err = SaveRecovery::MarkComplete(target, *copy);
    if (err) {
        SaveRecovery::Discard(*copy);
        return err;
    }
    err = WriteInPlace(target, text, progress);
    if (!err)
        SaveRecovery::Discard(*copy);  // the file is whole: the copy is not needed
    return err;
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

int WriteTextFile(const std::string& target, const TextStore& text, ProgressWindow& progress,
                  const WriteOptions& options)
{
    LetWritesFailPastTheSizeLimit();
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // Replacing the file would cut other hard links off and, for somebody else's file, change
    // its owner: such files are rewritten in place.
    const bool foreignOwner = exists && ::geteuid() != 0 && old.st_uid != ::geteuid();
    if (exists && (old.st_nlink > 1 || foreignOwner || !S_ISREG(old.st_mode)))
        return WriteInPlaceWithCopy(target, text, progress);

    const std::string folder = FolderOf(target);
    const std::string prefix = "." + FileNameOf(target) + ".quill-";
    RemoveStaleTemporaries(folder, prefix);
    std::string temp = folder + "/" + prefix + "XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        if (err == EACCES || err == EPERM)
            return WriteInPlaceWithCopy(target, text, progress);
        return err;
    }
    // Locked while it is written: a temporary nobody holds is left from a save that died.
    ::flock(fd, LOCK_EX | LOCK_NB);
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
