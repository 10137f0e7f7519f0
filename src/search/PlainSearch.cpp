// The plain search: the find text compared byte for byte as shown, folded without match case.
#include "search/PlainSearch.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "common/TextCase.h"
#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "search/LiteralScanner.h"
#include "text/CellColumns.h"

namespace quill {

PlainSearch::PlainSearch(Document& doc, const SearchQuery& query) : LineSearch(doc, query) {}

PlainSearch::~PlainSearch() = default;

std::uint8_t PlainSearch::Folded(std::uint8_t shown) const
{
    if (query_.matchCase)
        return shown;
    // Under a table the shown bytes are characters of code page 1252, folded as such. Text without
    // one is UTF-8, whose bytes above 127 are parts of characters: folding them one by one would
    // make a character match the start of another, so only ASCII letters are folded.
    if (!doc_.Utf8Text())
        return UpperCp1252(shown);
    return shown >= 'a' && shown <= 'z' ? static_cast<std::uint8_t>(shown - 'a' + 'A') : shown;
}

std::string PlainSearch::FoldedText(std::string text) const
{
    for (char& c : text)
        c = static_cast<char>(Folded(static_cast<std::uint8_t>(c)));
    return text;
}

std::uint8_t PlainSearch::Compared(std::uint8_t stored) const { return Folded(doc_.Charset().ToDisplay(stored)); }

const std::array<std::uint8_t, 256>& PlainSearch::FoldTable() const
{
    // Replace All and the line filters search once per hit: the table is made again only when
    // what it depends on changed.
    FoldKey key{query_.matchCase, doc_.Utf8Text(), doc_.Charset().IsActive(), doc_.Charset().DisplayEntries()};
    if (!foldKey_ || *foldKey_ != key) {
        foldIsIdentity_ = true;
        for (int b = 0; b < 256; ++b) {
            fold_[static_cast<std::size_t>(b)] = Compared(static_cast<std::uint8_t>(b));
            foldIsIdentity_ = foldIsIdentity_ && fold_[static_cast<std::size_t>(b)] == b;
        }
        foldKey_ = key;
    }
    return fold_;
}

const LiteralScanner& PlainSearch::ScannerFor(const std::string& wanted, const std::array<std::uint8_t, 256>& fold)
{
    // Replace All searches once per hit: the scanner is made once.
    if (!scanner_ || scannerText_ != wanted || scannerFold_ != fold) {
        scanner_ = std::make_unique<LiteralScanner>(LiteralScanner::Folded(wanted, fold));
        scannerText_ = wanted;
        scannerFold_ = fold;
    }
    return *scanner_;
}

void PlainSearch::ScanForward()
{
    const std::string& text = query_.text;
    if (text.empty())
        return;
    const std::string wanted = FoldedText(text);
    const auto& fold = FoldTable();
    // Without a table and with match case the bytes are compared as they are: a plain find.
    const bool identity = foldIsIdentity_;
    const TextStore& store = doc_.Text();
    const DisplayRules rules = doc_.Rules();
    const auto size = static_cast<std::uint32_t>(wanted.size());
    // Over whole lines the lines after the cursor's are scanned in runs as they lie in memory.
    const bool scanRuns = !InField();
    const LiteralScanner& scanner = ScannerFor(wanted, fold);
    bool shown = false;
    for (LineIndex i = from_.cursor.line; i < EndLine(); ++i) {
        if (scanRuns && i > from_.cursor.line) {
            const std::optional<LineHit> hit = FirstHitInRuns(i, scanner, shown);
            if (shown)
                ports_.progress.End();
            if (stopped_)
                return;
            if (!hit)
                return;
            Hit(hit->line, hit->index, hit->index + size);
            return;
        }
        if (Progress(i, i - from_.cursor.line, shown)) {
            ports_.progress.End();
            return;  // stopped by the user
        }
        const auto span = Restrict(i, false, kNoEnd);
        if (!span)
            continue;
        const LineView line = store.Line(i);
        const CellColumns columns(line, rules);
        // On the cursor's line from the cursor on, but never before the field. Bytes are compared
        // only inside the column range.
        std::uint32_t from = columns.IndexAt(span->from, line.Length());
        if (i == from_.cursor.line)
            from = std::max(from, StartByte(line));
        const std::uint32_t to = columns.IndexAt(span->to, line.Length());
        if (to < from + size)
            continue;
        std::uint32_t hit = to;
        if (identity) {
            const std::string_view bytes(line.Bytes() + from, to - from);
            const auto at = bytes.find(wanted);
            if (at != std::string_view::npos)
                hit = from + static_cast<std::uint32_t>(at);
        } else {
            for (std::uint32_t j = from; j + size <= to && hit == to; ++j) {
                std::uint32_t m = 0;
                while (m < size && fold[line.ByteAt(j + m)] == static_cast<std::uint8_t>(wanted[m]))
                    ++m;
                if (m == size)
                    hit = j;
            }
        }
        if (hit == to)
            continue;
        if (shown)
            ports_.progress.End();
        // The cursor goes after the last byte of the hit.
        Hit(i, hit, hit + size);
        return;
    }
    if (shown)
        ports_.progress.End();
}

template <typename Take> bool PlainSearch::LinesWithHits(const TextPosition& from, std::int64_t most, Take&& take)
{
    if (query_.text.empty() || InField())
        return false;
    const std::string wanted = FoldedText(query_.text);
    const LiteralScanner& scanner = ScannerFor(wanted, FoldTable());
    const TextStore& store = doc_.Text();
    const auto size = static_cast<std::uint32_t>(wanted.size());
    // The cursor's own line from the cursor on, as the searches take it.
    {
        const LineView line = store.Line(from.line);
        const CellColumns columns(line, doc_.Rules());
        const char* lineEnd = line.Bytes() + line.Length();
        std::int64_t hits = 0;
        for (const char* at = scanner.Find(line.Bytes() + columns.IndexAt(from.column, line.Length()), lineEnd);
             at && hits < most; at = scanner.Find(at + size, lineEnd)) {
            if (columns[static_cast<std::uint32_t>(at - line.Bytes()) + size - 1] >= kNoEnd)
                break;
            ++hits;
        }
        take(0, from.line, hits);
    }
    // The other lines in runs as they lie in memory; each search goes on after the last hit, or
    // with the next line once a line has `most`.
    bool shown = false;
    const Verdict after = most > 1 ? Verdict::AfterHit : Verdict::NextLine;
    ScanShared(from.line + 1, scanner, shown, [&take, after](int part) {
        return [&take, after, part](LineIndex line, std::uint32_t) {
            take(part, line, 1);
            return after;
        };
    });
    if (shown)
        ports_.progress.End();
    return true;
}

std::optional<std::int64_t> PlainSearch::CountLiteral(const TextPosition& from)
{
    return CountBy(from, [&](std::int64_t most, auto&& take) { return LinesWithHits(from, most, take); });
}

std::optional<std::vector<LineIndex>> PlainSearch::MatchingLines(const TextPosition& from)
{
    return LinesBy(from, [&](std::int64_t most, auto&& take) { return LinesWithHits(from, most, take); });
}

std::optional<LineSearch::LineHit> PlainSearch::FirstHitInRuns(LineIndex first, const LiteralScanner& scanner,
                                                               bool& shown)
{
    // The next hit is usually near: this thread alone looks for it first. Only a search that has
    // gone through kSerialBytes without one shares the rest of the text with a second thread.
    const TextStore& store = doc_.Text();
    const LineIndex count = EndLine();
    std::array<std::optional<LineHit>, 2> found;
    const auto firstHit = [&found](int part) {
        return [&found, part](LineIndex k, std::uint32_t index) {
            found[static_cast<std::size_t>(part)] = LineHit{k, index};
            return Verdict::Stop;
        };
    };
    std::ptrdiff_t scanned = 0;
    LineIndex next = first;
    bool farAway = false;
    ScanRange(store, run_, first, count, scanner, true, doc_.Rules(), firstHit(0), [&](LineIndex after) {
        scanned += run_.End() - run_.Start();
        next = after;
        if (StepProgress(after, shown))
            return true;
        farAway = scanned >= kSerialBytes && count - after >= kParallelLines;
        return farAway;
    });
    if (farAway && !found[0])
        ScanShared(next, scanner, shown, firstHit);
    return found[0] ? found[0] : found[1];
}

void PlainSearch::ScanBackward()
{
    const std::string& text = query_.text;
    if (text.empty())
        return;
    const std::string wanted = FoldedText(text);
    const auto& fold = FoldTable();
    const TextStore& store = doc_.Text();
    const DisplayRules rules = doc_.Rules();
    const auto size = static_cast<std::uint32_t>(wanted.size());
    bool shown = false;
    for (LineIndex i = from_.cursor.line; i >= 0; --i) {
        if (Progress(i, from_.cursor.line - i, shown)) {
            ports_.progress.End();
            return;
        }
        const auto span = Restrict(i, false, 999999);
        if (!span)
            continue;
        // A hit's bytes lie in the field's columns, as forward; on the cursor's line it must also end
        // at or before the cursor, or before the start of the hit selected now.
        const LineView line = store.Line(i);
        const std::uint32_t n = ContentEnd(line);
        const CellColumns columns(line, rules);
        const std::uint32_t limit = i == from_.cursor.line ? LimitByte(line) : n;
        // Ends are tried from the last byte towards the first; the first hit found is the nearest.
        for (std::uint32_t end = std::min(n, limit); end >= size && end > 0; --end) {
            const std::uint32_t first = end - size;
            if (columns[end - 1] >= span->to || columns[first] < span->from)
                continue;
            std::uint32_t m = 0;
            while (m < size && fold[line.ByteAt(first + m)] == static_cast<std::uint8_t>(wanted[m]))
                ++m;
            if (m < size)
                continue;
            if (shown)
                ports_.progress.End();
            Hit(i, first, end);
            return;
        }
    }
    if (shown)
        ports_.progress.End();
}

}  // namespace quill
