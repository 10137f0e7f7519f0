// The one way the program writes a file: a new version beside it that replaces it only when
// complete, so that a failure (a full disk, a kill) never leaves half a file.
#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

namespace quill {

/// The file-creation mask of the process (new files get 0666 without it).
mode_t CurrentUmask();

/// Makes a write beyond the file-size limit fail with EFBIG instead of ending the process (the
/// default of SIGXFSZ), so a save can clean up and report it. Safe to call often.
void LetWritesFailPastTheSizeLimit();

/// The path with symbolic links followed, so a save replaces the link's target, not the link.
/// A path that does not exist (yet) is returned as it is.
std::string ResolveLinks(const std::string& path);

/// A new version of a file. It is written to a temporary file in the folder of the file (a
/// symbolic link is followed to the file it names), and Commit puts it in the file's place:
/// flushed, with the old file's permission bits and owner (a new file gets the umask's), renamed
/// over it, the folder flushed. A staged file that is not committed removes its temporary.
class StagedFile {
public:
    /// newFileMode: the permission bits a file that does not exist yet gets (less the umask).
    explicit StagedFile(const std::string& path, mode_t newFileMode = 0666);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    /// The start of the temporaries' names for a file: "." and its name and ".quill-".
    static std::string TemporaryPrefix(const std::string& target);

    /// 0, or the errno of the failure to make the temporary.
    int Error() const { return error_; }
    int Descriptor() const { return fd_; }
    /// The file that Commit replaces, links followed.
    const std::string& Target() const { return target_; }
    /// Writes bytes; the first failure stays and is what Commit returns.
    int Write(const char* data, std::size_t size);
    /// Puts the new version in place. durable: flushed to the disk first. Returns 0 or errno.
    int Commit(bool durable = true);

private:
    std::string target_;
    std::string temp_;
    mode_t newFileMode_;
    int fd_ = -1;
    int error_ = 0;
    bool created_ = false;
    bool committed_ = false;
};

/// Writes bytes as the whole new version of a file. Returns 0 or errno.
int WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace quill
