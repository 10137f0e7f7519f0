// Reading numbers typed into the entry dialog.
#include "platform/EntryDialog.h"

#include <cerrno>
#include <cstdlib>

namespace quill {

std::optional<long long> ParseDecimal(const std::string& text)
{
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos)
        return 0;
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text.c_str() + start, &end, 10);
    if (end == text.c_str() + start || errno == ERANGE)
        return std::nullopt;
    return value;
}

}  // namespace quill
