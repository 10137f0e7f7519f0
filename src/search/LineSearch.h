// What the plain and the expression search share, and the interface both give the engine.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "platform/UserPorts.h"
#include "search/LiteralScanner.h"
#include "search/MemoryRun.h"
#include "search/SearchQuery.h"
#include "text/LineView.h"
#include "text/TextSelection.h"
#include "text/TextTypes.h"

namespace quill {

/// A hit of a search on one line: the display columns of its first byte and after its last, and
/// the bytes themselves. The columns show it (they may take in a combining mark after it); the
/// bytes are what matched, what Replace changes and where the next search goes on.
struct SearchMatch {
    LineIndex line;
    Column from;
    Column to;
    std::uint32_t fromByte = 0;
    std::uint32_t toByte = 0;
};

/// One way of searching the lines of the text from a cursor. A search never spans lines. The
/// plain search and the expression search implement the scans; this class holds what both need.
class LineSearch {
public:
    LineSearch(Document& doc, const SearchQuery& query);
    virtual ~LineSearch();
    LineSearch(const LineSearch&) = delete;
    LineSearch& operator=(const LineSearch&) = delete;

    /// The first hit from a cursor towards the end; none when there is none, when Escape stopped
    /// the search or the expression failed (StoppedByUser, Failed tell which).
    std::optional<SearchMatch> Forward(const TextSelection& from);
    /// The nearest hit before a cursor (or before the start of the selection ending there).
    std::optional<SearchMatch> Backward(const TextSelection& from);
    bool StoppedByUser() const { return stopped_; }
    bool Failed() const { return failed_; }
    /// Searches from now on stop before line `end` and show no progress window (-1: they go to
    /// the text's end, with the window): the filter pane searches the text a part at a time.
    void Confine(LineIndex end) { end_ = end; }
    /// The next search from a cursor at (line, column) goes on at this byte of the line, as long as
    /// the line is not changed (a Replace put the cursor after its replacement there).
    void ResumeAt(LineIndex line, Column column, std::uint32_t byte);

    /// The display column of byte i of a line, and the first byte at or after a column.
    std::int64_t ColumnOfIndex(LineView line, std::uint32_t index) const;
    std::uint32_t IndexAtColumn(LineView line, std::int64_t column) const;
    /// The length of a line without its trailing terminator bytes (LF; CR too in a CR LF text).
    std::uint32_t ContentEnd(LineView line) const;

protected:
    /// Columns beyond this one are not searched (the plain search's limit).
    static constexpr std::int64_t kNoEnd = 100000;
    /// A search shows progress once it has passed this many lines.
    static constexpr LineIndex kProgressLines = 10000;

    // The scans: from from_, each leaves its hit in match_ (through Hit).
    virtual void ScanForward() = 0;
    virtual void ScanBackward() = 0;

