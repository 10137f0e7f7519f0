// Counter markers.
#include "search/CounterSubstitution.h"

#include <algorithm>

namespace quill {

namespace {

constexpr char kMarker = '\xB5';
constexpr std::size_t kMaxWidth = 1000;  // a marker like µ99999999d must not eat the memory

std::string Formatted(std::int32_t value, const std::string& digits)
{
    const bool zeros = !digits.empty() && digits[0] == '0';
    std::size_t width = 0;
    for (char digit : digits)
        width = std::min(kMaxWidth, width * 10 + static_cast<std::size_t>(digit - '0'));
    const bool negative = value < 0;
    std::string number =
        std::to_string(negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value));
    const std::size_t length = number.size() + (negative ? 1 : 0);
    const std::size_t pad = width > length ? width - length : 0;
    if (zeros)
        return (negative ? "-" : "") + std::string(pad, '0') + number;
    return std::string(pad, ' ') + (negative ? "-" : "") + number;
}

}  // namespace

void SubstituteCounter(std::string& text, std::int32_t value)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != kMarker || i + 1 >= text.size())
            continue;
        std::size_t end = i + 1;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9')
            ++end;
        if (end >= text.size() || text[end] != 'd')
            continue;
        // Typed as UTF-8 the marker is the two bytes C2 B5: both go.
        const std::size_t from = i > 0 && text[i - 1] == '\xC2' ? i - 1 : i;
        text.replace(from, end + 1 - from, Formatted(value, text.substr(i + 1, end - i - 1)));
        i = from;
    }
}

}  // namespace quill
