// A regular expression rewritten for the automaton that picks the lines worth matching.
#pragma once

#include <bitset>
#include <optional>
#include <string>
#include <string_view>

namespace quill {

/// The expression (the library's Perl syntax) rewritten in the automaton's syntax so that it
/// matches at least every string the expression matches on a line of ASCII characters (and, on
/// bytes, every string at all): assertions ("^", "$", "\\b", ...) are left out, "." and the
/// classes are spelt out as bytes, lazy and possessive repeats become plain ones. None when the
/// expression holds anything this rewriting does not understand for sure (back references,
/// look-arounds, inline options, Unicode properties, ...): a wrong rewriting would make a search
/// miss lines, while none only leaves the search as slow as it was. utf8: the expression takes
/// characters of several bytes as one (a repeat repeats them whole).
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
    /// A final "$" was kept (see FinalDollar): not exact, and read in multi-line mode.
    bool keepsDollar = false;
};
std::optional<AutomatonExpression> RewriteForAutomaton(std::string_view pattern, bool utf8,
                                                       FinalDollar dollar = FinalDollar::Dropped);

}  // namespace quill
