// Reads the expression item by item and writes each one out in a spelling the automaton cannot
// read differently: bytes as hexadecimal escapes, classes as explicit byte ranges. Whatever it
// does not know fails the whole rewriting.
#include "search/AutomatonPattern.h"

#include <bitset>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "common/BackslashCodes.h"

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
        while (last + 1 < 0x100 && set.test(static_cast<std::size_t>(last + 1)))
            ++last;
        text += HexByte(b);
        if (last > b)
            text += "-" + HexByte(last);
        b = last + 1;
    }
    return text + "]";
}

class AutomatonWriter {
public:
    AutomatonWriter(std::string_view pattern, bool utf8) : pattern_(pattern), utf8_(utf8) {}

    std::optional<AutomatonExpression> Write()
    {
        while (at_ < pattern_.size() && !failed_)
            Item();
        if (failed_ || depth_ != 0)
            return std::nullopt;
        result_.pattern = out_;
        return result_;
    }

private:
    static constexpr const char* kAnything = "[\\x00-\\xff]";
    // Where an assertion stood: an empty group, so that a repeat after it repeats nothing.
    static constexpr const char* kNothing = "(?:)";

    // An assertion leaves the matched text as it is: the rewriting matches more than the expression.
    void Nothing()
    {
        out_ += kNothing;
        result_.exact = false;
    }

    // A class of bytes, or of the bytes outside it.
    void Set(const ByteSet& set, bool negated)
    {
        out_ += ClassText(set, negated);
        Holds(negated ? ~set : set);
    }

    // Bytes a match may hold, with the other case of their letters (the case rule is not known).
    void Holds(ByteSet members)
    {
        for (int b = 'A'; b <= 'Z'; ++b)
            if (members.test(static_cast<std::size_t>(b)) || members.test(static_cast<std::size_t>(b + 0x20)))
                members.set(static_cast<std::size_t>(b)).set(static_cast<std::size_t>(b + 0x20));
        result_.bytes |= members;
    }

    // Every byte: "." and a class that leaves out nothing.
    void Anything()
    {
        out_ += kAnything;
        result_.bytes.set();
    }

    bool More() const { return at_ < pattern_.size(); }
    char Peek(std::size_t ahead = 0) const { return at_ + ahead < pattern_.size() ? pattern_[at_ + ahead] : '\0'; }

    void Item()
    {
        const char c = pattern_[at_];
        switch (c) {
        case '\\': Escape(); break;
        case '[': Class(); break;
        case '(': OpenGroup(); return;
        case ')':
            if (depth_ == 0) {
                failed_ = true;
                return;
            }
            --depth_;
            out_ += ')';
            ++at_;
            break;
        case '|':
            out_ += '|';
            ++at_;
            return;
        case '.':
            Anything();
            ++at_;
            break;
        case '^':
        case '$':
            Nothing();
            ++at_;
            break;
        case '*':
        case '+':
        case '?':
        case '{':
        case ']':
        case '}': failed_ = true; return;  // a repeat of nothing, or syntax left to the expression
        default: Literal(); break;
        }
        if (!failed_)
            Repeat();
    }

    // A plain character at at_. On characters a repeat after a character of several bytes repeats
    // them all ("é*" may match nothing), so they form a group.
    void Literal()
    {
        const auto lead = static_cast<std::uint8_t>(pattern_[at_++]);
        if (!utf8_ || lead < 0xc0) {
            Byte(lead);
            return;
        }
        out_ += "(?:" + HexByte(lead);
        result_.bytes.set(lead);
        for (int k = 0; k < 3 && More() && (static_cast<std::uint8_t>(Peek()) & 0xc0) == 0x80; ++k) {
            const auto next = static_cast<std::uint8_t>(pattern_[at_++]);
            out_ += HexByte(next);
            result_.bytes.set(next);
        }
        out_ += ")";
    }

    void Byte(std::uint8_t b)
    {
        Holds(ByteSet().set(b));
        if (std::isalnum(b) != 0 && b < 0x80)
            out_ += static_cast<char>(b);
        else
            out_ += HexByte(b);
    }

