// The one reader of the expression syntax (the library's Perl syntax): a tree from which the
// automaton's spelling, the required literal and the line-end rewrite are all derived.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quill {

/// One member of a bracket expression.
struct ClassMember {
    enum class Kind {
        Range,   ///< one byte or character, or a range of two (from..to: their values)
        Posix,   ///< [:name:]
        Escape,  ///< \d \w \s \D \W \S ... (letter)
        Unknown  ///< collating elements, "\b", an escape of no known value, a range this reader doubts
    };
    Kind kind = Kind::Unknown;
    long from = 0;
    long to = 0;
    char letter = 0;
    std::string name;
};

/// An item of an expression as the reader found it. Every node keeps its own spelling, so that
/// the expression can be written out again exactly, with only the items a caller respells changed.
struct ExpressionNode {
    enum class Kind {
        Sequence,      ///< children one after another
        Alternatives,  ///< children are the branches (each a Sequence), between "|"
        Group,         ///< text: the opening ("(", "(?:", "(?<=", ...); one child, the Alternatives
        Repeat,        ///< children[0] repeated; text: the quantifier with its lazy or possessive mark
        Character,     ///< one character (see bytes and code)
        Any,           ///< "."
        Class,         ///< "[...]", spelt in text
        ClassEscape,   ///< \d \w \s \h \v and their opposites
        Assertion,     ///< ^ $ \b \B \A \z \Z \G \< \> \` \'
        Verbatim,      ///< spelling without meaning: "\Q" before quoted characters, comments "(?#...)"
        Unknown        ///< what this reader does not take apart: back references, properties, verbs, ...
    };
    enum class GroupKind { Capture, NonCapturing, Atomic, Named, Lookaround, Other };
    enum class RepeatMode { Greedy, Lazy, Possessive };

    Kind kind = Kind::Unknown;
    std::string text;
    std::vector<ExpressionNode> children;
    /// Character: the bytes it stands for as spelt (a plain or escaped punctuation character, a
    /// quoted one, or a character of several bytes on characters); empty for an escape of a value.
    std::string bytes;
    /// Character given by an escape of its value (\t, \x41, \x{263A}): that value; -1 otherwise.
    long code = -1;
    /// ClassEscape and Assertion: the letter or sign ('d', 'W', '^', '$', 'b', ...).
    char letter = 0;
    GroupKind group = GroupKind::Other;
    bool closed = true;  ///< Group, Class: whether their closing bracket was found
    int least = 0;       ///< Repeat: the least count (capped), and the most (-1: no limit)
    int most = -1;
    RepeatMode mode = RepeatMode::Greedy;
    bool negated = false;  ///< Class
    std::vector<ClassMember> members;

    /// Repeat: the quantifier without its lazy or possessive mark ("*", "{2,3}").
    std::string_view Quantifier() const;
};

/// An expression read into its items.
struct ExpressionSyntax {
    /// Reads an expression. utf8: characters of several bytes are one item each (a repeat repeats
    /// them whole); else every byte is one. Never fails: what is broken (an unclosed group or
    /// class, a stray ")", a trailing backslash) is kept as it stands and clears wellFormed.
    static ExpressionSyntax Read(std::string_view pattern, bool utf8 = false);

    /// The Alternatives of the whole expression.
    ExpressionNode root;
    bool wellFormed = true;

    /// A respelling of some items: their new spelling, or none to keep theirs.
    using Respelling = std::function<std::optional<std::string>(const ExpressionNode&)>;
    /// The expression written out again; without a respelling, exactly as it was read.
    std::string Spelling(const Respelling& respell = nullptr) const;
    static void Spell(const ExpressionNode& node, std::string& out, const Respelling& respell);

    /// Whether any item in the tree satisfies the test.
    static bool Any(const ExpressionNode& node, const std::function<bool(const ExpressionNode&)>& test);
};

/// The value of one escape that stands for a character (\t, \n, \x41, \x{263A}, an escaped
/// punctuation character), at pattern[at] just after the backslash; at moves past it. None for
/// any other escape (at then moves past its letter).
std::optional<long> EscapedValue(std::string_view pattern, std::size_t& at);

}  // namespace quill
