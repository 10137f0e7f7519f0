// Where the description files, conversion tables and the bookmark database live.
#pragma once

#include <string>

namespace quill {

/// The folder QVXData: QUILLARIUM_DATA when set; else QVXData beside the executable when it
/// exists (a portable install or the build tree); else the per-user data folder
/// ($XDG_DATA_HOME/quillarium/QVXData), created on first use and seeded with the files shipped in
/// ../share/quillarium/QVXData beside the executable. Returns an empty string when no folder can be
/// made; the program then runs without descriptions and position memory.
std::string ResolveDataFolder(const std::string& executableFolder);

}  // namespace quill
