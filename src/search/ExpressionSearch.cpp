// The expression search: a regular expression (or a case-blind text with letters beyond ASCII)
// matched line by line, on the lines its fixed part picks.
#include "search/ExpressionSearch.h"

#include <algorithm>
#include <boost/regex.hpp>
#include <cstring>
#include <limits>

#include "common/Utf8.h"
#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "search/LineExpression.h"
#include "search/LiteralScanner.h"
#include "search/RequiredLiteral.h"

namespace quill {

ExpressionSearch::ExpressionSearch(Document& doc, const SearchQuery& query) : LineSearch(doc, query) {}

ExpressionSearch::~ExpressionSearch() = default;

const SearchExpression* ExpressionSearch::Expression()
{
    // Compiled once for as long as the find text and the case rule stay: Count, Replace All and
    // the filters search thousands of times with the same expression.
    const bool crlf = doc_.Text().Terminator() == TerminatorKind::CRLF;
    const bool utf8 = doc_.Utf8Text();
    if (expression_ && expressionText_ == query_.text && expressionMatchCase_ == query_.matchCase &&
        expressionCrLf_ == crlf && expressionRegex_ == query_.regex && expressionUtf8_ == utf8)
        return &*expression_;
    expression_.reset();
    Prompter& prompter = ports_.prompter;
    failed_ = true;  // until the expression is compiled
    try {
        const std::string pattern = query_.regex ? query_.text : QuotedLiteral(query_.text);
        expression_.emplace(WithPerlLineEnd(pattern, crlf), query_.matchCase, utf8);
        prefilterKnown_ = false;
        expressionText_ = query_.text;
        expressionMatchCase_ = query_.matchCase;
        expressionCrLf_ = crlf;
        expressionRegex_ = query_.regex;
        expressionUtf8_ = utf8;
        failed_ = false;
        return &*expression_;
    } catch (const boost::regex_error& error) {
        prompter.Error(std::string("Expression error: ") + error.what());
    } catch (const std::exception& error) {
        prompter.Error(std::string("Unexpected expression error: ") + error.what());
    } catch (...) {
        prompter.Error("Unexpected expression error!");
    }
    return nullptr;
}

bool ExpressionSearch::Search(const std::string& subject, std::size_t start, boost::smatch& found,
                              const SearchExpression& expression, boost::match_flag_type flags)
{
    try {
        return expression.Search(subject.cbegin(), subject.cbegin() + static_cast<std::ptrdiff_t>(start),
                                 subject.cend(), found, flags);
    } catch (const std::exception& error) {
        ports_.prompter.Error(MatchErrorText(error));
        failed_ = true;
        return false;
    }
}

FinalDollar ExpressionSearch::DollarRule() const
{
    // The automaton reads runs of whole lines: its "$" stands where the expression's does when
    // every line but the last ends with its line end. A line cut at a wrap width or a form feed
    // ends without one, and a field ends where the line goes on. (Counting the file lines may read
    // the whole text once: only for an expression with a "$".)
    if (!query_.regex || query_.text.find('$') == std::string::npos)
        return FinalDollar::Dropped;
    const FileLineIndex& lines = doc_.FileLines();
    if (InField() || lines.LineEnd() != std::optional<std::uint8_t>('\n') ||
        lines.FileLineCount() != doc_.Text().LineCount())
        return FinalDollar::Dropped;
    return doc_.Text().Terminator() == TerminatorKind::CRLF ? FinalDollar::CrLf : FinalDollar::Lf;
}

const LiteralScanner* ExpressionSearch::Prefilter(const SearchExpression& expression)
{
    const auto table = DisplayTable();
    const FinalDollar dollar = DollarRule();
    if (prefilterKnown_ && table == prefilterTable_ && dollar == prefilterDollar_)
        return prefilter_.get();
    prefilterKnown_ = true;
    prefilterTable_ = table;
    prefilterDollar_ = dollar;
    prefilter_.reset();
    automatonScratch_.reset();
    automaton_.reset();
    bool identity = true;
    for (std::size_t b = 0; b < table.size(); ++b)
        identity = identity && table[b] == b;
    const std::string pattern = query_.regex ? expressionText_ : QuotedLiteral(expressionText_);
    if (identity)
        automaton_ = ExpressionPrefilter::Make(pattern, expressionMatchCase_, expression.OnCharacters(), dollar,
                                               expressionCrLf_);
    if (automaton_)
        automatonScratch_ = std::make_unique<ExpressionPrefilter::Scratch>(*automaton_);
    std::string literal = RequiredLiteral(pattern, expression.OnCharacters());
    if (expression.OnCharacters() && !expressionMatchCase_)
        literal = LongestAsciiRun(literal);  // other letters fold to other bytes
    if (literal.empty())
        return nullptr;
    // A stored byte can stand for a character of the fixed part when its shown byte matches it
    // the way the expression compares characters.
    const auto& traits = expression.Bytes().get_traits();
    std::vector<LiteralScanner::ByteSet> accepted(literal.size(), LiteralScanner::ByteSet{});
    for (std::size_t k = 0; k < literal.size(); ++k) {
        for (std::size_t b = 0; b < 256; ++b) {
            const char shown = static_cast<char>(table[b]);
            accepted[k][b] = expressionMatchCase_
                                 ? shown == literal[k]
                                 : traits.translate_nocase(shown) == traits.translate_nocase(literal[k]);
        }
    }
    prefilter_ = std::make_unique<LiteralScanner>(std::move(accepted));
    return prefilter_.get();
}

namespace {

template <typename Candidate> void Merge(Candidate& into, const Candidate& more)
{
    into.lastEnd = std::max(into.lastEnd, more.lastEnd);
    into.firstStart = std::min(into.firstStart, more.firstStart);
    into.firstEnd = std::min(into.firstEnd, more.firstEnd);
    into.startsBefore = into.startsBefore || more.startsBefore;
    into.sure = into.sure && more.sure;
}

}  // namespace

template <typename Visit, typename AfterRun>
bool ExpressionSearch::ScanCandidates(MemoryRun& run, ExpressionPrefilter::Scratch& scratch,
                                      std::vector<Candidate>& candidates, LineIndex first, LineIndex end, Visit&& visit,
                                      AfterRun&& afterRun) const
{
    const TextStore& store = doc_.Text();
    // Runs start small, since the next hit is often near, and grow to a few megabytes.
    std::ptrdiff_t runBytes = 512;
    for (LineIndex i = first; i < end; runBytes = std::min<std::ptrdiff_t>(runBytes * 2, 4 << 20)) {
        run.Collect(store, i, runBytes, end);
        candidates.clear();
        if (run.Start()) {
            // The line of each report, once; a report within the line taken last adds to it.
            const char* lineStart = nullptr;
            const char* lineEnd = nullptr;
            bool failed = false;
            automaton_->Scan(run.Start(), run.End(), scratch, failed, [&](const ExpressionPrefilter::Report& report) {
                const char* last = run.Start() + report.to - 1;
                if (last < lineStart || last >= lineEnd) {
                    candidates.push_back({run.LineHolding(last)});
                    const LineView line = run.Line();
                    lineStart = line.Bytes();
                    lineEnd = lineStart + line.Length();
                    // Without the starts of matches: a match may have begun on the line before
                    // when it may hold the byte before this line.
                    candidates.back().startsBefore = !automaton_->Starts() && lineStart > run.Start() &&
                                                     automaton_->MayHold(static_cast<unsigned char>(lineStart[-1]));
                }
                Candidate& candidate = candidates.back();
                if (report.kind != ExpressionPrefilter::Kind::Match)
                    candidate.sure = false;
                if (report.kind == ExpressionPrefilter::Kind::Unsure)
                    return false;
                candidate.lastEnd = std::max(candidate.lastEnd, static_cast<std::uint32_t>(last + 1 - lineStart));
                if (report.kind == ExpressionPrefilter::Kind::Match) {
                    candidate.firstEnd = std::min(candidate.firstEnd, static_cast<std::uint32_t>(last + 1 - lineStart));
                    const char* from = run.Start() + report.from;
                    if (!automaton_->Starts())
                        candidate.firstStart = 0;
                    else if (from < lineStart)
                        candidate.startsBefore = true;
                    else
                        candidate.firstStart =
                            std::min(candidate.firstStart, static_cast<std::uint32_t>(from - lineStart));
                }
                return false;
            });
            if (failed) {
                candidates.clear();
                for (LineIndex k = i; k < run.Next(); ++k)
                    candidates.push_back({k, std::numeric_limits<std::uint32_t>::max(), 0, 0, false, false});
            } else if (const auto byLine = [](const Candidate& a, const Candidate& b) { return a.line < b.line; };
                       !std::is_sorted(candidates.begin(), candidates.end(), byLine)) {
                // Reports out of order: one entry for each line, with all of its reports.
                std::stable_sort(candidates.begin(), candidates.end(), byLine);
                std::size_t kept = 0;
                for (std::size_t k = 0; k < candidates.size(); ++k) {
                    if (kept > 0 && candidates[kept - 1].line == candidates[k].line)
                        Merge(candidates[kept - 1], candidates[k]);
                    else
                        candidates[kept++] = candidates[k];
                }
                candidates.resize(kept);
            }
            for (const Candidate& candidate : candidates)
                if (candidate.lastEnd > 0 && visit(candidate))
                    return true;
        }
        i = run.Next();
        if (afterRun(i))
            return true;
    }
    return false;
}

// Counts the hits of one line as repeated forward searches find them: each search starts where
// the cursor stands after the hit before, at the byte of the hit's end column. One for each
// thread; the library's failure is kept, not told.
class ExpressionSearch::HitCounter {
public:
    HitCounter(const ExpressionSearch& search, const SearchExpression& expression)
        : search_(search),
          expression_(expression)
    {
    }

