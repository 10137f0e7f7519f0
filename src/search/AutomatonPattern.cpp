// Writes each item of the read expression in a spelling the automaton cannot read differently:
// bytes as hexadecimal escapes, classes as explicit byte ranges. Whatever it does not know fails
// the whole rewriting.
#include "search/AutomatonPattern.h"

#include <bitset>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "search/CharacterItem.h"
#include "search/ExpressionSyntax.h"
#include "search/UnicodeClasses.h"

namespace quill {

namespace {

using ByteSet = std::bitset<256>;

// Bytes from 128 on are added to every class of letters, digits or spaces: the library's byte
// expression follows a locale, and a class that holds more than it needs only lets a few more
// lines through to the expression.
void AddHigh(ByteSet& set)
{
    for (int b = 0x80; b < 0x100; ++b)
        set.set(static_cast<std::size_t>(b));
}

void AddRange(ByteSet& set, int from, int to)
{
    for (int b = from; b <= to; ++b)
        set.set(static_cast<std::size_t>(b));
}

ByteSet Digits()
{
    ByteSet set;
    AddRange(set, '0', '9');
    return set;
}

ByteSet Letters()
{
    ByteSet set;
    AddRange(set, 'a', 'z');
    AddRange(set, 'A', 'Z');
    return set;
}

ByteSet WordBytes()
{
    ByteSet set = Letters() | Digits();
    set.set('_');
    return set;
}

ByteSet Spaces()
{
    ByteSet set;
    AddRange(set, '\t', '\r');
    set.set(' ');
    return set;
}

// The ASCII members of a POSIX class; upper and lower stand for all letters, since a case-blind
// expression takes either. False for a name this reader does not know.
bool PosixClass(std::string_view name, ByteSet& set, bool& exact)
{
    ByteSet members;
    const auto ascii = [&members](int (*is)(int)) {
        for (int b = 0; b < 0x80; ++b)
            if (is(b) != 0)
                members.set(static_cast<std::size_t>(b));
    };
    if (name == "alpha" || name == "upper" || name == "lower") {
        members = Letters();
        exact = exact && name == "alpha";
    } else if (name == "digit")
        members = Digits();
    else if (name == "alnum")
        members = Letters() | Digits();
    else if (name == "word")
        members = WordBytes();
    else if (name == "space")
        members = Spaces();
    else if (name == "blank")
        members.set('\t').set(' ');
    else if (name == "xdigit")
        ascii([](int c) { return std::isxdigit(c); });
    else if (name == "punct")
        ascii([](int c) { return c > 0x20 && c < 0x7f && std::isalnum(c) == 0 ? 1 : 0; });
    else if (name == "graph")
        AddRange(members, 0x21, 0x7e);
    else if (name == "print")
        AddRange(members, 0x20, 0x7e);
    else if (name == "cntrl")
        AddRange(members, 0, 0x1f), members.set(0x7f);
    else
        return false;
    AddHigh(members);
    set |= members;
    return true;
}

std::string HexByte(int b)
{
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02x", b);
    return text;
}

ByteSet HighBytes()
{
    ByteSet set;
    AddHigh(set);
    return set;
}

// A class as the automaton reads it: explicit ranges of bytes.
std::string ClassText(const ByteSet& set, bool negated)
{
    std::string text = negated ? "[^" : "[";
    for (int b = 0; b < 0x100;) {
        if (!set.test(static_cast<std::size_t>(b))) {
            ++b;
            continue;
        }
        int last = b;
        while (last + 1 < 0x100 && set.test(static_cast<std::size_t>(last) + 1))
            ++last;
        text += HexByte(b);
        if (last > b)
            text += "-" + HexByte(last);
        b = last + 1;
    }
    return text + "]";
}

using Node = ExpressionNode;
using Kind = ExpressionNode::Kind;

// \d \w \s and their opposites: the set and whether it is negated; none for the others.
std::optional<std::pair<ByteSet, bool>> ClassEscape(char d)
{
    ByteSet set;
    switch (d) {
    case 'd':
    case 'D': set = Digits(); break;
    case 'w':
    case 'W': set = WordBytes(); break;
    case 's':
    case 'S': set = Spaces(); break;
    default: return std::nullopt;
    }
    const bool negated = std::isupper(static_cast<unsigned char>(d)) != 0;
    if (!negated)
        AddHigh(set);
    return std::make_pair(set, negated);
}

class AutomatonWriter {
public:
    AutomatonWriter(bool utf8, FinalDollar dollar, bool matchCase, bool crlf)
        : utf8_(utf8),
          matchCase_(matchCase),
          crlf_(crlf),
          dollar_(dollar)
    {
    }

