// The state of the dialog "Replace in Folder", kept between uses.
#pragma once

#include <string>

namespace quill {

struct FolderReplaceModel {
    static constexpr const char* kPickerTitle = "Select folder with files to work on!";

    std::string folder;
    std::string wildcard;
    std::string typedText;  ///< the find text shown when the dialog opens again
    std::string findText;
    std::string replacement;
    bool matchCase = false;
    bool useRegEx = false;
    bool useBackslashes = false;
    bool subdirectories = false;
    bool replaceAll = true;  ///< "Replace All" (true) or "Replace", asking at each hit
};

}  // namespace quill
