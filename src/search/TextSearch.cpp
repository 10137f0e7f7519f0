// Choosing between the plain and the expression search.
#include "search/TextSearch.h"

#include <algorithm>

#include "document/Document.h"

namespace quill {

TextSearch::TextSearch(Document& doc, const SearchQuery& query)
    : doc_(doc),
      query_(query),
      plain_(doc, query),
      expression_(doc, query)
{
}

bool TextSearch::ByExpression() const
{
    if (query_.regex)
        return true;
    return !query_.matchCase && doc_.Utf8Text() && std::any_of(query_.text.begin(), query_.text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x80;
    });
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
