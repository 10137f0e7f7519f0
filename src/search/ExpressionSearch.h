// The expression search: a regular expression matched line by line.
#pragma once

#include <array>
#include <boost/regex.hpp>
#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search/ExpressionPrefilter.h"
#include "search/LineSearch.h"
#include "search/SearchExpression.h"

namespace quill {

/// A regular expression, or a case-blind find text with letters beyond ASCII (quoted), matched on
/// each line's shown bytes; only the lines holding the expression's fixed part are tried.
class ExpressionSearch : public LineSearch {
public:
    ExpressionSearch(Document& doc, const SearchQuery& query);
    ~ExpressionSearch() override;

    /// The find text as a regular expression, compiled with the case rule; a bad one is reported
    /// ("Expression error: %s" and the like) and gives none.
    const SearchExpression* Expression();
    /// Counts the hits from a place to the end as repeated forward searches would, on both cores,
    /// when the automaton picks the lines (so that no match is empty) and no field limits the
    /// search; none when that does not apply.
    std::optional<std::int64_t> Count(const TextPosition& from);
    /// The lines with a hit from a place on, found as Count finds them (see LineSearch::LinesBy
    /// for a search Escape stopped); none when that does not apply.
    std::optional<std::vector<LineIndex>> MatchingLines(const TextPosition& from);
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
    /// The lines the expression can match in must hold this; none when nothing is known. Sets
    /// automaton_ for the same expression and table too.
    const LiteralScanner* Prefilter(const SearchExpression& expression);
    /// How the automaton may read a final "$" in this text's lines.
    FinalDollar DollarRule() const;
    /// A line where the automaton found a possible match, and the byte after the last place a
    /// match may end there (0: the automaton only found bytes it is unsure of, no match).
    struct Candidate {
        LineIndex line;
        std::uint32_t lastEnd = 0;
        /// The earliest start of the matches found in the line, when the automaton tells starts.
        std::uint32_t firstStart = std::numeric_limits<std::uint32_t>::max();
        /// The byte after the first place a match ends (Match reports only), and whether a match
        /// began on a line before.
        std::uint32_t firstEnd = std::numeric_limits<std::uint32_t>::max();
        bool startsBefore = false;
        /// No byte the automaton may read otherwise than the expression (see ExpressionPrefilter).
        bool sure = true;
    };
    /// Whether the candidate has exactly one hit, known without the expression: an exact automaton
    /// found matches within the line's content, in a line it is sure of, all ending too close
    /// together for a second hit after the first.
    bool OneSureHit(const Candidate& candidate, LineView line) const;
    /// Shows visit(candidate) the lines of [first, end) where the automaton finds a possible
    /// match, in order, until it says stop; after each run afterRun(next line) says whether to
    /// stop. True when stopped. Uses the run, scratch and candidate list of the calling thread only.
    template <typename Visit, typename AfterRun>
    bool ScanCandidates(MemoryRun& run, ExpressionPrefilter::Scratch& scratch, std::vector<Candidate>& candidates,
                        LineIndex first, LineIndex end, Visit&& visit, AfterRun&& afterRun) const;
    class HitCounter;
    /// Count's walk: take(part, line, hits) for the cursor's line (from the cursor, part 0) and
    /// every line after it the automaton picks, with its hits up to `most`, each part on its own
    /// thread in line order. False when the walk does not apply (no automaton, a field).
    template <typename Take> bool LinesWithHits(const TextPosition& from, std::int64_t most, Take&& take);
    /// The subject of a regular-expression search: shown bytes from..to, up to the first NUL.
    std::string Subject(LineView line, std::int64_t from, std::int64_t to) const;
    /// The match of the expression in line i (from the cursor on the cursor's line): its bytes.
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
    FinalDollar prefilterDollar_ = FinalDollar::Dropped;
    /// Picks the lines better than the fixed part can; none when it cannot take the expression or
    /// a conversion table shows the bytes as others.
    std::unique_ptr<ExpressionPrefilter> automaton_;
    std::unique_ptr<ExpressionPrefilter::Scratch> automatonScratch_;
    std::vector<Candidate> candidates_;
};

}  // namespace quill
