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

std::optional<std::int64_t> ReadEntry(const EntryValue& value)
{
    if (value.mode == EntryMode::Decimal)
        return ParseDecimal(value.text);
    const std::size_t start = value.text.find_first_not_of(" \t");
    if (start == std::string::npos)
        return 0;
    errno = 0;
    char* end = nullptr;
    const unsigned long long number = std::strtoull(value.text.c_str() + start, &end, 16);
    if (end == value.text.c_str() + start || errno == ERANGE || value.text[start] == '-')
        return std::nullopt;
    return static_cast<std::int64_t>(number);
}

std::string EntryTitle(const std::vector<EntryValue>& values)
{
    if (values.empty())
        return {};
    return values.size() > 1 && !values[1].label.empty() ? values[0].label + "/" + values[1].label : values[0].label;
}

}  // namespace quill
