// Which of the two expressions a stretch of text goes to.
#include "search/SearchExpression.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "common/Utf8.h"
#include "search/ExpressionSyntax.h"

namespace quill {

namespace {

// What a stretch of text holds: ASCII only; characters beyond ASCII, all well formed; or bytes
// that are no character among them.
enum class Holds { Ascii, Characters, Strays };

Holds WhatItHolds(const char* begin, const char* end)
{
    const auto* p = reinterpret_cast<const unsigned char*>(begin);
    const auto* e = reinterpret_cast<const unsigned char*>(end);
    Holds holds = Holds::Ascii;
    while (p < e) {
        p += AsciiPrefix(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(e));
        if (p >= e)
            break;
        const std::size_t length = Utf8SequenceLength(p, e);
        if (length == 0)
            return Holds::Strays;
        holds = Holds::Characters;
        p += length;
    }
    return holds;
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The length of the well-formed character at p (1 for ASCII), or 0 for a byte that is none.
std::size_t CharacterAt(std::string::const_iterator p, std::string::const_iterator end)
{
    const auto* u = reinterpret_cast<const unsigned char*>(std::to_address(p));
    if (*u < 0x80)
        return 1;
    return Utf8SequenceLength(u, reinterpret_cast<const unsigned char*>(std::to_address(end)));
}

boost::match_flag_type With(boost::match_flag_type flags, boost::match_flag_type flag, bool on)
{
    // Flags stay values the type can hold: no complement of one of them is ever stored.
    const auto bits = static_cast<unsigned>(flags), bit = static_cast<unsigned>(flag);
    return static_cast<boost::match_flag_type>(on ? bits | bit : bits & ~bit);
}

// The pattern for the byte expression of a pattern on characters: a repeated character of
// several bytes is grouped, so that the repeat takes it whole there too ("é?" may match nothing on
// a line of ASCII, as on any other).
std::string WholeCharactersRepeated(const std::string& pattern)
{
    const ExpressionSyntax syntax = ExpressionSyntax::Read(pattern, true);
    return syntax.Spelling([](const ExpressionNode& node) -> std::optional<std::string> {
        if (node.kind != ExpressionNode::Kind::Repeat)
            return std::nullopt;
        const ExpressionNode& item = node.children.front();
        if (item.kind != ExpressionNode::Kind::Character || item.bytes.size() < 2)
            return std::nullopt;
        // The last character of a quotation carries its "\E": the quotation ends before the group.
        const std::string_view text = item.text;
        const std::string group = "(?:" + item.bytes + ")" + node.text;
        return text.ends_with("\\E") ? "\\E" + group : group;
    });
}

}  // namespace

SearchExpression::SearchExpression(const std::string& pattern, bool matchCase, bool utf8)
{
    const auto flags = matchCase ? boost::regex::perl : boost::regex::perl | boost::regex::icase;
    // A pattern that holds bytes which are no character (typed as backslash codes) can only be
    // matched on bytes.
    if (utf8 && WhatItHolds(pattern.data(), pattern.data() + pattern.size()) != Holds::Strays) {
        characters_.emplace(boost::make_u32regex(pattern, flags));
        bytes_.assign(WholeCharactersRepeated(pattern), flags);
    } else {
        bytes_.assign(pattern, flags);
    }
}

bool SearchExpression::Search(std::string::const_iterator begin, std::string::const_iterator first,
                              std::string::const_iterator last, boost::smatch& found, boost::match_flag_type flags,
                              bool ascii) const
{
    if (!characters_ || ascii)
        return boost::regex_search(first, last, found, bytes_, flags);
    switch (WhatItHolds(std::to_address(first), std::to_address(last))) {
    case Holds::Ascii: return boost::regex_search(first, last, found, bytes_, flags);
    case Holds::Characters: return SearchCharacters(begin, first, last, found, flags);
    case Holds::Strays: break;
    }
    // A byte that is no character matches nothing the expression names (as grep has it in a UTF-8
    // locale): no match spans one. The characters between such bytes are searched stretch by
    // stretch; "^", "$" and "\z" hold only where the subject really begins and ends.
    auto from = first;
    while (from != last) {
        if (CharacterAt(from, last) == 0) {
            ++from;
            continue;
        }
        auto to = from;
        for (std::size_t length; to != last && (length = CharacterAt(to, last)) != 0;)
            to += static_cast<std::ptrdiff_t>(length);
        boost::match_flag_type part = flags;
        if (from != first) {
            part = With(part, boost::match_not_bol, true);
            part = With(part, boost::match_not_bob, true);
            part = With(part, boost::match_prev_avail, false);  // before it stands a byte that is none
        }
        if (to != last) {
            part = With(part, boost::match_not_eol, true);
            part = With(part, boost::match_not_eob, true);
        }
        if (SearchCharacters(from == first ? begin : from, from, to, found, part)) {
            found.set_base(first);  // positions from the subject's start, as everywhere
            return true;
        }
        from = to;
    }
    return false;
}

bool SearchExpression::SearchCharacters(std::string::const_iterator begin, std::string::const_iterator first,
                                        std::string::const_iterator last, boost::smatch& found,
                                        boost::match_flag_type flags) const
{
    // A search starting inside a character (one position on after an empty match) starts at the
    // next character.
    auto from = first;
    while (from != last && IsContinuation(*from))
        ++from;
    // The character before the start is what look-behinds and "\b" see; when it is no whole
    // character, they see the start of the text.
    if (from == begin) {
        flags = With(flags, boost::match_prev_avail, false);
    } else if ((flags & boost::match_prev_avail) != 0) {
        auto before = from - 1;
        while (before != begin && from - before < 4 && IsContinuation(*before))
            --before;
        const auto* p = reinterpret_cast<const unsigned char*>(std::to_address(before));
        const auto* e = reinterpret_cast<const unsigned char*>(std::to_address(from));
        if (*p >= 0x80 && Utf8SequenceLength(p, e) != static_cast<std::size_t>(e - p))
            flags = With(flags, boost::match_prev_avail, false);
    }
    // The library walks its characters from the base it is given, so the base is the first whole
    // character; positions are then counted from first again.
    if (!boost::u32regex_search(from, last, found, *characters_, flags, from))
        return false;
    found.set_base(first);
    return true;
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
