// The order Sort by Fields gives records, computed in flat arrays.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "text/TextTypes.h"

namespace quill {

/// Each keyed record is inserted directly after the nearest record before it whose key is
/// smaller, passing records without a key; the first record never moves. Records [1, stopAfter]
/// take part, the rest keep their places after them.
std::vector<LineIndex> SortedRecordOrder(const std::vector<std::optional<std::string>>& keys, std::size_t stopAfter);

}  // namespace quill
