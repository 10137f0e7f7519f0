// A regular expression as the searches use it: on bytes, and on UTF-8 text on characters too.
#pragma once

#include <boost/regex.hpp>
#include <boost/regex/icu.hpp>
#include <optional>
#include <string>

namespace quill {

/// Compiled once per find text. On a UTF-8 text a stretch holding characters beyond ASCII is
/// searched by an expression on Unicode characters (ICU's), so that "." and "[äöü]" take one
/// character and a case-blind search folds "Ö" to "ö"; a byte that is no character stands for
/// itself there and matches nothing the expression names, as in grep. Plain ASCII stretches go
/// to the byte expression, which finds the same there and is the fastest. A pattern holding bytes
/// that are no character is matched on bytes throughout. Matches are reported in byte positions.
class SearchExpression {
public:
    /// Throws boost::regex_error for a bad expression.
    SearchExpression(const std::string& pattern, bool matchCase, bool utf8);

    /// boost::regex_search on [first, last) of a subject that begins at begin, with positions
    /// counted from first. ascii: the subject is known to hold ASCII characters only.
    bool Search(std::string::const_iterator begin, std::string::const_iterator first, std::string::const_iterator last,
                boost::smatch& found, boost::match_flag_type flags, bool ascii = false) const;

    /// The byte expression, for what only looks at its traits.
    const boost::regex& Bytes() const { return bytes_; }
    bool OnCharacters() const { return characters_.has_value(); }

private:
    /// The character expression on [first, last), which holds well-formed UTF-8 only; positions
    /// are counted from first.
    bool SearchCharacters(std::string::const_iterator begin, std::string::const_iterator first,
                          std::string::const_iterator last, boost::smatch& found, boost::match_flag_type flags) const;

    boost::regex bytes_;
    std::optional<boost::u32regex> characters_;
};

/// A find text as an expression that matches exactly it.
std::string QuotedLiteral(const std::string& text);

}  // namespace quill
