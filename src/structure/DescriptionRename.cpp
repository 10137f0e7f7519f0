// Renaming description files.
#include "structure/DescriptionRename.h"

#include <cstdio>

#include "platform/Prompter.h"
#include "text/FileStatus.h"

namespace quill {

bool AcceptRename(const std::string& folder, const std::string& oldName, const std::string& newName,
                  const std::string& extension, Prompter& prompter)
{
    if (newName == oldName)
        return true;
    if (PathExists(folder + "/" + newName + extension) &&
        prompter.AskSafely("Overwrite \"" + newName + "\"!", Buttons::OkCancel, Answer::Cancel) != Answer::Ok)
        return false;
    std::remove((folder + "/" + oldName + extension).c_str());
    return true;
}

}  // namespace quill
