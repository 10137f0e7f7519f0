// The display columns of every byte of one line, worked out once for code that asks about many
// bytes of it (searches, field placement). The units come from UnitAt, as everywhere else.
#pragma once

#include <cstdint>
#include <vector>

#include "text/DisplayRules.h"
#include "text/LineView.h"

namespace quill {

class CellColumns {
public:
    CellColumns(LineView line, const DisplayRules& rules);

    /// The column where the unit holding byte i starts; the line's width from its length on.
    std::int64_t operator[](std::uint32_t i) const;
    /// The column of the first unit starting at or after byte i: where a range of bytes ending
    /// before i ends on screen. Beyond the line each byte counts one column.
    std::int64_t After(std::int64_t i) const;
    /// The first unit start whose column is at or after a column, at most `limit`.
    std::uint32_t IndexAt(std::int64_t column, std::uint32_t limit) const;

private:
    bool identity_ = true;  ///< each byte one column: no tab stops and no multi-byte characters
    std::uint32_t length_ = 0;
    std::vector<std::int64_t> start_;   ///< by byte: its unit's column; [length_]: the width
    std::vector<std::int64_t> after_;   ///< by byte: the column of the next unit start at or after it
    std::vector<std::uint8_t> inside_;  ///< by byte: 1 when it is not the first byte of its unit
};

}  // namespace quill