    // A repeat after an item, without its lazy or possessive mark: those change which match is
    // taken, never whether there is one... except that a possessive repeat may find none where the
    // plain one finds one, which only lets one more line through.
    void Repeat()
    {
        if (!More())
            return;
        const char c = Peek();
        if (c == '*' || c == '+' || c == '?') {
            out_ += c;
            ++at_;
        } else if (c == '{') {
            Bounds();
            if (failed_)
                return;
        } else {
            return;
        }
        if (Peek() == '+')
            result_.exact = false;
        if (Peek() == '?' || Peek() == '+')
            ++at_;
        if (Peek() == '*' || Peek() == '+' || Peek() == '?' || Peek() == '{')
            failed_ = true;  // a repeat of a repeat: left to the expression
    }

    // {n}, {n,} or {n,m}.
    void Bounds()
    {
        std::size_t k = at_ + 1;
        const auto digits = [&] {
            const std::size_t from = k;
            while (k < pattern_.size() && std::isdigit(static_cast<unsigned char>(pattern_[k])) != 0)
                ++k;
            return k - from;
        };
        if (digits() == 0) {
            failed_ = true;
            return;
        }
        if (k < pattern_.size() && pattern_[k] == ',') {
            ++k;
            digits();
        }
        if (k >= pattern_.size() || pattern_[k] != '}') {
            failed_ = true;
            return;
        }
        out_.append(pattern_.substr(at_, k + 1 - at_));
        at_ = k + 1;
    }

    void OpenGroup()
    {
        if (Peek(1) == '?') {
            // A group that only groups; an atomic group matches where the plain one does or not at all.
            if (Peek(2) != ':' && Peek(2) != '>') {
                failed_ = true;  // look-arounds, options, names, comments
                return;
            }
            result_.exact = result_.exact && Peek(2) == ':';
            at_ += 3;
        } else {
            ++at_;
        }
        out_ += "(?:";
        ++depth_;
    }

    // A backslash sequence outside a class.
    void Escape()
    {
        if (at_ + 1 >= pattern_.size()) {
            failed_ = true;
            return;
        }
        const char d = pattern_[at_ + 1];
        at_ += 2;
        if (const auto set = ClassEscape(d)) {
            Set(set->first, set->second);
            return;
        }
        if (std::strchr("bBAzZG<>`'", d) != nullptr) {
            Nothing();
            return;
        }
        if (d == 'Q') {
            Quoted();
            return;
        }
        if (const auto value = ByteEscape(d)) {
            if (*value < 0x80)
                Byte(static_cast<std::uint8_t>(*value));
            else
                Set(HighBytes(), false);  // a byte, or a character beyond ASCII
            return;
        }
        failed_ = true;
    }

    // \d \w \s and their opposites: the set and whether it is negated.
    static std::optional<std::pair<ByteSet, bool>> ClassEscape(char d)
    {
        ByteSet set;
        switch (std::tolower(static_cast<unsigned char>(d))) {
        case 'd': set = Digits(); break;
        case 'w': set = WordBytes(); break;
        case 's': set = Spaces(); break;
        default: return std::nullopt;
        }
        const bool negated = std::isupper(static_cast<unsigned char>(d)) != 0;
        if (!negated)
            AddHigh(set);
        return std::make_pair(set, negated);
    }

    // An escape that stands for one byte or character: its value (at_ after it).
    std::optional<long> ByteEscape(char d)
    {
        switch (d) {
        case 't': return '\t';
        case 'n': return '\n';
        case 'r': return '\r';
        case 'f': return '\f';
        case 'e': return 0x1b;
        case 'a': return 0x07;
        case 'x': return HexEscape();
        default: break;
        }
        if (static_cast<unsigned char>(d) < 0x80 && std::isalnum(static_cast<unsigned char>(d)) == 0)
            return static_cast<unsigned char>(d);
        return std::nullopt;  // back references, octal, properties, and the rest
    }

    // \xHH or \x{H...}, at_ after the x.
    std::optional<long> HexEscape()
    {
        long value = 0;
        int count = 0;
        if (Peek() == '{') {
            std::size_t k = at_ + 1;
            for (; k < pattern_.size() && HexValue(pattern_[k]) >= 0 && count < 8; ++k, ++count)
                value = value * 16 + HexValue(pattern_[k]);
            if (count == 0 || k >= pattern_.size() || pattern_[k] != '}')
                return std::nullopt;
            at_ = k + 1;
            return value;
        }
        while (count < 2 && HexValue(Peek()) >= 0) {
            value = value * 16 + HexValue(Peek());
            ++at_;
            ++count;
        }
        return count == 0 ? std::nullopt : std::optional<long>(value);
    }

