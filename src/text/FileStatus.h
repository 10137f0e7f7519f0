// File status and folder listings in the forms the document needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/PathNames.h"

namespace quill {

/// Last-write time in nanoseconds since the epoch.
using FileTime = std::int64_t;

struct FileStatus {
    FileTime modified = 0;
    std::int64_t size = 0;
    std::uint64_t device = 0;  ///< with the inode, which file this is: a rotated log is another
    std::uint64_t inode = 0;

    bool SameFileAs(const FileStatus& other) const { return device == other.device && inode == other.inode; }
    /// The same file, unchanged: its time and size as well.
    bool SameStateAs(const FileStatus& other) const
    {
        return SameFileAs(other) && modified == other.modified && size == other.size;
    }
};

/// Status of an open file; false with errno set on failure.
bool StatusOf(int fd, FileStatus& status);
/// Status of a file by its path, links followed, without opening it (a FIFO would block).
bool StatusOfPath(const std::string& path, FileStatus& status);

/// "%d.%d.%d %02d:%02d:%02d" of a file time in local time: day, month, year, hour, minute, second.
std::string LocalTimeText(FileTime time);

/// The names of the regular files in a folder (no folders, pipes or devices), sorted without regard to
/// case and, where that ties, by their bytes, so the order does not depend on the file system.
std::vector<std::string> ListFiles(const std::string& folder);
/// The order of names in a folder: case-insensitive, ties by their bytes.
bool NameOrder(const std::string& a, const std::string& b);

bool PathExists(const std::string& path);

/// The path made absolute against the working folder, without following links.
std::string AbsolutePath(const std::string& path);

}  // namespace quill
