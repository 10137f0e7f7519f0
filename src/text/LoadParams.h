// How a load cuts a text into lines.
#pragma once

#include <cstdint>

namespace quill {

struct LoadParams {
    std::int64_t cutLength = 99000;  ///< a line is cut when it reaches this many bytes
    int tabSize = 3;
    bool ignoreFormatCodes = false;  ///< LF and FF do not end lines
    bool binaryMode = false;         ///< tabs count one column

    bool operator==(const LoadParams&) const = default;
};

}  // namespace quill