    void Begin(const TextSelection& from);
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
    /// The same over the lines [first, end) with a memory run of the caller's, without the
    /// document (a helper thread may scan one part of the text while this one scans another):
    /// after each run afterRun(next line) says whether to stop. True when stopped.
    template <typename Visit, typename AfterRun>
    static bool ScanRange(const TextStore& store, MemoryRun& run, LineIndex first, LineIndex end,
                          const LiteralScanner& wanted, bool columnLimit, const DisplayRules& rules, Visit&& visit,
                          AfterRun&& afterRun);
    /// ScanRuns over the lines [first, text end), shared with a second thread when there are
    /// kParallelLines of them: this thread scans the first half with makeVisit(0), the helper the
    /// second with makeVisit(1). When this thread stops (a hit that ends the search, Escape) the
    /// helper stops too; otherwise it is waited for. Each part's visits see its own lines in order.
    template <typename MakeVisit>
    void ScanShared(LineIndex first, const LiteralScanner& wanted, bool& shown, MakeVisit&& makeVisit);
    /// The lines [first, text end) in two parts when there are kParallelLines of them:
    /// scanPart(part, run, from, end, afterRun) scans [from, end) with a memory run of its thread
    /// and says whether it stopped; this thread takes part 0 (its afterRun steps the progress),
    /// a helper part 1 (its afterRun says stop once part 0 stopped). One part when the text is short.
    template <typename ScanPart> void ShareLines(LineIndex first, bool& shown, ScanPart&& scanPart);
    /// From this many lines on, a scan shares the text with a second thread.
    static constexpr LineIndex kParallelLines = 100000;
    /// Count and the lines with a hit, from the walk of a search over the lines in two parts:
    /// walk(most, take) calls take(part, line, hits) for the cursor's line and the lines after it
    /// (their hits up to `most`) and says whether it applies; none when it does not. The lines
    /// of part 1 are kept only when the walk went through: after Escape the lines found are those
    /// before where this thread stopped.
    template <typename Walk> std::optional<std::int64_t> CountBy(const TextPosition& from, Walk&& walk);
    template <typename Walk> std::optional<std::vector<LineIndex>> LinesBy(const TextPosition& from, Walk&& walk);
    /// Progress at the end of a run: shown once the search has passed kProgressLines lines from
    /// the cursor; true when Escape stopped the search.
    bool StepProgress(LineIndex next, bool& shown);
    /// Shows the progress window at a line (once) and steps it; true when Escape stopped.
    bool ShowProgress(LineIndex line, bool& shown);
    struct Span {
        std::int64_t from;  ///< first column (plain) or byte (regular expression)
        std::int64_t to;    ///< exclusive
    };
    /// Whether the search is held to a field of the active structure.
    bool InField() const;
    /// The field restriction of a line: none when the line is skipped (another record type).
    std::optional<Span> Restrict(LineIndex line, bool bytes, std::int64_t whole);
    /// Steps the progress window of a long search; true when Escape asked to stop.
    bool Progress(LineIndex line, LineIndex passed, bool& shown);
    /// A hit of bytes [fromByte, toByte) of a line: its columns are worked out here.
    void Hit(LineIndex line, std::uint32_t fromByte, std::uint32_t toByte);
    /// Where a forward search starts on the cursor's line: the byte after the last hit (or a
    /// replacement) when the cursor still stands at its end, else the first byte at the cursor.
    std::uint32_t StartByte(LineView line) const;
    /// Where a backward search's hit must end on the cursor's line: the start of the hit selected
    /// now, or the cursor.
    std::uint32_t LimitByte(LineView line) const;
    /// The display table of every byte value: a kept scanner is valid while it stays.
    std::array<std::uint8_t, 256> DisplayTable() const;
    /// Whether the bytes before `end` lie below the column where searching stops. A byte's column
    /// is at most its index times the tab size: short lines need no columns.
    static bool BeforeColumnLimit(LineView line, std::uint32_t end, const DisplayRules& rules);

    /// Where the scans stop: the text's end, or the line a confined search stops before.
    LineIndex EndLine() const
    {
        const LineIndex count = doc_.Text().LineCount();
        return end_ < 0 ? count : std::min(end_, count);
    }

    Document& doc_;