    // \Q...\E: every byte stands for itself.
    void Quoted()
    {
        const std::size_t end = pattern_.find("\\E", at_);
        const std::size_t stop = end == std::string_view::npos ? pattern_.size() : end;
        while (at_ < stop)
            Literal();
        at_ = end == std::string_view::npos ? pattern_.size() : end + 2;
    }

    // [...]: its members as a set of bytes.
    void Class()
    {
        ++at_;
        const bool negated = Peek() == '^';
        if (negated)
            ++at_;
        ByteSet set;
        bool high = false;
        for (bool first = true;; first = false) {
            if (!More()) {
                failed_ = true;
                return;
            }
            if (Peek() == ']' && !first) {
                ++at_;
                break;
            }
            if (!ClassMember(set, high))
                return;
        }
        // A class of characters beyond ASCII takes any of their bytes; one that leaves them out
        // leaves out none, so that it still takes every byte the expression's class may take.
        if (!negated && high)
            AddHigh(set);
        if (negated)
            for (int b = 0x80; b < 0x100; ++b)
                set.reset(static_cast<std::size_t>(b));
        if (negated && set.none()) {
            Anything();
            return;
        }
        Set(set, negated);
    }

    // One member of a class, a range of two single bytes included. False when the class failed.
    bool ClassMember(ByteSet& set, bool& high)
    {
        if (Peek() == '[' && (Peek(1) == '.' || Peek(1) == '=')) {
            failed_ = true;  // collating elements and equivalence classes
            return false;
        }
        if (Peek() == '[' && Peek(1) == ':') {
            const std::size_t end = pattern_.find(":]", at_ + 2);
            if (end == std::string_view::npos ||
                !PosixClass(pattern_.substr(at_ + 2, end - at_ - 2), set, result_.exact)) {
                failed_ = true;
                return false;
            }
            at_ = end + 2;
            return !RangeFollows() || Fail();
        }
        if (Peek() == '\\') {
            if (const auto escaped = ClassEscape(Peek(1)); escaped && !escaped->second) {
                at_ += 2;
                set |= escaped->first;
                return !RangeFollows() || Fail();
            }
        }
        const auto from = SingleByte();
        if (!from)
            return Fail();
        long to = *from;
        if (RangeFollows()) {
            ++at_;
            const auto last = SingleByte();
            if (!last || *last < *from)
                return Fail();
            to = *last;
        }
        if (to >= 0x80)
            high = true;
        AddRange(set, static_cast<int>(*from), static_cast<int>(std::min<long>(to, 0x7f)));
        return true;
    }

    bool RangeFollows() const { return Peek() == '-' && at_ + 1 < pattern_.size() && Peek(1) != ']'; }

    bool Fail()
    {
        failed_ = true;
        return false;
    }

    // A class member that is one byte or character: a plain byte or an escape of one.
    std::optional<long> SingleByte()
    {
        if (!More())
            return std::nullopt;
        const char c = Peek();
        if (c != '\\') {
            ++at_;
            return static_cast<unsigned char>(c);
        }
        if (at_ + 1 >= pattern_.size() || Peek(1) == 'b')
            return std::nullopt;  // "\b" in a class: left to the expression
        const char d = Peek(1);
        at_ += 2;
        return ByteEscape(d);
    }

    std::string_view pattern_;
    bool utf8_;
    std::size_t at_ = 0;
    std::string out_;
    int depth_ = 0;
    bool failed_ = false;
    AutomatonExpression result_;
};

}  // namespace

std::optional<std::string> AutomatonPattern(std::string_view pattern, bool utf8)
{
    auto rewritten = AutomatonWriter(pattern, utf8).Write();
    if (!rewritten)
        return std::nullopt;
    return std::move(rewritten->pattern);
}

std::optional<AutomatonExpression> RewriteForAutomaton(std::string_view pattern, bool utf8)
{
    return AutomatonWriter(pattern, utf8).Write();
}

}  // namespace quill
