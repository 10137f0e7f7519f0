// The counter markers of replacement and pasted texts: µd, µ3d, µ03d.
#pragma once

#include <cstdint>
#include <string>

namespace quill {

/// Replaces every marker µ{digits}d (µ is byte 0xB5, or C2 B5 in UTF-8) by the value as printf's "%{digits}d" writes
/// it: digits starting with 0 pad with zeros, other digits with blanks. A µ not followed by digits
/// and a "d" stays. Widths are held to 1,000 columns.
void SubstituteCounter(std::string& text, std::int32_t value);

/// The counter after value: a 32-bit counter that wraps from the largest value to the smallest.
inline std::int32_t NextCounter(std::int32_t value, std::int64_t increment = 1)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + static_cast<std::uint32_t>(increment));
}

}  // namespace quill
