// The rewrite respells two items of the read expression: an anchor "$" (not an escaped one, one
// inside brackets, inside \Q...\E or inside a comment) and ".".
#include "search/LineExpression.h"

#include "search/ExpressionSyntax.h"
#include "search/SearchExpression.h"

#include <algorithm>

namespace quill {

std::string WithPerlLineEnd(std::string_view pattern, bool crlf)
{
    return ExpressionSyntax::Read(pattern).Spelling([crlf](const ExpressionNode& node) -> std::optional<std::string> {
        if (node.kind == ExpressionNode::Kind::Assertion && node.letter == '$')
            return crlf ? "(?=\\r?\\n?\\z)" : "(?=\\n?\\z)";
        if (node.kind == ExpressionNode::Kind::Any)
            return crlf ? "[^\\r\\n\\f]" : "[^\\n\\f]";  // the library's "." would take the line end too
        return std::nullopt;
    });
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
