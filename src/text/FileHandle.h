// A file descriptor that is closed when its scope ends, opening a file for reading, and whole reads and writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unistd.h>
#include <utility>

namespace quill {

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileHandle& operator=(FileHandle&&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

/// Opens a file for reading; a folder counts as a failure (EISDIR), as reading it would.
int OpenForReading(const std::string& path);

/// Reads exactly `count` bytes of an open file at `offset`; false when the file has fewer there.
bool ReadExactlyAt(int fd, std::int64_t offset, std::int64_t count, std::string& bytes);
/// Writes all `size` bytes at the file's position; 0 or the errno of the failure.
int WriteAll(int fd, const char* data, std::size_t size);

}  // namespace quill
