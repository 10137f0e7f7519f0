// Where the fields of a record lie on its row, for the backgrounds and the field ruler.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text/DisplayRules.h"
#include "text/LineView.h"

namespace quill {

class StructureDescription;

struct FieldSpan {
    std::int64_t column;   ///< first display column
    std::int64_t width;    ///< columns
    std::uint32_t colour;  ///< 0xRRGGBB from the field palette
    const std::string* name;
};

/// The applying fields of a record with a width, in list order.
std::vector<FieldSpan> FieldSpansOf(StructureDescription& structure, LineView record, const DisplayRules& rules);

}  // namespace quill
