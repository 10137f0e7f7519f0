// Writes the text to a file so that a failure never leaves the old file damaged.
#pragma once

#include <string>

#include "text/Compression.h"

namespace quill {

class TextStore;
class ProgressWindow;

struct WriteOptions {
    /// Flush the bytes to the disk before the new file replaces the old one.
    bool durable = true;
    /// The format the file is written in; plain text by default.
    CompressionStyle compression;
};

/// WriteTextFile's failure when a page of a file the text borrows bytes from was gone while the
/// bytes were read (another program shortened it): they read as zeros, so nothing was written.
constexpr int kSourceShortened = -1;

/// Writes every line's bytes, in order, exactly as they are. The bytes go to a temporary file in the
/// same folder that replaces the target only once it is complete (keeping the target's permission
/// bits and owner). Where that cannot work (the folder is not writable, the file has other hard
/// links or another owner) the target is rewritten in place, behind a complete copy of the new text
/// in a private folder (SaveRecovery) that stays when the write does not finish. Returns 0 or the
/// errno of the failure; on failure the target is as it was, except after a failed in-place
/// write, which leaves the copy. The copy is the new file exactly (compressed as the file is), and
/// the file in place gets its bytes, room claimed first. Temporaries left beside the target by saves that died go.
/// Before a file is written in place, the lines that borrow bytes straight from its pages get copies of their own;
/// ENOMEM, with nothing written, when the memory for them cannot be had.
int WriteTextFile(const std::string& target, const TextStore& text, ProgressWindow& progress,
                  const WriteOptions& options = {});

}  // namespace quill
