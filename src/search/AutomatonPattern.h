// A regular expression rewritten for the automaton that picks the lines worth matching.
#pragma once

#include <bitset>
#include <optional>
#include <string>
#include <string_view>

namespace quill {

/// The expression (the library's Perl syntax) rewritten in the automaton's syntax so that it
/// matches at least every string the expression matches: assertions ("^", "$", "\\b", ...) are
/// left out, "." and the classes are spelt out as bytes, lazy and possessive repeats become plain
/// ones. None when the expression holds anything this rewriting does not understand for sure (back
/// references, look-arounds, inline options, Unicode properties, ...): a wrong rewriting would make
/// a search miss lines, while none only leaves the search as slow as it was. utf8: the expression
/// takes UTF-8 characters as characters: "." and the classes take their byte sequences, a
/// case-blind character its other cases beyond ASCII.
std::optional<std::string> AutomatonPattern(std::string_view pattern, bool utf8 = false);

/// How the automaton may read a "$" that ends the expression. Dropped: it is left out (the
/// rewriting then matches more). Where the text's lines all end with their line end (no line is
/// cut at a wrap width or a form feed), it is kept as the automaton's own "$" of a text of many
/// lines: before an LF (Lf), or before a CR LF or LF (CrLf); the automaton must then read the
/// text in its multi-line mode.
enum class FinalDollar { Dropped, Lf, CrLf };

/// The rewriting with what the automaton's searches may rely on.
struct AutomatonExpression {
    std::string pattern;
    /// Whether it matches exactly the strings the expression matches on a line of ASCII characters
    /// without NUL: nothing was left out (assertions) or widened (possessive repeats, atomic
    /// groups, upper and lower case classes).
    bool exact = true;
    /// The bytes a match may hold (in either case: the case rule is not known here).
    std::bitset<256> bytes;
    /// The longest UTF-8 character (1 to 4 bytes) a line without NUL may hold for the rewriting to
    /// match exactly the strings the expression matches there (bytes that are no character may be
    /// among them); 0 when it is not exact. 1 on bytes: exact at most on ASCII.
    int exactLength = 4;
    /// A final "$" was kept (see FinalDollar): not exact, and read in multi-line mode.
    bool keepsDollar = false;
};
/// matchCase: the case rule the automaton will read the rewriting with (its case-blind rule takes
/// only ASCII letters in either case; the rewriting adds the others). crlf: the text's lines end
/// with CR LF, and "." takes no CR (as the search's expression has it).
std::optional<AutomatonExpression> RewriteForAutomaton(std::string_view pattern, bool utf8,
                                                       FinalDollar dollar = FinalDollar::Dropped, bool matchCase = true,
                                                       bool crlf = false);

}  // namespace quill
