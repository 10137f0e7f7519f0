// Choosing between the plain and the expression search.
#include "search/TextSearch.h"

#include <algorithm>

#include "document/Document.h"

namespace quill {

TextSearch::TextSearch(Document& doc, SearchOptions& options)
    : doc_(doc),
      options_(options),
      plain_(doc, options),
      expression_(doc, options)
{
}

bool TextSearch::ByExpression() const
{
    if (options_.useRegEx)
        return true;
    return !options_.matchCase && doc_.Utf8Text() &&
           std::any_of(options_.findText.begin(), options_.findText.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

LineSearch& TextSearch::Unit()
{
    last_ = ByExpression() ? static_cast<LineSearch*>(&expression_) : &plain_;
    return *last_;
}

std::optional<std::int64_t> TextSearch::Count(const TextPosition& from)
{
    if (ByExpression()) {
        last_ = &expression_;
        return expression_.Count(from);
    }
    last_ = &plain_;
    return plain_.CountLiteral(from);
}

std::optional<std::vector<LineIndex>> TextSearch::MatchingLines(const TextPosition& from)
{
    if (ByExpression()) {
        last_ = &expression_;
        return expression_.MatchingLines(from);
    }
    last_ = &plain_;
    return plain_.MatchingLines(from);
}

const SearchExpression* TextSearch::Expression()
{
    last_ = &expression_;
    return expression_.Expression();
}

}  // namespace quill
