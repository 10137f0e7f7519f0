// The sets are read from ICU once, on first use; a test compares them with the library's own
// matching over every character.
#include "search/UnicodeClasses.h"

#include <boost/regex.hpp>
#include <boost/regex/icu.hpp>
#include <unicode/uchar.h>
#include <unordered_map>
#include <vector>

namespace quill {

namespace {

template <typename Member> CodePointSet Characters(Member&& member)
{
    CodePointSet set;
    for (char32_t c = 0; c <= CodePointSet::kLast; ++c) {
        if (!member(static_cast<UChar32>(c)))
            continue;
        char32_t last = c;
        while (last < CodePointSet::kLast && member(static_cast<UChar32>(last + 1)))
            ++last;
        set.Add(c, last);
        c = last;
    }
    return set;
}

bool InCategories(UChar32 c, std::uint32_t mask) { return (U_MASK(u_charType(c)) & mask) != 0; }

// For each lower case, the other characters that have it.
const std::unordered_map<char32_t, std::vector<char32_t>>& Uppers()
{
    static const auto uppers = [] {
        std::unordered_map<char32_t, std::vector<char32_t>> map;
        for (char32_t c = 0; c <= CodePointSet::kLast; ++c) {
            const auto lower = static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
            if (lower != c)
                map[lower].push_back(c);
        }
        return map;
    }();
    return uppers;
}

}  // namespace

const CodePointSet* UnicodeClass(char letter)
{
    static const CodePointSet word =
        Characters([](UChar32 c) { return c == '_' || InCategories(c, U_GC_L_MASK | U_GC_ND_MASK | U_GC_MN_MASK); });
    static const CodePointSet digits = Characters([](UChar32 c) { return u_charType(c) == U_DECIMAL_DIGIT_NUMBER; });
    static const CodePointSet spaces = Characters([](UChar32 c) { return u_isspace(c) != 0; });
    switch (letter) {
    case 'w': return &word;
    case 'd': return &digits;
    case 's': return &spaces;
    default: return nullptr;
    }
}

CodePointSet CaseVariants(char32_t c)
{
    const auto lower = static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
    CodePointSet variants;
    variants.Add(c);
    if (static_cast<char32_t>(u_tolower(static_cast<UChar32>(lower))) == lower)
        variants.Add(lower);
    if (const auto found = Uppers().find(lower); found != Uppers().end())
        for (const char32_t upper : found->second)
            variants.Add(upper);
    return variants;
}

std::optional<std::bitset<256>> AsciiMembers(const std::string& item, bool matchCase, bool characters)
{
    const auto flags = matchCase ? boost::regex::perl : boost::regex::perl | boost::regex::icase;
    std::bitset<256> members;
    try {
        if (characters) {
            const boost::u32regex expression = boost::make_u32regex(item, flags);
            for (UChar32 c = 0; c < 0x80; ++c)
                members.set(static_cast<std::size_t>(c), boost::u32regex_match(&c, &c + 1, expression));
        } else {
            const boost::regex expression(item, flags);
            for (int c = 0; c < 0x80; ++c) {
                const char byte = static_cast<char>(c);
                members.set(static_cast<std::size_t>(c), boost::regex_match(&byte, &byte + 1, expression));
            }
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return members;
}

}  // namespace quill
