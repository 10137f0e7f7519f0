// Whether the file a text borrows its bytes from still holds what was read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text/FileHandle.h"
#include "text/FileStatus.h"

namespace quill {

/// Lines borrow their bytes from pages of the file itself, so a program that writes into that file
/// (a copy over it, a `>` redirection, a shortening) changes or removes them under the text. Appending
/// and replacing the file by rename change nothing that was read. The check keeps the file open,
/// with a few stretches of what was read: the start, the end and some spread between. The text is
/// taken as changed when the file became shorter than what was read, when a fault on its pages was
/// turned into zeros, when its time changed without it growing (a write into it), or when it grew
/// and a kept stretch differs from the file (an append is trusted as far as the stretches show).
class MappedFileCheck {
public:
    /// Watches the file open as fd (duplicated), of which the first `extent` bytes were read;
    /// path: its name, for telling the user which file changed.
    MappedFileCheck(int fd, std::int64_t extent, std::string path);

    bool Valid() const { return file_.Get() >= 0; }
    /// Whether the text read can still be trusted. Once it cannot, it never can again.
    bool StillAsRead();
    /// The text now goes on to `extent` bytes of the same file (a followed file grew, the rest of
    /// a large file was read): once what was read is found unchanged, the stretches are taken
    /// again over the new extent.
    void Extend(std::int64_t extent);
    /// The file checked, for comparing with the file a save writes.
    const FileStatus& File() const { return status_; }
    const std::string& Path() const { return path_; }

private:
    struct Stretch {
        std::int64_t offset;
        std::string bytes;
    };
    void Keep(std::int64_t offset, std::int64_t length);
    void Sample();
    bool StretchesAsKept() const;

    FileHandle file_;
    std::string path_;
    FileStatus status_;  ///< as the file was when last found unchanged
    std::int64_t extent_ = 0;
    std::vector<Stretch> stretches_;
    std::uint64_t faults_ = 0;
    bool changed_ = false;
};

}  // namespace quill
