// Replacing a small file as a whole, so a failed write never leaves half of it.
#pragma once

#include <string>
#include <sys/types.h>

namespace quill {

/// The file-creation mask of the process (new files get 0666 without it).
mode_t CurrentUmask();

/// Makes a write beyond the file-size limit fail with EFBIG instead of ending the process (the
/// default of SIGXFSZ), so a save can clean up and report it. Safe to call often.
void LetWritesFailPastTheSizeLimit();

/// Writes bytes to a temporary file beside path and renames it over path. Returns 0 or errno.
int WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace quill
