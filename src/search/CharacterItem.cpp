// The ASCII members of a class are asked of the library itself, for both of its expressions; the
// others are taken from ICU's classes and case rule, as the library's expression on characters
// uses them.
#include "search/CharacterItem.h"

#include <string_view>

#include "common/Utf8.h"
#include "search/CodePointSet.h"
#include "search/UnicodeClasses.h"

namespace quill {

namespace {

using Node = ExpressionNode;
using Kind = ExpressionNode::Kind;

CodePointSet Beyond()
{
    CodePointSet set;
    set.Add(0x80, CodePointSet::kLast);
    return set;
}

// The characters from 128 on that a case-blind expression takes for [from, to]: those whose lower
// case lies in the range of the lower cases of its ends, as the library compares them. None when
// the range is too wide to spell out.
std::optional<CodePointSet> CaseBlindRange(char32_t from, char32_t to)
{
    if (to - from > 4096)
        return std::nullopt;
    CodePointSet set;
    for (char32_t c = from; c <= to; ++c)
        set.Add(CaseVariants(c));
    return set;
}

// The ASCII members of a spelling with both expressions, and how they differ.
struct AsciiViews {
    std::bitset<256> bytes;
    std::bitset<256> characters;
};

std::optional<AsciiViews> AsciiOf(const std::string& spelling, bool matchCase)
{
    const auto bytes = AsciiMembers(spelling, matchCase, false);
    const auto characters = AsciiMembers(spelling, matchCase, true);
    if (!bytes || !characters)
        return std::nullopt;
    return AsciiViews{*bytes, *characters};
}

// The letters of a set with their other case: the automaton's case-blind rule adds them itself.
std::bitset<256> CaseClosed(std::bitset<256> set)
{
    for (std::size_t b = 'A'; b <= 'Z'; ++b)
        if (set.test(b) || set.test(b + 0x20))
            set.set(b).set(b + 0x20);
    return set;
}

class ItemWriter {
public:
    ItemWriter(bool matchCase, bool crlf) : matchCase_(matchCase), crlf_(crlf) {}

    std::optional<CharacterItem> Write(const Node& node)
    {
        switch (node.kind) {
        case Kind::Any: {
            // As the search's expression reads ".": no line end, form feed, or CR before LF.
            std::bitset<256> ascii = AllAscii();
            ascii.reset('\n').reset('\f').set('\r', !crlf_);
            return Item(ascii, Beyond());
        }
        case Kind::Character: return Character(node);
        case Kind::ClassEscape: return Escape(node);
        case Kind::Class: return Class(node);
        default: return std::nullopt;
        }
    }

private:
    static std::bitset<256> AllAscii()
    {
        std::bitset<256> set;
        for (std::size_t b = 0; b < 0x80; ++b)
            set.set(b);
        return set;
    }

    std::optional<CharacterItem> Character(const Node& node)
    {
        char32_t code = 0;
        if (node.bytes.empty()) {
            code = static_cast<char32_t>(node.code);
        } else {
            const auto* p = reinterpret_cast<const unsigned char*>(node.bytes.data());
            const auto* end = p + node.bytes.size();
            const std::size_t length = *p < 0x80 ? 1 : Utf8SequenceLength(p, end);
            if (length != node.bytes.size())
                return std::nullopt;  // bytes that are no character: the expression is on bytes
            code = DecodeUtf8(p, length);
        }
        CodePointSet set;
        if (matchCase_)
            set.Add(code);
        else
            set.Add(CaseVariants(code));
        // The automaton's case rule adds the other case of ASCII letters. A character beyond
        // ASCII that a case-blind expression takes for an ASCII letter (the Kelvin sign for "k")
        // matches nothing on a line of ASCII only, where the expression compares bytes.
        std::optional<CharacterItem> item = Item(CaseClosedIfBlind(set.AsciiBytes()), set);
        if (item && code >= 0x80 && set.AsciiBytes().any())
            item->exactOnAscii = false;
        return item;
    }

    std::optional<CharacterItem> Escape(const Node& node)
    {
        const char lower = static_cast<char>(node.letter | 0x20);
        const CodePointSet* members = UnicodeClass(lower);
        if (!members)
            return std::nullopt;
        const auto ascii = AsciiOf(node.text, matchCase_);
        if (!ascii)
            return std::nullopt;
        return Viewed(*ascii, node.letter == lower ? *members : members->Complement(), true);
    }