    /// The hits from byte `start` on, up to `most`; no match ends after byte lastEnd. ascii: the
    /// line is known to hold ASCII characters only, and no NUL.
    std::int64_t Hits(LineView line, std::uint32_t start, std::uint32_t lastEnd, std::int64_t most, bool ascii = false)
    {
        // The shown bytes are the stored ones (the automaton is only made then), up to a NUL.
        const auto end = static_cast<std::uint32_t>(std::min<std::int64_t>(kNoEnd, line.Length()));
        const char* nul = ascii ? nullptr : static_cast<const char*>(std::memchr(line.Bytes(), 0, end));
        subject_.assign(line.Bytes(), nul ? static_cast<std::size_t>(nul - line.Bytes()) : end);
        const bool cut = end < line.Length();
        const std::uint32_t contentEnd = search_.ContentEnd(line);
        std::int64_t hits = 0;
        try {
            // A match is never empty here: none can begin at or after the last end.
            while (start <= subject_.size() && start < lastEnd && hits < most) {
                const auto flags = LineMatchFlags(start == 0) |
                                   (start > 0 ? boost::match_prev_avail : boost::match_default) |
                                   (cut ? boost::match_not_eob : boost::match_default);
                if (!expression_.Search(subject_.cbegin(), subject_.cbegin() + start, subject_.cend(), found_, flags,
                                        ascii))
                    break;
                const auto position = start + static_cast<std::size_t>(found_.position());
                const auto length = static_cast<std::size_t>(found_.length());
                if (BeyondContent(static_cast<std::ptrdiff_t>(position), static_cast<std::ptrdiff_t>(length),
                                  contentEnd))
                    break;
                ++hits;
                // The next search goes on after the hit's last byte, as Find Next does.
                start = std::max(static_cast<std::uint32_t>(position + length), start + 1);
            }
        } catch (const std::exception& error) {
            if (!error_)
                error_ = MatchErrorText(error);
        }
        return hits;
    }

