// Folders of this user alone, for files others must neither read nor put in place.
#pragma once

#include <string>

namespace quill {

/// Whether path is a folder (not a link to one) of this user that nobody else may use.
bool IsPrivateFolder(const std::string& path);

/// A folder of our own: created with mode 0700 when missing; refused (error says why) when it is
/// a link, someone else's or open to others.
bool MakePrivateFolder(const std::string& path, std::string& error);

}  // namespace quill
