// The copy that keeps a save written in place recoverable when the program dies in the middle.
#pragma once

#include <optional>
#include <string>

namespace quill {

/// A file that cannot be replaced as a whole (other hard links, another owner, a folder without
/// write permission) is rewritten in place; a crash in the middle would leave old and new bytes
/// mixed. Before such a write the new text is put, complete and flushed, into a private folder of
/// the user; it goes once the file itself is whole again. A copy still there when the file is
/// opened next means the save did not finish: the user is told where it is.
class SaveRecovery {
public:
    /// The folder of the copies: $XDG_STATE_HOME/quillarium/unfinished-saves (~/.local/state/...),
    /// made with mode 0700 when create; none when no private folder is (or can be) had.
    static std::optional<std::string> Folder(bool create);
    /// Where the copy for a file's save goes, its folder made when missing.
    static std::optional<std::string> CopyPathFor(const std::string& target);
    /// The copy left by an unfinished save of this file, when there is one.
    static std::optional<std::string> PendingCopyFor(const std::string& target);
    /// Records that the copy for target is complete (the copy itself is written by the caller).
    static int MarkComplete(const std::string& target, const std::string& copy);
    /// A copy no longer needed (its save finished, or it was never completed) goes, with its record.
    static void Discard(const std::string& copy);

private:
    static std::string CopyPath(const std::string& folder, const std::string& target);
};

}  // namespace quill