    std::optional<AutomatonExpression> Write(const ExpressionSyntax& syntax)
    {
        if (!syntax.wellFormed)
            return std::nullopt;
        const std::vector<Node>& branches = syntax.root.children;
        for (std::size_t k = 0; k < branches.size(); ++k) {
            if (k > 0)
                out_ += '|';
            Branch(branches[k]);
        }
        if (failed_)
            return std::nullopt;
        result_.pattern = out_;
        return result_;
    }

    /// Whether a match may take a line end otherwise than by "." (which the search's expression
    /// never lets take one): its "$" may then stand after the line end, where the automaton's
    /// cannot.
    bool HoldsLineEnd() const { return holdsLineEnd_; }

private:
    // Where an assertion stood: an empty group, so that a repeat after it repeats nothing.
    static constexpr const char* kNothing = "(?:)";

    void Item(const Node& node)
    {
        if (utf8_ && WideItem(node))
            return;
        switch (node.kind) {
        case Kind::Sequence:
            for (const Node& child : node.children)
                Item(child);
            return;
        case Kind::Alternatives:
            for (std::size_t k = 0; k < node.children.size(); ++k) {
                if (k > 0)
                    out_ += '|';
                Item(node.children[k]);
            }
            return;
        case Kind::Group: Group(node); return;
        case Kind::Repeat: Repeat(node); return;
        case Kind::Character: Character(node); return;
        case Kind::Any: Anything(); return;
        case Kind::Class: Class(node); return;
        case Kind::ClassEscape: Escape(node.letter); return;
        case Kind::Assertion: Nothing(); return;
        case Kind::Verbatim:
            failed_ = failed_ || node.text.starts_with("(?#");  // comments are left to the expression
            return;
        case Kind::Unknown: failed_ = true; return;
        }
    }

    // On characters an item that takes one character is spelt as UTF-8 byte sequences; false for
    // an item of another kind, or a character of ASCII the case rule takes as itself alone.
    // run: the item repeated without an upper bound, spelt by its run when it has one.
    bool WideItem(const Node& node, bool run = false)
    {
        const bool single = node.kind == Kind::Character && node.bytes.size() <= 1 && node.code < 0x80 &&
                            (matchCase_ || CaseVariants(Code(node)).Ranges().back().second < 0x80);
        if (single || (node.kind != Kind::Character && node.kind != Kind::Any && node.kind != Kind::Class &&
                       node.kind != Kind::ClassEscape))
            return false;
        const std::optional<CharacterItem> item = CharacterItem::For(node, matchCase_, crlf_);
        if (!item) {
            failed_ = true;
            return true;
        }
        out_ += run && !item->run.empty() ? item->run : item->pattern;
        if (node.kind == Kind::Any)
            result_.bytes |= item->bytes;  // "." never takes the line end (see HoldsLineEnd)
        else
            Holds(item->bytes);
        result_.exact = result_.exact && item->exactOnAscii;
        result_.exactLength = std::min(result_.exactLength, item->exactLength);
        return true;
    }

    static char32_t Code(const Node& character)
    {
        return character.bytes.empty() ? static_cast<char32_t>(character.code)
                                       : static_cast<unsigned char>(character.bytes.front());
    }

    // A branch of the whole expression: the one place where a "$" may be kept, at its end.
    void Branch(const Node& branch)
    {
        const std::vector<Node>& items = branch.children;
        const bool final = dollar_ != FinalDollar::Dropped && !items.empty() && items.back().kind == Kind::Assertion &&
                           items.back().letter == '$';
        for (std::size_t k = 0; k + (final ? 1 : 0) < items.size(); ++k)
            Item(items[k]);
        if (!final)
            return;
        out_ += dollar_ == FinalDollar::CrLf ? "\\r?$" : "$";
        Widened();
        result_.keepsDollar = true;
    }

    // An assertion leaves the matched text as it is: the rewriting matches more than the expression.
    void Nothing()
    {
        out_ += kNothing;
        Widened();
    }

    // A class of bytes, or of the bytes outside it.
    void Set(const ByteSet& set, bool negated)
    {
        out_ += ClassText(set, negated);
        Holds(negated ? ~set : set);
    }

    // The rewriting matches more than the expression, on every line.
    void Widened()
    {
        result_.exact = false;
        result_.exactLength = 0;
    }

    // Bytes a match may hold, with the other case of their letters (the case rule is not known).
    void Holds(ByteSet members)
    {
        holdsLineEnd_ = holdsLineEnd_ || members.test('\n');
        for (int b = 'A'; b <= 'Z'; ++b)
            if (members.test(static_cast<std::size_t>(b)) || members.test(static_cast<std::size_t>(b) + 0x20))
                members.set(static_cast<std::size_t>(b)).set(static_cast<std::size_t>(b) + 0x20);
        result_.bytes |= members;
    }

    // ".": every byte but the line end and a form feed (and a CR where lines end with CR LF), as
    // the search's expression reads it.
    void Anything()
    {
        ByteSet set;
        set.set('\n').set('\f').set('\r', crlf_);
        out_ += ClassText(set, true);
        result_.bytes |= ~set;
    }

