// Which of the two expressions a stretch of text goes to.
#include "search/SearchExpression.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "common/Utf8.h"

namespace quill {

namespace {

// Whether the bytes hold a character beyond ASCII and nothing but well-formed UTF-8: the
// character expression could not step over a byte that is no character.
bool NeedsCharacters(const char* begin, const char* end)
{
    const auto* p = reinterpret_cast<const unsigned char*>(begin);
    const auto* e = reinterpret_cast<const unsigned char*>(end);
    bool beyondAscii = false;
    while (p < e) {
        p += AsciiPrefix(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(e));
        if (p >= e)
            break;
        const std::size_t length = Utf8SequenceLength(p, e);
        if (length == 0)
            return false;
        beyondAscii = true;
        p += length;
    }
    return beyondAscii;
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

SearchExpression::SearchExpression(const std::string& pattern, bool matchCase, bool utf8)
    : bytes_(pattern, matchCase ? boost::regex::perl : boost::regex::perl | boost::regex::icase)
{
    if (utf8)
        characters_.emplace(
            boost::make_u32regex(pattern, matchCase ? boost::regex::perl : boost::regex::perl | boost::regex::icase));
}

bool SearchExpression::Search(std::string::const_iterator begin, std::string::const_iterator first,
                              std::string::const_iterator last, boost::smatch& found, boost::match_flag_type flags,
                              bool ascii) const
{
    if (!characters_ || ascii || !NeedsCharacters(std::to_address(first), std::to_address(last)))
        return boost::regex_search(first, last, found, bytes_, flags);
    // A search starting inside a character (one position on after an empty match) starts at the
    // next character.
    auto from = first;
    while (from != last && IsContinuation(*from))
        ++from;
    // The character before the start is what look-behinds and "\b" see; when it is no whole
    // character, they see the start of the text.
    if (from == begin) {
        flags &= ~boost::match_prev_avail;
    } else if ((flags & boost::match_prev_avail) != 0) {
        auto before = from - 1;
        while (before != begin && from - before < 4 && IsContinuation(*before))
            --before;
        const auto* p = reinterpret_cast<const unsigned char*>(std::to_address(before));
        const auto* e = reinterpret_cast<const unsigned char*>(std::to_address(from));
        if (*p >= 0x80 && Utf8SequenceLength(p, e) != static_cast<std::size_t>(e - p))
            flags &= ~boost::match_prev_avail;
    }
    return boost::u32regex_search(from, last, found, *characters_, flags, first);
}

std::string QuotedLiteral(const std::string& text)
{
    std::string quoted;
    quoted.reserve(text.size() * 2);
    for (const char c : text) {
        if (std::strchr(".^$|()[]{}*+?\\", c) && c != '\0')
            quoted += '\\';
        quoted += c;
    }
    return quoted;
}

}  // namespace quill
