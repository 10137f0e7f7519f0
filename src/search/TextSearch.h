// Searching the lines of the text, plain or by regular expression, in both directions.
#pragma once

#include <array>
#include <boost/regex.hpp>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search/MemoryRun.h"
#include "search/SearchExpression.h"
#include "search/SearchOptions.h"
#include "text/LineView.h"
#include "text/TextSelection.h"
#include "text/TextTypes.h"

namespace quill {

class Document;
class LiteralScanner;

/// A hit of a search on one line: the display columns of its first byte and after its last.
struct SearchMatch {
    LineIndex line;
    Column from;
    Column to;
};

/// The search engine: it finds and never moves the cursor. A search never spans lines; positions
/// are (line, display column) like the cursor's. Bytes are compared as shown (through the
/// conversion table), folded to upper case without match case. Plain text is compared byte by
/// byte (lines far from the start scanned in runs as they lie in memory); a regular expression,
/// or a case-blind text with letters beyond ASCII, is matched by SearchExpression on the lines
/// its fixed part picks.
class TextSearch {
public:
    TextSearch(Document& doc, SearchOptions& options);
    ~TextSearch();

    /// The first hit from a cursor towards the end; none when there is none, when Escape stopped
    /// the search or the expression failed (StoppedByUser, Failed tell which).
    std::optional<SearchMatch> Forward(const TextSelection& from);
    /// The nearest hit before a cursor (or before the start of the selection ending there).
    std::optional<SearchMatch> Backward(const TextSelection& from);
    /// Counts the hits from a place to the end as repeated forward searches would, for a literal
    /// compared byte for byte (match case, no table, no field); none when that does not apply.
    std::optional<std::int64_t> CountLiteral(const TextPosition& from);
    /// The find text as a regular expression, compiled with the case rule; a bad one is reported
    /// ("Expression error: %s" and the like) and gives none.
    const SearchExpression* Expression();
    /// Whether the last search ended because the user pressed Escape.
    bool StoppedByUser() const { return stopped_; }
    /// Whether the last search failed on its expression (a bad one, or one too complex to match):
    /// the user was told, and whatever runs searches must stop and take back what it did.
    bool Failed() const { return failed_; }
    /// The text changed where the last empty match stood (a line was removed there): a match at
    /// the same place is a new one.
    void ForgetEmptyHit() { emptyHitLine_ = -1; }
    /// The display column of byte i of a line, and the first byte at or after a column.
    std::int64_t ColumnOfIndex(LineView line, std::uint32_t index) const;
    std::uint32_t IndexAtColumn(LineView line, std::int64_t column) const;
    /// The length of a line without its trailing terminator bytes (LF; CR too in a CR LF text).
    std::uint32_t ContentEnd(LineView line) const;

private:
    /// Runs a scan from a cursor and gives what it found.
    template <typename Scan> std::optional<SearchMatch> Run(const TextSelection& from, Scan&& scan);
    struct LineHit {
        LineIndex line;
        std::uint32_t index;  ///< the first byte of the hit
    };
    /// What a scan does after a hit: stops, goes on after it, or goes on with the next line.
    enum class Verdict { Stop, AfterHit, NextLine };
    /// Shows visit(line, first byte) every hit of a literal from a line on, found in runs of lines
    /// that lie one after another in memory, until it says stop, the text ends or Escape stops it.
    /// columnLimit: hits beyond the plain search's column limit are passed over; an expression's
    /// fixed part only picks lines, which the expression then judges by its own limit.
    template <typename Visit>
    void ScanRuns(LineIndex first, const LiteralScanner& wanted, bool& shown, bool columnLimit, Visit&& visit);
    struct Span {
        std::int64_t from;  ///< first column (plain) or byte (regular expression)
        std::int64_t to;    ///< exclusive
    };
    /// Whether the search is held to a field of the active structure.
    bool InField() const;
    /// The field restriction of a line: none when the line is skipped (another record type).
    std::optional<Span> Restrict(LineIndex line, bool bytes, std::int64_t whole);
    std::uint8_t Compared(std::uint8_t stored) const;
    /// A shown byte, or the find text, as compared: folded to upper case without match case.
    std::uint8_t Folded(std::uint8_t shown) const;
    std::string FoldedText(std::string text) const;
    /// Compared() for every byte value.
    std::array<std::uint8_t, 256> FoldTable() const;
    // The scans: each leaves its hit in match_.
    void PlainForward();
    void PlainBackward();
    void RegexForward();
    void RegexBackward();
    /// The subject of a regular-expression search: shown bytes from..to, up to the first NUL.
    std::string Subject(LineView line, std::int64_t from, std::int64_t to) const;
    void Hit(LineIndex line, std::int64_t fromColumn, std::int64_t toColumn);
    /// Steps the progress window of a long search; true when Escape asked to stop.
    bool Progress(LineIndex line, LineIndex passed, bool& shown);

    Document& doc_;
    SearchOptions& options_;
    /// Where the running search started, and what it found.
    TextSelection from_;
    std::optional<SearchMatch> match_;
    /// The library's search, which throws when an expression is too complex to match: that is
    /// told once and ends the search as failed.
    bool Search(const std::string& subject, std::size_t start, boost::smatch& found, const SearchExpression& expression,
                boost::match_flag_type flags);
    bool stopped_ = false;
    bool failed_ = false;
    MemoryRun run_;
    /// The scanner of a literal, kept while the literal and the comparison table stay.
    const LiteralScanner& ScannerFor(const std::string& wanted, const std::array<std::uint8_t, 256>& fold);
    /// The lines the expression can match in must hold this; none when nothing is known.
    const LiteralScanner* Prefilter(const SearchExpression& expression);
    /// The display table of every byte value: a kept scanner is valid while it stays.
    std::array<std::uint8_t, 256> DisplayTable() const;
    /// The match of the expression in line i (from the cursor on the cursor's line): its columns.
    std::optional<Span> RegexInLine(const SearchExpression& expression, LineIndex i);
    /// Whether the find text is searched as an expression: a regular expression, or a text with
    /// letters beyond ASCII in a case-blind search of a UTF-8 text (the byte compare cannot fold them).
    bool ByExpression() const;

    std::optional<SearchExpression> expression_;
    std::string expressionText_;
    bool expressionMatchCase_ = false;
    bool expressionCrLf_ = false;
    bool expressionRegex_ = false;
    bool expressionUtf8_ = false;
    std::unique_ptr<LiteralScanner> scanner_;
    std::string scannerText_;
    std::array<std::uint8_t, 256> scannerFold_{};
    std::unique_ptr<LiteralScanner> prefilter_;
    bool prefilterKnown_ = false;
    std::array<std::uint8_t, 256> prefilterTable_{};
    /// Where the last hit was an empty match: the next search must not find it again.
    LineIndex emptyHitLine_ = -1;
    Column emptyHitColumn_ = -1;
};

}  // namespace quill
