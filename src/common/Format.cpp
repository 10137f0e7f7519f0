// printf-style formatting into std::string.
#include "common/Format.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace quill {

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}

std::string GroupedNumber(long long number)
{
    std::string digits = std::to_string(number < 0 ? -number : number);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return number < 0 ? "-" + digits : digits;
}

std::string SystemErrorText(int error) { return Format("%d:%s", error, std::strerror(error)); }

}  // namespace quill
