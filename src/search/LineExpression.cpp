// The rewrite reads the expression only as far as needed to tell an anchor "$" from an escaped
// one, one inside brackets and one inside \Q...\E.
#include "search/LineExpression.h"

#include "search/SearchExpression.h"

#include <algorithm>

namespace quill {

std::string WithPerlLineEnd(std::string_view pattern, bool crlf)
{
    std::string out;
    out.reserve(pattern.size() + 16);
    bool inClass = false;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        const char c = pattern[k];
        if (c == '\\' && k + 1 < pattern.size()) {
            if (pattern[k + 1] == 'Q') {
                // Quoted up to \E (or the end): copied as it stands.
                const std::size_t end = pattern.find("\\E", k + 2);
                const std::size_t stop = end == std::string_view::npos ? pattern.size() : end + 2;
                out.append(pattern.substr(k, stop - k));
                k = stop - 1;
                continue;
            }
            out += c;
            out += pattern[++k];
            continue;
        }
        if (inClass) {
            if (c == '[' && k + 1 < pattern.size() &&
                (pattern[k + 1] == ':' || pattern[k + 1] == '.' || pattern[k + 1] == '=')) {
                // [:alpha:] and the like end with their own "]".
                const std::size_t close = pattern.find(']', k + 2);
                const std::size_t stop = close == std::string_view::npos ? pattern.size() : close + 1;
                out.append(pattern.substr(k, stop - k));
                k = stop - 1;
                continue;
            }
            inClass = c != ']';
            out += c;
            continue;
        }
        if (c == '(' && pattern.substr(k, 3) == "(?#") {
            // A comment ends at the first ")": nothing in it is an anchor.
            const std::size_t close = pattern.find(')', k + 3);
            const std::size_t stop = close == std::string_view::npos ? pattern.size() : close + 1;
            out.append(pattern.substr(k, stop - k));
            k = stop - 1;
            continue;
        }
        if (c == '[') {
            inClass = true;
            out += c;
            // A "]" right after "[" or "[^" belongs to the class.
            if (k + 1 < pattern.size() && pattern[k + 1] == '^')
                out += pattern[++k];
            if (k + 1 < pattern.size() && pattern[k + 1] == ']')
                out += pattern[++k];
            continue;
        }
        if (c == '$')
            out += crlf ? "(?=\\r?\\n?\\z)" : "(?=\\n?\\z)";
        else if (c == '.')
            out += crlf ? "[^\\r\\n\\f]" : "[^\\n\\f]";  // the library's "." would take the line end too
        else
            out += c;
    }
    return out;
}

std::string MatchErrorText(const std::exception& error)
{
    return std::string("Expression too complex!\n") + error.what();
}

boost::match_flag_type LineMatchFlags(bool atLineStart)
{
    return boost::match_single_line | (atLineStart ? boost::match_default : boost::match_not_bol);
}

std::string MergeLine(const SearchExpression& expression, const std::string& subject, std::string_view stored,
                      const std::string& format, std::size_t contentEnd, bool atLineStart,
                      const std::function<std::string(const std::string&)>& toStored)
{
    std::string merged;
    std::size_t copied = 0;
    // Match after match as an iterator of the library goes: after an empty match the next one
    // may start at the same place only when it is not empty.
    std::size_t start = 0;
    bool afterEmpty = false;
    boost::smatch match;
    while (start <= subject.size()) {
        boost::match_flag_type flags = LineMatchFlags(atLineStart && start == 0);
        if (start > 0)
            flags |= boost::match_prev_avail;
        if (afterEmpty)
            flags |= boost::regex_constants::match_not_initial_null;
        if (!expression.Search(subject.cbegin(), subject.cbegin() + static_cast<std::ptrdiff_t>(start), subject.cend(),
                               match, flags))
            break;
        const std::size_t position = start + static_cast<std::size_t>(match.position());
        const auto length = static_cast<std::size_t>(match.length());
        afterEmpty = length == 0;
        start = position + length;
        if (BeyondContent(static_cast<std::ptrdiff_t>(position), static_cast<std::ptrdiff_t>(length), contentEnd))
            continue;
        merged.append(stored.substr(copied, position - copied));
        merged += toStored(match.format(format));
        copied = position + length;
    }
    merged.append(stored.substr(std::min(copied, stored.size())));
    return merged;
}

}  // namespace quill
