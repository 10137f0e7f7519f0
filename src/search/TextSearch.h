// The search engine: it finds and never moves the cursor.
#pragma once

#include <cstdint>
#include <optional>

#include "search/ExpressionSearch.h"
#include "search/LineSearch.h"
#include "search/PlainSearch.h"

namespace quill {

/// Searches the lines of the text, plain or by expression as the query says: positions are
/// (line, display column) like the cursor's, and a hit is returned, never selected.
class TextSearch {
public:
    TextSearch(Document& doc, const SearchQuery& query);

    /// The first hit from a cursor towards the end; none when there is none, when Escape stopped
    /// the search or the expression failed (StoppedByUser, Failed tell which).
    std::optional<SearchMatch> Forward(const TextSelection& from) { return Unit().Forward(from); }
    /// The nearest hit before a cursor (or before the start of the selection ending there).
    std::optional<SearchMatch> Backward(const TextSelection& from) { return Unit().Backward(from); }
    /// Counts the hits from a place to the end as repeated forward searches would, at once: for a
    /// literal compared byte for byte, or an expression the automaton takes, without a field; none
    /// when that does not apply (the caller then counts by searching).
    std::optional<std::int64_t> Count(const TextPosition& from);
    /// The lines with a hit from a place on, at once under the same conditions as Count; none when
    /// they do not apply (the caller then searches hit by hit).
    std::optional<std::vector<LineIndex>> MatchingLines(const TextPosition& from);
    /// The find text as a regular expression, compiled with the case rule; a bad one is reported
    /// ("Expression error: %s" and the like) and gives none.
    const SearchExpression* Expression();
    /// Searches from now on stop before line `end`, without a progress window (-1: to the end).
    void Confine(LineIndex end)
    {
        plain_.Confine(end);
        expression_.Confine(end);
    }
    /// Whether the last search ended because the user pressed Escape.
    bool StoppedByUser() const { return last_->StoppedByUser(); }
    /// Whether the last search failed on its expression (a bad one, or one too complex to match):
    /// the user was told, and whatever runs searches must stop and take back what it did.
    bool Failed() const { return last_->Failed(); }
    /// The text changed where the last empty match stood: a match at the same place is a new one.
    void ForgetEmptyHit() { expression_.ForgetEmptyHit(); }
    /// A cursor at (line, column) stands for this byte of the line while the line stays as it is.
    void ResumeAt(LineIndex line, Column column, std::uint32_t byte)
    {
        plain_.ResumeAt(line, column, byte);
        expression_.ResumeAt(line, column, byte);
    }

    /// The display column of byte i of a line, and the first byte at or after a column.
    std::int64_t ColumnOfIndex(LineView line, std::uint32_t index) const { return plain_.ColumnOfIndex(line, index); }
    std::uint32_t IndexAtColumn(LineView line, std::int64_t column) const { return plain_.IndexAtColumn(line, column); }
    /// The length of a line without its trailing terminator bytes (LF; CR too in a CR LF text).
    std::uint32_t ContentEnd(LineView line) const { return plain_.ContentEnd(line); }

private:
    /// Whether the find text is searched as an expression: a regular expression, or a text with
    /// letters beyond ASCII in a case-blind search of a UTF-8 text (the byte compare cannot fold them).
    bool ByExpression() const;
    /// The search the query asks for, which then answers StoppedByUser and Failed.
    LineSearch& Unit();

    Document& doc_;
    const SearchQuery& query_;
    PlainSearch plain_;
    ExpressionSearch expression_;
    LineSearch* last_ = &plain_;
};

}  // namespace quill
