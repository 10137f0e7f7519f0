// What the search dialog keeps between searches.
#pragma once

#include <cstdint>
#include <string>

#include "search/SearchQuery.h"

namespace quill {

struct SearchOptions {
    enum Mode { kFind = 1, kReplace = 2, kCount = 3 };
    enum LineFilter { kNoFilter = 0, kExtractLines = 1, kDeleteLines = 2 };

    SearchQuery query;  ///< what the last search looked for
    int mode = kFind;
    std::string replacement;
    bool up = false;  ///< the Find command searches towards the start
    bool replaceAll = true;
    int lineFilter = kNoFilter;
    bool binaryCopy = false;
    bool counterOn = false;
    std::int32_t counterStart = 0;
    bool useBackslashes = false;  ///< the dialog's "Backslash codes" box, for the replacement too
};

}  // namespace quill