    UserPorts ports_;  ///< taken from the document when made
    const SearchQuery& query_;
    LineIndex end_ = -1;
    TextSelection from_;  ///< where the running search started
    std::optional<SearchMatch> match_;
    bool stopped_ = false;
    bool failed_ = false;
    MemoryRun run_;
    /// Where the last hit was an empty match: the next search must not find it again.
    LineIndex emptyHitLine_ = -1;
    Column emptyHitColumn_ = -1;
    /// The last hit, or the place a Replace left the cursor, with the bytes it stood for and the
    /// line's bytes then: a cursor at its columns stands for those bytes while the line is as it was.
    struct Resume {
        LineIndex line = -1;
        Column from = -1;
        Column to = -1;
        std::uint32_t fromByte = 0;
        std::uint32_t toByte = 0;
        const char* bytes = nullptr;
        std::uint32_t length = 0;
    };
    Resume resume_;
    bool Resumes(LineView line) const;
};

template <typename Visit, typename AfterRun>
bool LineSearch::ScanRange(const TextStore& store, MemoryRun& run, LineIndex first, LineIndex end,
                           const LiteralScanner& wanted, bool columnLimit, const DisplayRules& rules, Visit&& visit,
                           AfterRun&& afterRun)
{
    const auto size = static_cast<std::uint32_t>(wanted.Size());
    // Runs start small, since the next hit is often near, and grow to a few megabytes.
    std::ptrdiff_t runBytes = 512;
    for (LineIndex i = first; i < end; runBytes = std::min<std::ptrdiff_t>(runBytes * 2, 4 << 20)) {
        run.Collect(store, i, runBytes, end);
        for (const char* from = run.Start(); from && from < run.End();) {
            const char* at = wanted.Find(from, run.End());
            if (!at)
                break;
            // The line holding the hit; a hit across a line end is none.
            const LineIndex k = run.LineAt(at);
            const LineView line = run.Line();
            const auto index = static_cast<std::uint32_t>(at - line.Bytes());
            if (index + size > line.Length()) {
                from = at + 1;
                continue;
            }
            // Beyond the compared columns: on with the next line.
            const Verdict verdict =
                !columnLimit || BeforeColumnLimit(line, index + size, rules) ? visit(k, index) : Verdict::NextLine;
            if (verdict == Verdict::Stop)
                return true;
            from = verdict == Verdict::AfterHit ? at + size : line.Bytes() + line.Length();
        }
        i = run.Next();
        if (afterRun(i))
            return true;
    }
    return false;
}

template <typename ScanPart> void LineSearch::ShareLines(LineIndex first, bool& shown, ScanPart&& scanPart)
{
    const LineIndex count = EndLine();
    // A hit never spans lines: two halves of the lines scanned apart give what one scan gives.
    LineIndex middle = count;
    std::atomic<bool> stop{false};
    std::thread helper;
    if (count - first >= kParallelLines) {
        middle = first + (count - first) / 2;
        try {
            helper = std::thread([&, middle] {
                MemoryRun run;
                scanPart(1, run, middle, count, [&stop](LineIndex) { return stop.load(std::memory_order_relaxed); });
            });
        } catch (const std::system_error&) {
            middle = count;  // no thread to be had: this one scans it all
        }
    }
    const bool stopped = scanPart(0, run_, first, middle, [&](LineIndex next) {
        // The bar shows this thread's half as the whole way.
        const LineIndex shownAt = first + (next - first) * (count - first) / std::max<LineIndex>(1, middle - first);
        return StepProgress(shownAt, shown);
    });
    stop = stopped;
    if (helper.joinable())
        helper.join();
}

template <typename MakeVisit>
void LineSearch::ScanShared(LineIndex first, const LiteralScanner& wanted, bool& shown, MakeVisit&& makeVisit)
{
    const TextStore& store = doc_.Text();
    const DisplayRules rules = doc_.Rules();
    ShareLines(first, shown, [&](int part, MemoryRun& run, LineIndex from, LineIndex end, auto&& afterRun) {
        return ScanRange(store, run, from, end, wanted, true, rules, makeVisit(part), afterRun);
    });
}

template <typename Walk> std::optional<std::int64_t> LineSearch::CountBy(const TextPosition& from, Walk&& walk)
{
    Begin(TextSelection{from});
    std::array<std::int64_t, 2> parts{};
    if (!walk(std::numeric_limits<std::int64_t>::max(),
              [&parts](int part, LineIndex, std::int64_t hits) { parts[static_cast<std::size_t>(part)] += hits; }))
        return std::nullopt;
    return failed_ ? 0 : parts[0] + parts[1];
}

template <typename Walk>
std::optional<std::vector<LineIndex>> LineSearch::LinesBy(const TextPosition& from, Walk&& walk)
{
    Begin(TextSelection{from});
    std::array<std::vector<LineIndex>, 2> parts;
    if (!walk(1, [&parts](int part, LineIndex line, std::int64_t hits) {
            if (hits > 0)
                parts[static_cast<std::size_t>(part)].push_back(line);
        }))
        return std::nullopt;
    if (!stopped_ && !failed_)
        parts[0].insert(parts[0].end(), parts[1].begin(), parts[1].end());
    return std::move(parts[0]);
}

template <typename Visit>
void LineSearch::ScanRuns(LineIndex first, const LiteralScanner& wanted, bool& shown, bool columnLimit, Visit&& visit)
{
    const TextStore& store = doc_.Text();
    ScanRange(store, run_, first, EndLine(), wanted, columnLimit, doc_.Rules(), visit,
              [&](LineIndex next) { return StepProgress(next, shown); });
}

}  // namespace quill
