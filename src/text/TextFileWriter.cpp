// Safe saving: temporary file, flush, rename.
#include "text/TextFileWriter.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/StagedFile.h"
#include "platform/ProgressWindow.h"
#include "text/Compressor.h"
#include "text/FileHandle.h"
#include "text/FileStatus.h"
#include "text/SaveRecovery.h"
#include "text/TextStore.h"

namespace quill {

namespace {

// Copies the lines into a large buffer so the file is written in few system calls, compressed in
// the style given. `total`: the bytes that went into the file.
int WriteLines(int fd, const TextStore& text, ProgressWindow& progress, const CompressionStyle& style = {},
               ByteOffset* total = nullptr)
{
    std::unique_ptr<Compressor> packer;
    try {
        packer = Compressor::Open(fd, style);
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
    auto put = [&](const char* data, std::size_t size) {
        return packer ? packer->Write(data, size) : WriteAll(fd, data, size);
    };
    constexpr std::size_t kBufferSize = 1 << 20;
    std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    std::size_t used = 0;
    ByteOffset written = 0;
    ProgressScope bar(progress, text.FileSize());
    const LineIndex count = text.LineCount();
    for (LineIndex i = 0; i < count; ++i) {
        LineView line = text.Line(i);
        if (used + line.Length() > kBufferSize) {
            if (int err = put(buffer.get(), used))
                return err;
            used = 0;
        }
        if (line.Length() > kBufferSize) {
            if (int err = put(line.Bytes(), line.Length()))
                return err;
        } else {
            std::memcpy(buffer.get() + used, line.Bytes(), line.Length());
            used += line.Length();
        }
        written += line.Length();
        if (i % 10000 == 0)
            bar.Step(text.FileSize() - written);
    }
    int err = put(buffer.get(), used);
    if (!err && packer)
        err = packer->Finish();
    if (total)
        *total = packer ? packer->Written() : written;
    return err;
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
int WriteCompleteCopy(const std::string& path, const TextStore& text, ProgressWindow& progress)
{
    RemoveStaleTemporaries(FolderOf(path), StagedFile::TemporaryPrefix(path));
    StagedFile staged(path, 0600);  // the user's text, readable by the user alone
    if (const int err = staged.Error())
        return err;
    ::flock(staged.Descriptor(), LOCK_EX | LOCK_NB);  // as the temporaries beside a file
    if (const int err = WriteLines(staged.Descriptor(), text, progress))
        return err;
    return staged.Commit(true);
}

int WriteInPlace(const std::string& target, const TextStore& text, ProgressWindow& progress,
                 const CompressionStyle& style)
{
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    // Lines that borrow their bytes from this very file would read what is being written over
    // them: they get copies of their own first.
    if (regular && !text.KeepBytesApartFrom(st.st_dev, st.st_ino)) {
        ::close(fd);
        return ENOMEM;
    }
    // Claim the room for the new text before the first old byte is overwritten, so a full disk
    // or the file-size limit fails the save while the file is still whole. (Compressed, the size
    // is known once written.)
    int err = 0;
    const auto newSize = static_cast<off_t>(text.FileSize());
    if (regular && !style.Compressed() && newSize > st.st_size)
        err = ::posix_fallocate(fd, 0, newSize);
    ByteOffset written = 0;
    if (!err)
        err = WriteLines(fd, text, progress, style, &written);
    if (!err && regular && written < st.st_size && ::ftruncate(fd, static_cast<off_t>(written)) != 0)
        err = errno;
    int closeErr = FinishFile(fd, true);  // flushed before the copy that stands in for it goes
    return err ? err : closeErr;
}

// The in-place write behind a complete copy of the new text: a crash in the middle leaves the copy,
// which the next open of the file names. Without room for the copy nothing is written.
int WriteInPlaceWithCopy(const std::string& target, const TextStore& text, ProgressWindow& progress,
                         const CompressionStyle& style)
{
    // Before anything is written: the copy out of a file the text borrows from may not fit.
    if (struct stat st{}; ::stat(target.c_str(), &st) == 0 && !text.KeepBytesApartFrom(st.st_dev, st.st_ino))
        return ENOMEM;
    const auto copy = SaveRecovery::CopyPathFor(target);
    if (!copy)
        return EACCES;             // no private folder for the copy
    SaveRecovery::Discard(*copy);  // an older copy would be taken for this one
    int err = WriteCompleteCopy(*copy, text, progress);
    if (!err)
        err = SaveRecovery::MarkComplete(target, *copy);
    if (err) {
        SaveRecovery::Discard(*copy);
        return err;
    }
    err = WriteInPlace(target, text, progress, style);
    if (!err)
        SaveRecovery::Discard(*copy);  // the file is whole: the copy is not needed
    return err;
}

}  // namespace

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
        return WriteInPlaceWithCopy(target, text, progress, options.compression);

    RemoveStaleTemporaries(FolderOf(target), StagedFile::TemporaryPrefix(target));
    StagedFile staged(target);
    if (const int err = staged.Error())
        return err == EACCES || err == EPERM ? WriteInPlaceWithCopy(target, text, progress, options.compression) : err;
    // Locked while it is written: a temporary nobody holds is left from a save that died.
    ::flock(staged.Descriptor(), LOCK_EX | LOCK_NB);
    if (const int err = WriteLines(staged.Descriptor(), text, progress, options.compression))
        return err;
    return staged.Commit(options.durable);
}

}  // namespace quill
