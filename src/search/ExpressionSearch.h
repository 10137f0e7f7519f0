// The expression search: a regular expression matched line by line.
#pragma once

#include <array>
#include <boost/regex.hpp>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "search/LineSearch.h"
#include "search/SearchExpression.h"

namespace quill {

/// A regular expression, or a case-blind find text with letters beyond ASCII (quoted), matched on
/// each line's shown bytes; only the lines holding the expression's fixed part are tried.
class ExpressionSearch : public LineSearch {
public:
    ExpressionSearch(Document& doc, SearchOptions& options);
    ~ExpressionSearch() override;

    /// The find text as a regular expression, compiled with the case rule; a bad one is reported
    /// ("Expression error: %s" and the like) and gives none.
    const SearchExpression* Expression();
    /// The text changed where the last empty match stood (a line was removed there): a match at
    /// the same place is a new one.
    void ForgetEmptyHit() { emptyHitLine_ = -1; }

private:
    void ScanForward() override;
    void ScanBackward() override;
    /// The library's search, which throws when an expression is too complex to match: that is
    /// told once and ends the search as failed.
    bool Search(const std::string& subject, std::size_t start, boost::smatch& found, const SearchExpression& expression,
                boost::match_flag_type flags);
    /// The lines the expression can match in must hold this; none when nothing is known.
    const LiteralScanner* Prefilter(const SearchExpression& expression);
    /// The subject of a regular-expression search: shown bytes from..to, up to the first NUL.
    std::string Subject(LineView line, std::int64_t from, std::int64_t to) const;
    /// The match of the expression in line i (from the cursor on the cursor's line): its columns.
    std::optional<Span> RegexInLine(const SearchExpression& expression, LineIndex i);

    std::optional<SearchExpression> expression_;
    std::string expressionText_;
    bool expressionMatchCase_ = false;
    bool expressionCrLf_ = false;
    bool expressionRegex_ = false;
    bool expressionUtf8_ = false;
    std::unique_ptr<LiteralScanner> prefilter_;
    bool prefilterKnown_ = false;
    std::array<std::uint8_t, 256> prefilterTable_{};
};

}  // namespace quill
