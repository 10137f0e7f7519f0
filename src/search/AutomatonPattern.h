// A regular expression rewritten for the automaton that picks the lines worth matching.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quill {

/// The expression (the library's Perl syntax) rewritten in the automaton's syntax so that it
/// matches at least every string the expression matches on a line of ASCII characters (and, on
/// bytes, every string at all): assertions ("^", "$", "\b", ...) are left out, "." and the
/// classes are spelt out as bytes, lazy and possessive repeats become plain ones. None when the
/// expression holds anything this rewriting does not understand for sure (back references,
/// look-arounds, inline options, Unicode properties, ...): a wrong rewriting would make a search
/// miss lines, while none only leaves the search as slow as it was. utf8: the expression takes
/// characters of several bytes as one (a repeat repeats them whole).
std::optional<std::string> AutomatonPattern(std::string_view pattern, bool utf8 = false);

}  // namespace quill
