// The rewrite reads the expression only as far as needed to tell an anchor "$" from an escaped
// one, one inside brackets and one inside \Q...\E.
#include "search/LineExpression.h"

namespace quill {

std::string WithPerlLineEnd(std::string_view pattern)
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
            out += "(?=\\n?\\z)";
        else
            out += c;
    }
    return out;
}

boost::match_flag_type LineMatchFlags(bool atLineStart)
{
    return boost::match_single_line | (atLineStart ? boost::match_default : boost::match_not_bol);
}

std::string MergeLine(const boost::regex& expression, const std::string& subject, const std::string& format,
                      std::size_t contentEnd, bool atLineStart)
{
    std::string merged;
    auto copied = subject.cbegin();
    const boost::sregex_iterator end;
    for (boost::sregex_iterator it(subject.cbegin(), subject.cend(), expression, LineMatchFlags(atLineStart));
         it != end; ++it) {
        const boost::smatch& match = *it;
        if (BeyondContent(match.position(), match.length(), contentEnd))
            continue;
        merged.append(copied, match[0].first);
        merged += match.format(format);
        copied = match[0].second;
    }
    merged.append(copied, subject.cend());
    return merged;
}

}  // namespace quill
