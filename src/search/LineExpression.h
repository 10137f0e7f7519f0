// How a regular expression meets one line of the text.
#pragma once

#include <boost/regex.hpp>
#include <cstddef>
#include <string>
#include <string_view>

namespace quill {

/// The subject of a search is one line, terminator included. "^" matches where the subject
/// begins (not at a cursor inside the line), and "$" where it ends or before its final LF, as in
/// Perl: "ok$" finds a line of an LF file ending in "ok", while the CR of a CR LF line is a
/// character like any other. The library would also let "$" and "^" match at every CR and form
/// feed inside a line, which is why "$" is rewritten before the expression is compiled.
std::string WithPerlLineEnd(std::string_view pattern);

/// The match flags for a subject that starts at the line's start or further on.
boost::match_flag_type LineMatchFlags(bool atLineStart);

/// An empty match after the line's last content byte (where the terminator ends) would stand
/// at the start of the next line: it is no hit, or "^" and "$" would count every line twice.
/// contentEnd is the subject's length without its trailing terminator bytes.
inline bool BeyondContent(std::ptrdiff_t position, std::ptrdiff_t length, std::size_t contentEnd)
{
    return length == 0 && position > static_cast<std::ptrdiff_t>(contentEnd);
}

/// Replaces every match of the expression in the subject by the format, at once.
std::string MergeLine(const boost::regex& expression, const std::string& subject, const std::string& format,
                      std::size_t contentEnd, bool atLineStart);

}  // namespace quill