    std::optional<CharacterItem> Class(const Node& node)
    {
        const auto ascii = AsciiOf(node.text, matchCase_);
        if (!ascii || !node.closed)
            return std::nullopt;
        CodePointSet beyond;
        bool known = true;
        for (const ClassMember& member : node.members) {
            switch (member.kind) {
            case ClassMember::Kind::Range:
                if (!AddRange(beyond, static_cast<char32_t>(member.from), static_cast<char32_t>(member.to)))
                    known = false;
                break;
            case ClassMember::Kind::Escape: {
                const CodePointSet* members = UnicodeClass(member.letter);
                if (!members)
                    return std::nullopt;  // \D \W \S \h \v in a class
                beyond.Add(*members);
                break;
            }
            case ClassMember::Kind::Posix: known = false; break;
            case ClassMember::Kind::Unknown: return std::nullopt;
            }
        }
        if (!known)
            return Viewed(*ascii, Beyond(), false);
        return Viewed(*ascii, node.negated ? beyond.Complement() : beyond, true);
    }

    bool AddRange(CodePointSet& set, char32_t from, char32_t to) const
    {
        if (matchCase_) {
            set.Add(from, to);
            return true;
        }
        const auto blind = CaseBlindRange(from, to);
        if (blind)
            set.Add(*blind);
        return blind.has_value();
    }

    std::bitset<256> CaseClosedIfBlind(const std::bitset<256>& set) const { return matchCase_ ? set : CaseClosed(set); }

    // An item whose ASCII members the two expressions may see differently: it takes both.
    std::optional<CharacterItem> Viewed(const AsciiViews& ascii, const CodePointSet& beyond, bool beyondExact)
    {
        const std::bitset<256> both = CaseClosedIfBlind(ascii.bytes | ascii.characters);
        std::optional<CharacterItem> item = Item(both, beyond);
        if (item) {
            item->exactOnAscii = both == ascii.bytes;
            if (!beyondExact || both != ascii.characters)
                item->exactLength = 1;
        }
        return item;
    }

    static std::optional<CharacterItem> Item(const std::bitset<256>& ascii, const CodePointSet& all)
    {
        CodePointSet beyond;
        for (const auto& [from, to] : all.Ranges())
            if (to >= 0x80)
                beyond.Add(std::max<char32_t>(from, 0x80), to);
        if (ascii.none() && beyond.Empty())
            return std::nullopt;  // takes nothing: the automaton has no spelling for it
        CharacterItem item;
        item.bytes = ascii;
        if (!beyond.Empty())
            for (std::size_t b = 0x80; b < 0x100; ++b)
                item.bytes.set(b);
        std::string alternatives = beyond.Utf8Alternatives();
        if (alternatives.size() > kLongestSpelling) {
            // One of the members, or any lead byte with the continuation bytes after it.
            std::bitset<256> first = ascii;
            for (std::size_t b = 0xC2; b <= 0xF4; ++b)
                first.set(b);
            item.pattern = "(?:" + ByteClass(first) + "[\\x80-\\xbf]*)";
            item.run = ByteClass(item.bytes);
            item.exactLength = 1;
            return item;
        }
        if (ascii.any())
            alternatives = ByteClass(ascii) + (alternatives.empty() ? "" : "|" + alternatives);
        item.pattern = "(?:" + alternatives + ")";
        return item;
    }

    // A class spelt longer than this ("\\w" and "\\d" of all scripts) makes the automaton slow to
    // build and slower to scan than the expression is on the lines it lets through (three times
    // slower on an ASCII log, twice on a multilingual one): it takes every character beyond ASCII
    // instead, spelt as simply as can be, and lines beyond ASCII go to the expression.
    static constexpr std::size_t kLongestSpelling = 300;

    static std::string ByteClass(const std::bitset<256>& set)
    {
        CodePointSet members;
        for (char32_t b = 0; b < 0x100; ++b)
            if (set.test(b))
                members.Add(b);
        std::string text = "[";
        for (const auto& [from, to] : members.Ranges()) {
            text += Hex(from);
            if (to > from)
                text += "-" + Hex(to);
        }
        return text + "]";
    }

    static std::string Hex(char32_t b)
    {
        static const char digits[] = "0123456789abcdef";
        return std::string("\\x") + digits[(b >> 4) & 0xF] + digits[b & 0xF];
    }

    bool matchCase_;
    bool crlf_;
};

}  // namespace

std::optional<CharacterItem> CharacterItem::For(const ExpressionNode& node, bool matchCase, bool crlf)
{
    return ItemWriter(matchCase, crlf).Write(node);
}

}  // namespace quill
