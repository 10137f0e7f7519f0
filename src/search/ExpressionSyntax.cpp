// The reader takes apart what the automaton, the required literal and the line-end rewrite need
// to know, and keeps everything else as an item of its own spelling: what it does not know is
// never guessed at, so that the derived forms can refuse it.
#include "search/ExpressionSyntax.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "common/BackslashCodes.h"
#include "common/Utf8.h"

namespace quill {

namespace {

using Node = ExpressionNode;
using Kind = ExpressionNode::Kind;

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool IsAlnum(char c)
{
    return static_cast<unsigned char>(c) < 0x80 && std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// \xHH or \x{H...}, at just after the x.
std::optional<long> HexEscape(std::string_view pattern, std::size_t& at)
{
    long value = 0;
    int count = 0;
    if (at < pattern.size() && pattern[at] == '{') {
        std::size_t k = at + 1;
        for (; k < pattern.size() && HexValue(pattern[k]) >= 0 && count < 8; ++k, ++count)
            value = value * 16 + HexValue(pattern[k]);
        if (count == 0 || k >= pattern.size() || pattern[k] != '}')
            return std::nullopt;
        at = k + 1;
        return value;
    }
    while (count < 2 && at < pattern.size() && HexValue(pattern[at]) >= 0) {
        value = value * 16 + HexValue(pattern[at]);
        ++at;
        ++count;
    }
    return count == 0 ? std::nullopt : std::optional<long>(value);
}

Node Leaf(Kind kind, std::string_view text)
{
    Node node;
    node.kind = kind;
    node.text = text;
    return node;
}

class SyntaxReader {
public:
    SyntaxReader(std::string_view pattern, bool utf8) : pattern_(pattern), utf8_(utf8) {}

    ExpressionSyntax Read()
    {
        ExpressionSyntax syntax;
        syntax.root = Alternatives(false);
        syntax.wellFormed = wellFormed_;
        return syntax;
    }

private:
    bool More() const { return at_ < pattern_.size(); }
    char Peek(std::size_t ahead = 0) const { return at_ + ahead < pattern_.size() ? pattern_[at_ + ahead] : '\0'; }
    std::string_view From(std::size_t start) const { return pattern_.substr(start, at_ - start); }

    // Branches up to the ")" of the group (not taken) or the end. At the top a ")" closes nothing:
    // it is kept as an unknown item.
    Node Alternatives(bool inGroup)
    {
        Node alternatives;
        alternatives.kind = Kind::Alternatives;
        for (;;) {
            alternatives.children.push_back(Sequence(inGroup));
            if (Peek() != '|' || !More())
                break;
            ++at_;
        }
        return alternatives;
    }

    Node Sequence(bool inGroup)
    {
        Node sequence;
        sequence.kind = Kind::Sequence;
        while (More() && Peek() != '|') {
            if (Peek() == ')') {
                if (inGroup)
                    break;
                wellFormed_ = false;
                sequence.children.push_back(Leaf(Kind::Unknown, pattern_.substr(at_++, 1)));
                continue;
            }
            sequence.children.push_back(Repeated(Atom()));
        }
        return sequence;
    }

    Node Atom()
    {
        const std::size_t start = at_;
        switch (Peek()) {
        case '\\': return Escape();
        case '[': return Class();
        case '(': return Group();
        case '.': ++at_; return Leaf(Kind::Any, From(start));
        case '^':
        case '$': {
            Node node = Leaf(Kind::Assertion, pattern_.substr(at_++, 1));
            node.letter = node.text[0];
            return node;
        }
        case '*':
        case '+':
        case '?':
        case '{':
        case ']':
        case '}': ++at_; return Leaf(Kind::Unknown, From(start));  // a repeat of nothing, or left to the library
        default: return Character();
        }
    }

    // A plain character: on characters, a lead byte with the continuation bytes that follow it.
    Node Character()
    {
        const std::size_t start = at_;
        const auto lead = static_cast<std::uint8_t>(pattern_[at_++]);
        if (utf8_ && lead >= 0xc0)
            for (int k = 0; k < 3 && More() && (static_cast<std::uint8_t>(Peek()) & 0xc0) == 0x80; ++k)
                ++at_;
        Node node = Leaf(Kind::Character, From(start));
        node.bytes = node.text;
        return node;
    }

    // A quantifier after an item makes it a Repeat. Items that stand for no text of their own
    // (the "\Q" mark, comments, unknown items) take none: a quantifier after them is unknown.
    Node Repeated(Node item)
    {
        if (item.kind == Kind::Verbatim || item.kind == Kind::Unknown || item.kind == Kind::Sequence)
            return item;  // a quoted sequence took its quantifier for its last character
        const std::size_t start = at_;
        int least = 0;
        int most = -1;
        switch (Peek()) {
        case '*': ++at_; break;
        case '+': least = 1, ++at_; break;
        case '?': most = 1, ++at_; break;
        case '{':
            if (!Bounds(least, most))
                return item;
            break;
        default: return item;
        }
        Node repeat = Leaf(Kind::Repeat, {});
        repeat.least = least;
        repeat.most = most;
        if (Peek() == '?' || Peek() == '+') {
            repeat.mode = Peek() == '?' ? Node::RepeatMode::Lazy : Node::RepeatMode::Possessive;
            ++at_;
        }
        repeat.text = From(start);
        repeat.children.push_back(std::move(item));
        return repeat;
    }

    // {n}, {n,} or {n,m}; false, reading nothing, for any other brace.
    bool Bounds(int& least, int& most)
    {
        std::size_t k = at_ + 1;
        const auto number = [&](int& value) {
            const std::size_t from = k;
            long read = 0;
            for (; k < pattern_.size() && IsDigit(pattern_[k]); ++k)
                read = std::min<long>(read * 10 + (pattern_[k] - '0'), 100000);
            value = static_cast<int>(read);
            return k > from;
        };
        if (!number(least))
            return false;
        most = least;
        if (k < pattern_.size() && pattern_[k] == ',') {
            ++k;
            if (!number(most))
                most = -1;
        }
        if (k >= pattern_.size() || pattern_[k] != '}')
            return false;
        at_ = k + 1;
        return true;
    }

    Node Escape()
    {
        const std::size_t start = at_++;
        if (!More()) {
            wellFormed_ = false;
            return Leaf(Kind::Unknown, From(start));
        }
        const char d = Peek();
        if (d == 'Q')
            return Quoted(start);
        if (std::strchr("dDwWsShHvV", d) != nullptr || std::strchr("bBAzZG<>`'", d) != nullptr) {
            ++at_;
            Node node =
                Leaf(std::strchr("bBAzZG<>`'", d) != nullptr ? Kind::Assertion : Kind::ClassEscape, From(start));
            node.letter = d;
            return node;
        }
        if (!IsAlnum(d) && static_cast<unsigned char>(d) < 0x80) {
            ++at_;
            Node node = Leaf(Kind::Character, From(start));
            node.bytes = std::string(1, d);
            return node;
        }
        const std::optional<long> value = EscapedValue(pattern_, at_);
        Node node = Leaf(value ? Kind::Character : Kind::Unknown, From(start));
        node.code = value.value_or(-1);
        return node;
    }

    // \Q...\E: the mark, then every character standing for itself. The "\E" is spelt with the
    // last character, so that a quantifier after it (which repeats that character) stays after it.
    Node Quoted(std::size_t start)
    {
        ++at_;
        const std::size_t end = pattern_.find("\\E", at_);
        const std::size_t stop = end == std::string_view::npos ? pattern_.size() : end;
        Node sequence = Leaf(Kind::Sequence, {});
        sequence.children.push_back(Leaf(Kind::Verbatim, From(start)));
        while (at_ < stop)
            sequence.children.push_back(Character());
        at_ = end == std::string_view::npos ? pattern_.size() : end + 2;
        Node& last = sequence.children.back();
        last.text += From(stop);
        if (sequence.children.size() == 1)
            return std::move(last);  // "\Q\E": nothing quoted
        Node quantified = Repeated(std::move(last));
        sequence.children.back() = std::move(quantified);
        return sequence;
    }

    Node Group()
    {
        const std::size_t start = at_;
        if (pattern_.substr(at_, 3) == "(?#") {
            // A comment ends at the first ")": nothing in it is read.
            const std::size_t close = pattern_.find(')', at_ + 3);
            wellFormed_ = wellFormed_ && close != std::string_view::npos;
            at_ = close == std::string_view::npos ? pattern_.size() : close + 1;
            return Leaf(Kind::Verbatim, From(start));
        }
        Node group = Leaf(Kind::Group, {});
        group.group = Opening();
        group.text = From(start);
        group.children.push_back(Alternatives(true));
        group.closed = Peek() == ')';
        if (group.closed)
            ++at_;
        wellFormed_ = wellFormed_ && group.closed;
        return group;
    }

    // The opening of a group, taken: what kind of group it is. An opening this reader does not
    // know ("(?i)", "(?(1)...", "(*VERB)") is taken as "(?" or "(*" alone; the rest is read as the
    // group's contents, which spells it out unchanged.
    Node::GroupKind Opening()
    {
        ++at_;
        const char c = Peek();
        if (c == '*') {
            ++at_;
            return Node::GroupKind::Other;
        }
        if (c != '?')
            return Node::GroupKind::Capture;
        const std::string_view rest = pattern_.substr(at_ + 1);
        const auto take = [this](std::size_t length, Node::GroupKind kind) {
            at_ += 1 + length;
            return kind;
        };
        if (rest.starts_with(':'))
            return take(1, Node::GroupKind::NonCapturing);
        if (rest.starts_with('>'))
            return take(1, Node::GroupKind::Atomic);
        if (rest.starts_with('=') || rest.starts_with('!'))
            return take(1, Node::GroupKind::Lookaround);
        if (rest.starts_with("<=") || rest.starts_with("<!"))
            return take(2, Node::GroupKind::Lookaround);
        if (const std::size_t name = NameLength(rest); name > 0)
            return take(name, Node::GroupKind::Named);
        return take(0, Node::GroupKind::Other);
    }

    // "<name>", "'name'" or "P<name>" at the start of rest: its length, or 0.
    static std::size_t NameLength(std::string_view rest)
    {
        std::size_t k = rest.starts_with("P<") ? 2 : rest.starts_with('<') || rest.starts_with('\'') ? 1 : 0;
        if (k == 0)
            return 0;
        const char close = rest[k - 1] == '\'' ? '\'' : '>';
        const std::size_t from = k;
        while (k < rest.size() && (IsAlnum(rest[k]) || rest[k] == '_'))
            ++k;
        return k > from && k < rest.size() && rest[k] == close ? k + 1 : 0;
    }

    // [...]: its spelling and its members.
    Node Class()
    {
        const std::size_t start = at_++;
        Node node = Leaf(Kind::Class, {});
        node.negated = Peek() == '^';
        if (node.negated)
            ++at_;
        node.closed = false;
        for (bool first = true; More(); first = false) {
            if (Peek() == ']' && !first) {
                ++at_;
                node.closed = true;
                break;
            }
            node.members.push_back(Member());
        }
        wellFormed_ = wellFormed_ && node.closed;
        node.text = From(start);
        return node;
    }

    ClassMember Member()
    {
        ClassMember member;
        if (Peek() == '[' && std::strchr(":.=", Peek(1)) != nullptr && Peek(1) != '\0') {
            // [:alpha:] and the like end with their own "]".
            const std::size_t close = pattern_.find(']', at_ + 2);
            const std::size_t stop = close == std::string_view::npos ? pattern_.size() : close + 1;
            const std::string_view whole = pattern_.substr(at_, stop - at_);
            if (Peek(1) == ':' && whole.size() >= 5 && whole.ends_with(":]")) {
                member.kind = ClassMember::Kind::Posix;
                member.name = whole.substr(2, whole.size() - 4);
            }
            at_ = stop;
            return RangeFollows() ? ClassMember{} : member;
        }
        if (Peek() == '\\' && std::strchr("dDwWsShHvV", Peek(1)) != nullptr && Peek(1) != '\0') {
            member.kind = ClassMember::Kind::Escape;
            member.letter = Peek(1);
            at_ += 2;
            return RangeFollows() ? ClassMember{} : member;
        }
        const std::optional<long> from = SingleCharacter();
        if (!from)
            return member;
        long to = *from;
        if (RangeFollows()) {
            ++at_;
            const std::optional<long> last = SingleCharacter();
            if (!last || *last < *from)
                return member;
            to = *last;
        }
        member.kind = ClassMember::Kind::Range;
        member.from = *from;
        member.to = to;
        return member;
    }

    bool RangeFollows() const { return Peek() == '-' && at_ + 1 < pattern_.size() && Peek(1) != ']'; }

    // A class member that is one byte or character (plain) or one escaped value; none (read past)
    // otherwise.
    std::optional<long> SingleCharacter()
    {
        if (Peek() != '\\') {
            // On characters a well-formed character of several bytes is one member, its value.
            const auto* p = reinterpret_cast<const unsigned char*>(pattern_.data() + at_);
            const auto* end = reinterpret_cast<const unsigned char*>(pattern_.data() + pattern_.size());
            if (const std::size_t length = utf8_ && *p >= 0x80 ? Utf8SequenceLength(p, end) : 0) {
                at_ += length;
                return static_cast<long>(DecodeUtf8(p, length));
            }
            return static_cast<unsigned char>(pattern_[at_++]);
        }
        ++at_;
        if (!More())
            return std::nullopt;
        if (Peek() == 'b') {
            ++at_;
            return std::nullopt;  // "\b" in a class is a backspace to some, a boundary to others
        }
        return EscapedValue(pattern_, at_);
    }

    std::string_view pattern_;
    bool utf8_;
    std::size_t at_ = 0;
    bool wellFormed_ = true;
};

}  // namespace

std::string_view ExpressionNode::Quantifier() const
{
    const std::string_view quantifier = text;
    return mode == RepeatMode::Greedy ? quantifier : quantifier.substr(0, quantifier.size() - 1);
}

std::optional<long> EscapedValue(std::string_view pattern, std::size_t& at)
{
    if (at >= pattern.size())
        return std::nullopt;
    const char d = pattern[at++];
    switch (d) {
    case 't': return '\t';
    case 'n': return '\n';
    case 'r': return '\r';
    case 'f': return '\f';
    case 'e': return 0x1b;
    case 'a': return 0x07;
    case 'x': return HexEscape(pattern, at);
    default: break;
    }
    if (static_cast<unsigned char>(d) < 0x80 && !IsAlnum(d))
        return static_cast<unsigned char>(d);
    return std::nullopt;  // back references, octal, properties, and the rest
}

ExpressionSyntax ExpressionSyntax::Read(std::string_view pattern, bool utf8)
{
    return SyntaxReader(pattern, utf8).Read();
}

void ExpressionSyntax::Spell(const ExpressionNode& node, std::string& out, const Respelling& respell)
{
    if (respell)
        if (std::optional<std::string> respelt = respell(node)) {
            out += *respelt;
            return;
        }
    switch (node.kind) {
    case Kind::Sequence:
        for (const Node& child : node.children)
            Spell(child, out, respell);
        return;
    case Kind::Alternatives:
        for (std::size_t k = 0; k < node.children.size(); ++k) {
            if (k > 0)
                out += '|';
            Spell(node.children[k], out, respell);
        }
        return;
    case Kind::Group:
        out += node.text;
        Spell(node.children.front(), out, respell);
        if (node.closed)
            out += ')';
        return;
    case Kind::Repeat:
        Spell(node.children.front(), out, respell);
        out += node.text;
        return;
    default: out += node.text;
    }
}

std::string ExpressionSyntax::Spelling(const Respelling& respell) const
{
    std::string out;
    Spell(root, out, respell);
    return out;
}

bool ExpressionSyntax::Any(const ExpressionNode& node, const std::function<bool(const ExpressionNode&)>& test)
{
    return test(node) || std::any_of(node.children.begin(), node.children.end(),
                                     [&test](const Node& child) { return Any(child, test); });
}

}  // namespace quill
