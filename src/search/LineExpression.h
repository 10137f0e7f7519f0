// How a regular expression meets one line of the text.
#pragma once

#include <boost/regex.hpp>
#include <cstddef>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace quill {

class SearchExpression;

/// The subject of a search is one line, terminator included. "^" matches where the subject
/// begins (not at a cursor inside the line), and "$" where it ends or before its line end, as in
/// Perl: "ok$" finds a line ending in "ok", in an LF file before the LF, in a CR LF file (crlf)
/// before the CR LF. The library would also let "$" and "^" match at every CR and form feed
/// inside a line, which is why "$" is rewritten before the expression is compiled; and its "."
/// takes line ends (a replacement of "x." would join lines), so "." becomes "any byte but the line
/// end's". Comments "(?#...)" are copied as they stand.
std::string WithPerlLineEnd(std::string_view pattern, bool crlf = false);

/// What the user is told when matching fails: the library gives up on expressions too complex
/// for its limits ("(a|aa)*b" on a long line) by throwing.
std::string MatchErrorText(const std::exception& error);

/// The match flags for a subject that starts at the line's start or further on.
boost::match_flag_type LineMatchFlags(bool atLineStart);

/// An empty match after the line's last content byte (where the terminator ends) would stand
/// at the start of the next line: it is no hit, or "^" and "$" would count every line twice.
/// contentEnd is the subject's length without its trailing terminator bytes.
inline bool BeyondContent(std::ptrdiff_t position, std::ptrdiff_t length, std::size_t contentEnd)
{
    return length == 0 && position > static_cast<std::ptrdiff_t>(contentEnd);
}

/// Replaces every match of the expression in the subject by the format, at once. stored holds the
/// line's bytes as the file has them, one for each byte of the subject (the subject shows them
/// through a conversion table): what no match covers is copied from it unchanged, and only the
/// formatted replacements pass through toStored.
std::string MergeLine(const SearchExpression& expression, const std::string& subject, std::string_view stored,
                      const std::string& format, std::size_t contentEnd, bool atLineStart,
                      const std::function<std::string(const std::string&)>& toStored);

}  // namespace quill
