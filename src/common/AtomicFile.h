// Replacing a small file as a whole, so a failed write never leaves half of it.
#pragma once

#include <string>

namespace quill {

/// Writes bytes to a temporary file beside path and renames it over path. Returns 0 or errno.
int WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace quill
