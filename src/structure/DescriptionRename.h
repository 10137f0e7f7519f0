// What a renamed description does to its files in the data folder.
#pragma once

#include <string>

namespace quill {

class Prompter;

/// After a dialog renamed a description from oldName to newName (extension ".ini", ".syn" or
/// ".tec"): asks "Overwrite "%s"!" when a file of the new name exists (false on Cancel) and
/// deletes the file of the old name. Nothing happens when the name stayed.
bool AcceptRename(const std::string& folder, const std::string& oldName, const std::string& newName,
                  const std::string& extension, Prompter& prompter);

}  // namespace quill
