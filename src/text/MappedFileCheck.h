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
/// with a few stretches of what was read: the start, the end and some between. The text is taken
/// as changed when the file became shorter than what was read, when a fault on its pages was turned
/// into zeros, or, once its time has changed, when a kept stretch differs from the file.
class MappedFileCheck {
public:
    /// Watches the file open as fd (duplicated), of which the first `extent` bytes were read.
    MappedFileCheck(int fd, std::int64_t extent);

    bool Valid() const { return file_.Get() >= 0; }
    /// Whether the text read can still be trusted. Once it cannot, it never can again.
    bool StillAsRead();
    /// The text now goes on to `extent` bytes of the same file (a followed file grew, the rest of
    /// a large file was read): the kept end is taken again there.
    void Extend(std::int64_t extent);
    /// The file checked, for comparing with the file a save writes.
    const FileStatus& File() const { return status_; }

private:
    struct Stretch {
        std::int64_t offset;
        std::string bytes;
    };
    void Keep(std::int64_t offset, std::int64_t length);
    bool StretchesAsKept() const;

    FileHandle file_;
    FileStatus status_;  ///< as the file was when last found unchanged
    std::int64_t extent_ = 0;
    std::vector<Stretch> stretches_;
    std::uint64_t faults_ = 0;
    bool changed_ = false;
};

}  // namespace quill