    const std::optional<std::string>& Error() const { return error_; }

private:
    const ExpressionSearch& search_;
    const SearchExpression& expression_;
    std::string subject_;
    boost::smatch found_;
    std::optional<std::string> error_;
};

bool ExpressionSearch::OneSureHit(const Candidate& candidate, LineView line) const
{
    // Every match of the expression in the line is one of the automaton's, so the first search
    // finds one within the content, ending at one of the ends reported, at or after the first.
    // The next search goes on from there (on an ASCII line every byte is a cursor place): a match
    // it found would end at least the shortest match's length later, beyond every end reported.
    return automaton_->Exact() && candidate.sure && !candidate.startsBefore &&
           candidate.lastEnd - candidate.firstEnd < automaton_->ShortestMatch() && line.Length() <= kNoEnd &&
           candidate.lastEnd <= ContentEnd(line);
}

template <typename Take> bool ExpressionSearch::LinesWithHits(const TextPosition& from, std::int64_t most, Take&& take)
{
    if (query_.text.empty() || InField())
        return false;
    const SearchExpression* expression = Expression();
    if (!expression)
        return false;
    Prefilter(*expression);
    if (!automaton_)
        return false;
    const TextStore& store = doc_.Text();
    HitCounter first(*this, *expression);
    if (from.line < EndLine()) {
        const LineView line = store.Line(from.line);
        take(0, from.line,
             first.Hits(line, IndexAtColumn(line, from.column), std::numeric_limits<std::uint32_t>::max(), most));
    }
    std::optional<std::string> helperError;
    bool shown = false;
    ShareLines(from.line + 1, shown, [&](int part, MemoryRun& run, LineIndex begin, LineIndex end, auto&& afterRun) {
        std::optional<ExpressionPrefilter::Scratch> ownScratch;
        std::vector<Candidate> ownCandidates;
        if (part != 0)
            ownScratch.emplace(*automaton_);
        HitCounter ownCounter(*this, *expression);
        HitCounter& counter = part == 0 ? first : ownCounter;
        const bool stopped = ScanCandidates(
            run, part == 0 ? *automatonScratch_ : *ownScratch, part == 0 ? candidates_ : ownCandidates, begin, end,
            [&](Candidate candidate) {
                const LineView line = store.Line(candidate.line);
                // On characters the automaton may be exact on lines of ASCII only.
                std::optional<bool> asciiLine;
                const auto ascii = [&] {
                    if (!asciiLine)
                        asciiLine = AsciiPrefix(line.Bytes(), line.Bytes() + line.Length()) == line.Length();
                    return *asciiLine;
                };
                if (candidate.sure && expression->OnCharacters() && automaton_->ExactLength() < 4 && !ascii())
                    candidate.sure = false;
                if (OneSureHit(candidate, line)) {
                    take(part, candidate.line, std::min<std::int64_t>(1, most));
                    return false;
                }
                // No match starts before the first the exact automaton found; it has found every NUL.
                const bool sure = automaton_->Exact() && candidate.sure;
                const bool startKnown = sure && !candidate.startsBefore;
                take(part, candidate.line,
                     counter.Hits(line, startKnown ? candidate.firstStart : 0, candidate.lastEnd, most,
                                  sure && (!expression->OnCharacters() || ascii())));
                return counter.Error().has_value();
            },
            afterRun);
        if (part != 0)
            helperError = ownCounter.Error();
        return stopped;
    });
    if (shown)
        ports_.progress.End();
    if (const auto& error = first.Error() ? first.Error() : helperError) {
        ports_.prompter.Error(*error);
        failed_ = true;
    }
    return true;
}

std::optional<std::int64_t> ExpressionSearch::Count(const TextPosition& from)
{
    return CountBy(from, [&](std::int64_t most, auto&& take) { return LinesWithHits(from, most, take); });
}

std::optional<std::vector<LineIndex>> ExpressionSearch::MatchingLines(const TextPosition& from)
{
    return LinesBy(from, [&](std::int64_t most, auto&& take) { return LinesWithHits(from, most, take); });
}

std::string ExpressionSearch::Subject(LineView line, std::int64_t from, std::int64_t to) const
{
    const std::int64_t begin = std::max<std::int64_t>(0, from);
    const std::int64_t end = std::min<std::int64_t>(to, line.Length());
    if (begin >= end)
        return {};
    std::string subject(line.Bytes() + begin, static_cast<std::size_t>(end - begin));
    const ConversionTable& charset = doc_.Charset();
    if (charset.IsActive())
        for (char& c : subject)
            c = static_cast<char>(charset.ToDisplay(static_cast<std::uint8_t>(c)));
    // The expression sees the line up to its first NUL.
    if (const std::size_t nul = subject.find('\0'); nul != std::string::npos)
        subject.resize(nul);
    return subject;
}

std::optional<ExpressionSearch::Span> ExpressionSearch::RegexInLine(const SearchExpression& expression, LineIndex i)
{
    const auto span = Restrict(i, true, kNoEnd);
    if (!span)
        return std::nullopt;
    const LineView line = doc_.Text().Line(i);
    // On the cursor's line from the cursor on, but never before the field. The expression sees the
    // bytes before the cursor (from the field's start on), so that "\b" and look-behinds judge the
    // cursor's place as it is; "^" matches only where the line or the field begins, "$" only where
    // it ends: a line cut at the search limit goes on.
    const std::int64_t base = span->from;
    const std::int64_t s = i == from_.cursor.line ? std::max<std::int64_t>(StartByte(line), base) : base;
    const std::string subject = Subject(line, base, span->to);
    const bool cut = !InField() && span->to < line.Length();
    auto start = static_cast<std::size_t>(s - base);
    // The empty match found last time, where the cursor still stands, would keep Find Next in
    // place: the search goes on one position further.
    const bool afterEmptyHit = i == emptyHitLine_ && from_.cursor.column == emptyHitColumn_ && i == from_.cursor.line;
    boost::smatch found;
    for (;;) {
        if (start > subject.size())
            return std::nullopt;
        const auto flags = LineMatchFlags(start == 0) | (start > 0 ? boost::match_prev_avail : boost::match_default) |
                           (cut ? boost::match_not_eob : boost::match_default);
        if (!Search(subject, start, found, expression, flags))
            return std::nullopt;
        if (!(afterEmptyHit && found.length() == 0 && base + static_cast<std::int64_t>(start) + found.position() == s))
            break;
        ++start;
    }
    const auto position = base + static_cast<std::int64_t>(start) + found.position();
    if (BeyondContent(position, found.length(), ContentEnd(line)))
        return std::nullopt;
    return Span{position, position + found.length()};
}

void ExpressionSearch::ScanForward()
{
    if (query_.text.empty())
        return;
    const SearchExpression* expression = Expression();
    if (!expression)
        return;
    const LiteralScanner* prefilter = Prefilter(*expression);
    bool shown = false;
    std::optional<Span> found;
    LineIndex foundLine = -1;
    for (LineIndex i = from_.cursor.line; i < EndLine() && !found; ++i) {
        if (automaton_ && i > from_.cursor.line) {
            // Only the lines where the automaton sees a possible match can match.
            ScanCandidates(
                run_, *automatonScratch_, candidates_, i, EndLine(),
                [&](const Candidate& candidate) {
                    found = RegexInLine(*expression, candidate.line);
                    foundLine = candidate.line;
                    return found || failed_;
                },
                [&](LineIndex next) { return StepProgress(next, shown); });
            break;
        }
        if (prefilter && i > from_.cursor.line) {
            // Only the lines holding the expression's fixed part can match.
            ScanRuns(i, *prefilter, shown, false, [&](LineIndex k, std::uint32_t) {
                found = RegexInLine(*expression, k);
                foundLine = k;
                return found || failed_ ? Verdict::Stop : Verdict::NextLine;
            });
            break;
        }
        if (Progress(i, i - from_.cursor.line, shown))
            break;
        found = RegexInLine(*expression, i);
        foundLine = i;
        if (failed_)
            break;
    }
    if (shown)
        ports_.progress.End();
    if (!failed_ && !stopped_ && found)
        Hit(foundLine, static_cast<std::uint32_t>(found->from), static_cast<std::uint32_t>(found->to));
}

void ExpressionSearch::ScanBackward()
{
    if (query_.text.empty())
        return;
    const SearchExpression* expression = Expression();
    if (!expression)
        return;
    const TextStore& store = doc_.Text();
    bool shown = false;
    for (LineIndex i = from_.cursor.line; i >= 0; --i) {
        if (Progress(i, from_.cursor.line - i, shown)) {
            ports_.progress.End();
            return;
        }
        const auto span = Restrict(i, true, std::numeric_limits<std::int64_t>::max());
        if (!span)
            continue;
        const LineView line = store.Line(i);
        const std::int64_t s = span->from;
        // A hit ends at the limit: on the cursor's line the cursor, or the start of the hit
        // selected now; elsewhere the end of the field or the line.
        const std::int64_t realEnd = InField() ? span->to : line.Length();
        std::int64_t limit = realEnd;
        if (i == from_.cursor.line) {
            limit = LimitByte(line);
            if (limit < s)
                continue;  // the cursor stands before the field
        }
        // "$" and "\z" match only where the line or the field really ends: a subject cut at the
        // cursor says that it goes on, and one that reaches the line's end keeps its terminator.
        const bool cut = limit < std::min<std::int64_t>(realEnd, ContentEnd(line));
        const std::string subject = Subject(line, s, cut ? limit : realEnd);
        boost::smatch found;
        if (!Search(subject, 0, found, *expression,
                    LineMatchFlags(true) | (cut ? boost::match_not_eob : boost::match_default))) {
            if (failed_)
                break;
            continue;
        }
        const std::int64_t position = s + found.position();
        const std::int64_t length = found.length();
        if (BeyondContent(position, length, ContentEnd(line)) || (position + length > limit && position >= limit))
            continue;
        // The empty match found last time, at the cursor itself, would keep Find Prev. in place.
        if (length == 0 && i == from_.cursor.line && position == limit && i == emptyHitLine_)
            continue;
        if (shown)
            ports_.progress.End();
        Hit(i, static_cast<std::uint32_t>(position), static_cast<std::uint32_t>(position + length));
        return;
    }
    if (shown)
        ports_.progress.End();
}

}  // namespace quill
