// One colouring rule of a syntax description.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quill {

struct SyntaxItem {
    std::string name;         ///< upper case
    std::uint32_t color = 0;  ///< red + 256 * green + 65536 * blue
    std::string start;        ///< start sequence ("/*", "//", a quote)
    std::string end;          ///< end sequence
    std::string ignorStart;   ///< characters that cancel a start sequence right after them
    std::string ignor;        ///< characters that cancel an end sequence right after them
    std::string keywords;     ///< words separated by blanks
    bool ignorCase = false;
    bool overwrite = true;             ///< colour bytes that an earlier item coloured already
    bool root = false;                 ///< clears the root marks before it is applied
    bool sub = false;                  ///< colours only bytes inside the previous root item
    std::string exceptIn;              ///< item names where a start sequence is not applied
    std::array<int, 10> exceptions{};  ///< their 1-based numbers, 0 for none
    int exceptionCount = 0;

    bool IsException(int itemNumber) const
    {
        for (int k = 0; k < exceptionCount; ++k)
            if (exceptions[static_cast<std::size_t>(k)] == itemNumber)
                return true;
        return false;
    }
    /// The item colour as 0xRRGGBB.
    std::uint32_t Rgb() const { return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF); }
};

}  // namespace quill
