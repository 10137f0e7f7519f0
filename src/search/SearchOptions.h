// What the search dialog keeps between searches.
#pragma once

#include <cstdint>
#include <string>

namespace quill {

struct FieldDef;

struct SearchOptions {
    enum Mode { kFind = 1, kReplace = 2, kCount = 3 };
    enum LineFilter { kNoFilter = 0, kExtractLines = 1, kDeleteLines = 2 };

    std::string typedText;  ///< the find text as last entered
    int mode = kFind;
    std::string findText;  ///< the bytes searched for (backslash codes interpreted)
    std::string replacement;
    bool up = false;  ///< the Find command searches towards the start
    bool matchCase = false;
    bool replaceAll = true;
    int lineFilter = kNoFilter;
    FieldDef* searchField = nullptr;  ///< restrict the search to this field of the structure
    bool binaryCopy = false;
    bool counterOn = false;
    std::int32_t counterStart = 0;
    bool useRegEx = false;
    bool useBackslashes = false;
};

}  // namespace quill
