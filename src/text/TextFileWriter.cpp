// Safe saving: temporary file, flush, rename.
#include "text/TextFileWriter.h"

#include <algorithm>
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
#include "text/MappedBytesGuard.h"
#include "text/SaveRecovery.h"
#include "text/TextStore.h"

namespace quill {

namespace {

// One bar for the whole save, however many passes it makes over the text.
class SaveProgress {
public:
    SaveProgress(ProgressWindow& window, std::int64_t passBytes, int passes)
        : scope_(window, std::max<std::int64_t>(1, passBytes) * passes),
          passBytes_(std::max<std::int64_t>(1, passBytes))
    {
    }
    /// `done` of `of` bytes of the current pass.
    void Step(std::int64_t done, std::int64_t of)
    {
        const double part = of > 0 ? static_cast<double>(done) / static_cast<double>(of) : 0.0;
        scope_.Step(base_ + static_cast<std::int64_t>(part * static_cast<double>(passBytes_)));
    }
    void NextPass() { base_ += passBytes_; }

private:
    ProgressScope scope_;
    std::int64_t passBytes_;
    std::int64_t base_ = 0;
};

// Copies the lines into a large buffer so the file is written in few system calls, compressed in
// the style given. `total`: the bytes that went into the file.
int WriteLines(int fd, const TextStore& text, SaveProgress& progress, const CompressionStyle& style = {},
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
            progress.Step(written, text.FileSize());
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

// Whether the bytes the text borrows from mapped files were all still there while they were read:
// a page another program cut off reads as zeros, which must never be written as the text.
class SourceCheck {
public:
    SourceCheck() : faults_(MappedBytesGuard::Faults()) {}
    bool Intact() const { return MappedBytesGuard::Faults() == faults_; }

private:
    std::uint64_t faults_;
};

// Writes the whole text, in the target's format, into a new private file at path, flushed; 0 or
// errno. It is exactly what the target is to hold.
int WriteCompleteCopy(const std::string& path, const TextStore& text, SaveProgress& progress,
                      const CompressionStyle& style, const SourceCheck& source)
{
    RemoveStaleTemporaries(FolderOf(path), StagedFile::TemporaryPrefix(path));
    StagedFile staged(path, 0600);  // the user's text, readable by the user alone
    if (const int err = staged.Error())
        return err;
    ::flock(staged.Descriptor(), LOCK_EX | LOCK_NB);  // as the temporaries beside a file
    if (const int err = WriteLines(staged.Descriptor(), text, progress, style))
        return err;
    if (!source.Intact())
        return kSourceShortened;
    return staged.Commit(true);
}

// Copies the complete copy's bytes over the target's. The room is claimed before the first old
// byte is overwritten, so a full disk or the file-size limit fails the save while the file is
// still whole.
int WriteInPlace(const std::string& target, const std::string& copy, SaveProgress& progress, bool& touched)
{
    touched = false;
    const FileHandle from(::open(copy.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat source {};
    if (from.Get() < 0 || ::fstat(from.Get(), &source) != 0)
        return errno;
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    int err = 0;
    if (regular && source.st_size > st.st_size)
        err = ::posix_fallocate(fd, 0, source.st_size);
    touched = !err;
    constexpr std::size_t kChunk = 1 << 20;
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    std::int64_t copied = 0;
    while (!err && copied < source.st_size) {
        const ssize_t got = ::read(from.Get(), buffer.get(), kChunk);
        if (got <= 0) {
            err = got < 0 ? errno : EIO;  // the copy cannot have become shorter: it is ours
            break;
        }
        err = WriteAll(fd, buffer.get(), static_cast<std::size_t>(got));
        copied += got;
        progress.Step(copied, source.st_size);
    }
    if (!err && regular && source.st_size < st.st_size && ::ftruncate(fd, source.st_size) != 0)
        err = errno;
    const int closeErr = FinishFile(fd, true);  // flushed before the copy that stands in for it goes
    return err ? err : closeErr;
}

// The in-place write behind a complete copy of the new file: a crash in the middle leaves the copy,
// which the next open of the file names. Without room for the copy nothing is written. The target
// gets the copy's bytes, so what it holds in the end is what was checked.
int WriteInPlaceWithCopy(const std::string& target, const TextStore& text, ProgressWindow& window,
                         const CompressionStyle& style, const SourceCheck& source)
{
    // Lines that borrow their bytes from this very file would read what is being written over
    // them: they get copies of their own first, before anything is written.
    if (struct stat st{}; ::stat(target.c_str(), &st) == 0 && !text.KeepBytesApartFrom(st.st_dev, st.st_ino))
        return ENOMEM;
    const auto copy = SaveRecovery::CopyPathFor(target);
    if (!copy)
        return EACCES;             // no private folder for the copy
    SaveRecovery::Discard(*copy);  // an older copy would be taken for this one
    SaveProgress progress(window, text.FileSize(), 2);
    int err = WriteCompleteCopy(*copy, text, progress, style, source);
    if (!err)
        err = SaveRecovery::MarkComplete(target, *copy);
    if (err) {
        SaveRecovery::Discard(*copy);
        return err;
    }
    progress.NextPass();
    bool touched = false;
    err = WriteInPlace(target, *copy, progress, touched);
    if (!err || !touched)
        SaveRecovery::Discard(*copy);  // the file is whole, new or old: the copy is not needed
    return err;
}

}  // namespace

int WriteTextFile(const std::string& target, const TextStore& text, ProgressWindow& progress,
                  const WriteOptions& options)
{
    const SourceCheck source;
    LetWritesFailPastTheSizeLimit();
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // Replacing the file would cut other hard links off and, for somebody else's file, change
    // its owner: such files are rewritten in place.
    const bool foreignOwner = exists && ::geteuid() != 0 && old.st_uid != ::geteuid();
    if (exists && (old.st_nlink > 1 || foreignOwner || !S_ISREG(old.st_mode)))
        return WriteInPlaceWithCopy(target, text, progress, options.compression, source);

    RemoveStaleTemporaries(FolderOf(target), StagedFile::TemporaryPrefix(target));
    StagedFile staged(target);
    if (const int err = staged.Error())
        return err == EACCES || err == EPERM ? WriteInPlaceWithCopy(target, text, progress, options.compression, source)
                                             : err;
    // Locked while it is written: a temporary nobody holds is left from a save that died.
    ::flock(staged.Descriptor(), LOCK_EX | LOCK_NB);
    SaveProgress bar(progress, text.FileSize(), 1);
    if (const int err = WriteLines(staged.Descriptor(), text, bar, options.compression))
        return err;
    if (!source.Intact())
        return kSourceShortened;  // the temporary goes; the file stays as it was
    return staged.Commit(options.durable);
}

}  // namespace quill
