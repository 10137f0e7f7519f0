// The record layout of a file: fields, record types and colours.
#pragma once

#include <string>

namespace quill {

/// The document's one structure description. Until descriptions can be loaded it stays the empty
/// "<UNSTRUCTURED>" description that matches no file.
class StructureDescription {
public:
    StructureDescription() { Reset(); }

    void Reset()
    {
        name_ = "<UNSTRUCTURED>";
        recordLength_ = 0;
        active_ = false;
    }
    bool IsActive() const { return active_; }
    const std::string& Name() const { return name_; }
    int RecordLength() const { return recordLength_; }

    /// Loads the first description of the data folder whose masks match the path.
    bool SelectForFile(const std::string& path, const std::string& dataFolder)
    {
        (void)path;
        (void)dataFolder;
        return false;
    }

private:
    std::string name_;
    int recordLength_ = 0;
    bool active_ = false;
};

}  // namespace quill
