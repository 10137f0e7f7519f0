// The colouring rules of a file: start and end sequences and keywords.
#pragma once

#include <string>

namespace quill {

/// The document's one syntax description. Until descriptions can be loaded it stays the empty
/// "<UNSTRUCTURED>" description that matches no file.
class SyntaxDescription {
public:
    SyntaxDescription() { Reset(); }

    void Reset()
    {
        name_ = "<UNSTRUCTURED>";
        active_ = false;
    }
    bool IsActive() const { return active_; }
    const std::string& Name() const { return name_; }

    /// Loads the first description of the data folder whose masks match the path.
    bool SelectForFile(const std::string& path, const std::string& dataFolder)
    {
        (void)path;
        (void)dataFolder;
        return false;
    }

private:
    std::string name_;
    bool active_ = false;
};

}  // namespace quill
