// The longest plain string that every match of a regular expression contains.
#pragma once

#include <string>
#include <string_view>

namespace quill {

/// Reads the expression (Perl syntax) just far enough to find runs of plain characters that
/// every match must contain, and gives the longest. Anything it does not understand for sure
/// (alternatives, inline options, \Q, back references, ...) gives the empty string: a line
/// without the string can then be skipped without running the expression on it.
std::string RequiredLiteral(std::string_view pattern);

/// The longest stretch of a literal without bytes above 127: what must stand in a line when the
/// other characters may be matched in another case, by other bytes.
std::string LongestAsciiRun(std::string_view literal);

}  // namespace quill
