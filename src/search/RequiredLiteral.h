// The longest plain string that every match of a regular expression contains.
#pragma once

#include <string>
#include <string_view>

namespace quill {

/// The longest run of plain characters that every match of the expression (Perl syntax) must
/// contain. Anything not understood for sure (alternatives at the top, inline options, back
/// references, ...) gives the empty string: a line without the string can then be skipped
/// without running the expression on it. utf8: the expression takes characters of several
/// bytes as one (a repeat of one may leave all its bytes out).
std::string RequiredLiteral(std::string_view pattern, bool utf8 = false);

/// The longest stretch of a literal without bytes above 127: what must stand in a line when the
/// other characters may be matched in another case, by other bytes.
std::string LongestAsciiRun(std::string_view literal);

}  // namespace quill