    // A class that leaves out nothing.
    void Everything()
    {
        out_ += "[\\x00-\\xff]";
        Holds(ByteSet().set());
    }

    // Groups that only group; an atomic group matches where the plain one does or not at all.
    // Look-arounds, names, options and verbs are left to the expression.
    void Group(const Node& group)
    {
        using GroupKind = Node::GroupKind;
        if (group.group != GroupKind::Capture && group.group != GroupKind::NonCapturing &&
            group.group != GroupKind::Atomic) {
            failed_ = true;
            return;
        }
        if (group.group == GroupKind::Atomic)
            Widened();
        out_ += "(?:";
        Item(group.children.front());
        out_ += ')';
    }

    // A repeat without its lazy or possessive mark: those change which match is taken, never
    // whether there is one... except that a possessive repeat may find none where the plain one
    // finds one, which only lets one more line through.
    void Repeat(const Node& repeat)
    {
        if (!utf8_ || repeat.most >= 0 || !WideItem(repeat.children.front(), true))
            Item(repeat.children.front());
        out_ += repeat.Quantifier();
        if (repeat.mode == Node::RepeatMode::Possessive)
            Widened();
    }

    // A character on bytes (one on characters too when it is ASCII).
    void Character(const Node& character)
    {
        if (character.bytes.empty()) {
            if (character.code < 0x80)
                Byte(static_cast<std::uint8_t>(character.code));
            else
                Set(HighBytes(), false);  // a byte beyond ASCII, as the library reads its value
            return;
        }
        for (const char b : character.bytes)
            Byte(static_cast<std::uint8_t>(b));
    }

    void Byte(std::uint8_t b)
    {
        Holds(ByteSet().set(b));
        if (std::isalnum(b) != 0 && b < 0x80)
            out_ += static_cast<char>(b);
        else
            out_ += HexByte(b);
    }

    void Escape(char letter)
    {
        if (const auto set = ClassEscape(letter))
            Set(set->first, set->second);
        else
            failed_ = true;  // \h \v and their opposites
    }

    // [...]: its members as a set of bytes.
    void Class(const Node& node)
    {
        ByteSet set;
        bool high = false;
        for (const ClassMember& member : node.members)
            if (!Member(member, set, high)) {
                failed_ = true;
                return;
            }
        // A class of characters beyond ASCII takes any of their bytes; one that leaves them out
        // leaves out none, so that it still takes every byte the expression's class may take.
        if (!node.negated && high)
            AddHigh(set);
        if (node.negated)
            for (int b = 0x80; b < 0x100; ++b)
                set.reset(static_cast<std::size_t>(b));
        if (node.negated && set.none()) {
            Everything();
            return;
        }
        Set(set, node.negated);
    }

    // One member of a class into the set; false for one the automaton might read differently.
    bool Member(const ClassMember& member, ByteSet& set, bool& high)
    {
        switch (member.kind) {
        case ClassMember::Kind::Posix: return PosixClass(member.name, set, result_.exact);
        case ClassMember::Kind::Escape: {
            const auto escaped = ClassEscape(member.letter);
            if (!escaped || escaped->second)
                return false;
            set |= escaped->first;
            return true;
        }
        case ClassMember::Kind::Range:
            if (member.to >= 0x80)
                high = true;
            AddRange(set, static_cast<int>(member.from), static_cast<int>(std::min<long>(member.to, 0x7f)));
            return true;
        case ClassMember::Kind::Unknown: return false;
        }
        return false;
    }

    bool utf8_;
    bool matchCase_;
    bool crlf_;
    FinalDollar dollar_;
    bool holdsLineEnd_ = false;  ///< a match may take a line end by a class or an escape (not by ".")
    std::string out_;
    bool failed_ = false;
    AutomatonExpression result_;
};

}  // namespace

std::optional<std::string> AutomatonPattern(std::string_view pattern, bool utf8)
{
    auto rewritten = RewriteForAutomaton(pattern, utf8);
    if (!rewritten)
        return std::nullopt;
    return std::move(rewritten->pattern);
}

std::optional<AutomatonExpression> RewriteForAutomaton(std::string_view pattern, bool utf8, FinalDollar dollar,
                                                       bool matchCase, bool crlf)
{
    const ExpressionSyntax syntax = ExpressionSyntax::Read(pattern, utf8);
    AutomatonWriter writer(utf8, dollar, matchCase, crlf);
    std::optional<AutomatonExpression> written = writer.Write(syntax);
    if (written && written->keepsDollar && writer.HoldsLineEnd())
        return AutomatonWriter(utf8, FinalDollar::Dropped, matchCase, crlf).Write(syntax);
    if (written && !utf8)
        written->exactLength = std::min(written->exactLength, 1);
    return written;
}

}  // namespace quill
