// The parts of a path, by its slashes alone (no file system access).
#pragma once

#include <string>

namespace quill {

/// The folder part of a path ("/" for a file in the root, "." for a bare name).
std::string FolderOf(const std::string& path);
/// The last component of a path.
std::string FileNameOf(const std::string& path);

}  // namespace quill
