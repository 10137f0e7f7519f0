// The common file dialogs, as far as the core asks for them.
#pragma once

#include <optional>
#include <string>

namespace quill {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    /// Asks for a file name to save under, proposing proposedName and adding defaultExtension when the
    /// user types none; asks before an existing file is overwritten. Empty when cancelled.
    virtual std::optional<std::string> AskSavePath(const std::string& proposedName,
                                                   const std::string& defaultExtension) = 0;
    /// Asks for a folder of the file system; empty when cancelled.
    virtual std::optional<std::string> AskFolder(const std::string& title, const std::string& start) = 0;
};

}  // namespace quill
