// Plain and regular-expression search.
#include "search/TextSearch.h"

#include <algorithm>
#include <array>
#include <boost/regex.hpp>
#include <cstring>
#include <limits>
#include <string_view>

#include "common/TextCase.h"
#include "document/CQVXDoc.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "structure/StructureDescription.h"
#include "view/ViewState.h"

namespace quill {

namespace {

constexpr std::int64_t kNoEnd = 100000;
constexpr LineIndex kProgressLines = 10000;

}  // namespace

const boost::regex* TextSearch::Expression()
{
    // Compiled once for as long as the find text and the case rule stay: Count, Replace All and
    // the filters search thousands of times with the same expression.
    if (expression_ && expressionText_ == options_.findText && expressionMatchCase_ == options_.matchCase)
        return &*expression_;
    expression_.reset();
    Prompter& prompter = doc_.Prompts();
    try {
        const boost::regex::flag_type flags =
            options_.matchCase ? boost::regex::perl : boost::regex::perl | boost::regex::icase;
        expression_.emplace(options_.findText, flags);
        expressionText_ = options_.findText;
        expressionMatchCase_ = options_.matchCase;
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

TextSearch::TextSearch(CQVXDoc& doc, ViewState& view, SearchOptions& options)
    : doc_(doc),
      view_(view),
      options_(options)
{
}

namespace {

// The display columns of a line's bytes, worked out once per line: identity without tabs.
class LineColumns {
public:
    LineColumns(LineView line, const DisplayRules& rules)
    {
        const std::uint32_t n = line.Length();
        identity_ = rules.ignoreFormatCodes || std::memchr(line.Bytes(), rules.tab, n) == nullptr;
        if (identity_)
            return;
        columns_.resize(n + 1);
        std::int64_t column = 0;
        for (std::uint32_t i = 0; i < n; ++i) {
            columns_[i] = column;
            column = line.ByteAt(i) == rules.tab ? NextTabStop(column, rules.tabSize) : column + 1;
        }
        columns_[n] = column;
        length_ = n;
    }
    /// The column where byte i starts (i up to the length: the column after the last byte).
    std::int64_t operator[](std::uint32_t i) const { return identity_ ? i : columns_[i]; }
    /// The first byte whose column is at or after a column, at most `limit`.
    std::uint32_t IndexAt(std::int64_t column, std::uint32_t limit) const
    {
        if (identity_)
            return static_cast<std::uint32_t>(std::clamp<std::int64_t>(column, 0, limit));
        const auto end = columns_.begin() + std::min(limit, length_);
        return static_cast<std::uint32_t>(std::lower_bound(columns_.begin(), end, column) - columns_.begin());
    }

private:
    bool identity_ = true;
    std::vector<std::int64_t> columns_;
    std::uint32_t length_ = 0;
};

}  // namespace

std::int64_t TextSearch::ColumnOfIndex(LineView line, std::uint32_t index) const
{
    const DisplayRules rules = doc_.Rules();
    if (rules.ignoreFormatCodes)
        return index;
    return line.IndexToColumn(std::min(index, line.Length()), rules.tabSize, rules.tab);
}

std::uint32_t TextSearch::IndexAtColumn(LineView line, std::int64_t column) const
{
    // The leading bytes whose start column is below the column.
    return LineColumns(line, doc_.Rules()).IndexAt(column, line.Length());
}

std::uint8_t TextSearch::Compared(std::uint8_t stored) const
{
    const std::uint8_t shown = doc_.Charset().ToDisplay(stored);
    return options_.matchCase ? shown : UpperCp1252(shown);
}

std::optional<TextSearch::Span> TextSearch::Restrict(LineIndex index, bool bytes, std::int64_t whole)
{
    FieldDef* field = options_.searchField;
    if (!field || !doc_.Structure().IsActive())
        return Span{0, whole};
    StructureDescription& structure = doc_.Structure();
    const LineView line = doc_.Text().Line(index);
    const DisplayRules rules = doc_.Rules();
    structure.SplitDelimited(line, rules);
    const FieldDef* typeField = structure.RecordTypeField();
    if (typeField && typeField != field && structure.RecordTypeOf(line, rules) != field->typeValue)
        return std::nullopt;  // a record of another type
    if (!bytes)
        return Span{field->offset, field->End()};
    // A delimited field is read by its bytes; a fixed one by its offset and length.
    const bool delimited = structure.FieldType() == StructureDescription::kDelimiter;
    const std::int64_t from = delimited ? field->byteOffset : field->offset;
    return Span{from, from + (delimited ? field->byteLength : field->length)};
}

bool TextSearch::Progress(LineIndex line, LineIndex passed, bool& shown)
{
    if (passed < kProgressLines || line % kProgressLines != 0)
        return false;
    if (!shown) {
        doc_.Progress().Begin(40);
        shown = true;
    }
    const LineIndex count = std::max<LineIndex>(1, doc_.Text().LineCount() - 1);
    stopped_ = doc_.Progress().Step(line * 40 / count);
    return stopped_;
}

void TextSearch::Hit(LineIndex line, std::int64_t anchorColumn, std::int64_t cursorColumn, bool show)
{
    const bool empty = anchorColumn == cursorColumn;
    emptyHitLine_ = empty ? line : -1;
    emptyHitColumn_ = empty ? static_cast<Column>(cursorColumn) : -1;
    doc_.anchorLine = line;
    doc_.anchorColumn = static_cast<Column>(anchorColumn);
    doc_.cursorLine = line;
    doc_.cursorColumn = doc_.preferredColumn = static_cast<Column>(cursorColumn);
    doc_.Text().SetCurrentLine(line);
    if (show && EnsureCursorVisible(doc_, view_, false))
        doc_.RedrawViews();
}

bool TextSearch::FindForward(bool show) { return options_.useRegEx ? RegexForward(show) : PlainForward(show); }

bool TextSearch::FindBackward()
{
    stopped_ = false;
    return options_.useRegEx ? RegexBackward() : PlainBackward();
}

std::array<std::uint8_t, 256> TextSearch::FoldTable() const
{
    std::array<std::uint8_t, 256> fold{};
    for (int b = 0; b < 256; ++b)
        fold[static_cast<std::size_t>(b)] = Compared(static_cast<std::uint8_t>(b));
    return fold;
}

bool TextSearch::PlainForward(bool show)
{
    const std::string& text = options_.findText;
    if (text.empty())
        return false;
    const std::string wanted = options_.matchCase ? text : UpperCp1252(text);
    const auto fold = FoldTable();
    // Without a table and with match case the bytes are compared as they are: a plain find.
    bool identity = true;
    for (int b = 0; b < 256 && identity; ++b)
        identity = fold[static_cast<std::size_t>(b)] == b;
    const TextStore& store = doc_.Text();
    const DisplayRules rules = doc_.Rules();
    const auto size = static_cast<std::uint32_t>(wanted.size());
    // A literal compared byte for byte over whole lines: the lines after the cursor's are scanned
    // in runs as they lie in memory.
    const bool scanRuns = identity && !(options_.searchField && doc_.Structure().IsActive());
    bool shown = false;
    for (LineIndex i = doc_.cursorLine; i < store.LineCount(); ++i) {
        if (scanRuns && i > doc_.cursorLine) {
            const auto hit = ScanRuns(i, wanted, shown);
            if (shown)
                doc_.Progress().End();
            if (stopped_)
                return true;
            if (!hit)
                return false;
            const LineView line = store.Line(hit->line);
            const LineColumns columns(line, rules);
            Hit(hit->line, columns[hit->index], columns[hit->index + size], show);
            return true;
        }
        if (Progress(i, i - doc_.cursorLine, shown)) {
            doc_.Progress().End();
            return true;  // stopped by the user
        }
        const auto span = Restrict(i, false, kNoEnd);
        if (!span)
            continue;
        const LineView line = store.Line(i);
        const LineColumns columns(line, rules);
        const std::int64_t start = i == doc_.cursorLine ? doc_.cursorColumn : span->from;
        // Bytes are compared only inside the column range.
        const std::uint32_t from = columns.IndexAt(start, line.Length());
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
            doc_.Progress().End();
        // The cursor goes after the last byte of the hit.
        Hit(i, columns[hit], columns[hit + size], show);
        return true;
    }
    if (shown)
        doc_.Progress().End();
    return false;
}

TextSearch::MemoryRun TextSearch::RunFrom(LineIndex first, std::ptrdiff_t maxBytes) const
{
    // Lines whose bytes follow each other in memory, as a load leaves them (empty lines add
    // nothing); an edited line has its bytes elsewhere and starts a run of its own.
    const TextStore& store = doc_.Text();
    MemoryRun run{nullptr, nullptr, first};
    for (; run.next < store.LineCount(); ++run.next) {
        const LineView line = store.Line(run.next);
        if (line.Length() == 0)
            continue;
        if (run.start && (line.Bytes() != run.end || run.end - run.start >= maxBytes))
            break;
        if (!run.start)
            run.start = line.Bytes();
        run.end = line.Bytes() + line.Length();
    }
    return run;
}

std::optional<std::int64_t> TextSearch::CountLiteral()
{
    stopped_ = false;
    if (options_.useRegEx || options_.findText.empty() || (options_.searchField && doc_.Structure().IsActive()))
        return std::nullopt;
    const std::string wanted = options_.matchCase ? options_.findText : UpperCp1252(options_.findText);
    const auto fold = FoldTable();
    bool identity = true;
    std::array<bool, 256> starts{};
    for (int b = 0; b < 256; ++b) {
        identity = identity && fold[static_cast<std::size_t>(b)] == b;
        starts[static_cast<std::size_t>(b)] = fold[static_cast<std::size_t>(b)] == static_cast<std::uint8_t>(wanted[0]);
    }
    // The next hit in a stretch of memory: memmem when bytes compare as they are, else a scan for
    // the bytes that can start a hit.
    const auto find = [&](const char* from, const char* end) -> const char* {
        if (end - from < static_cast<std::ptrdiff_t>(wanted.size()))
            return nullptr;
        if (identity)
            return static_cast<const char*>(
                ::memmem(from, static_cast<std::size_t>(end - from), wanted.data(), wanted.size()));
        for (const char* p = from; p + wanted.size() <= end; ++p) {
            if (!starts[static_cast<std::uint8_t>(*p)])
                continue;
            std::size_t k = 1;
            while (k < wanted.size() && fold[static_cast<std::uint8_t>(p[k])] == static_cast<std::uint8_t>(wanted[k]))
                ++k;
            if (k == wanted.size())
                return p;
        }
        return nullptr;
    };
    const TextStore& store = doc_.Text();
    const LineIndex count = store.LineCount();
    const DisplayRules rules = doc_.Rules();
    const auto size = static_cast<std::uint32_t>(wanted.size());
    std::int64_t hits = 0;
    // The cursor's own line from the cursor on, as the searches take it.
    const LineIndex keepLine = doc_.cursorLine;
    const Column keepColumn = doc_.cursorColumn, keepPreferred = doc_.preferredColumn;
    const LineIndex keepAnchorLine = doc_.anchorLine;
    const Column keepAnchor = doc_.anchorColumn;
    bool shown = false;
    {
        const LineView line = store.Line(keepLine);
        const LineColumns columns(line, rules);
        const char* lineEnd = line.Bytes() + line.Length();
        for (const char* at = find(line.Bytes() + columns.IndexAt(keepColumn, line.Length()), lineEnd); at;
             at = find(at + size, lineEnd)) {
            if (columns[static_cast<std::uint32_t>(at - line.Bytes()) + size - 1] >= kNoEnd)
                break;
            ++hits;
        }
    }
    // The other lines in runs as they lie in memory; a hit never spans two lines, and each
    // search goes on after the last hit.
    for (LineIndex i = keepLine + 1; i < count && !stopped_;) {
        const MemoryRun run = RunFrom(i, 4 << 20);
        const char* start = run.start;
        const char* end = run.end;
        const LineIndex j = run.next;
        LineIndex k = i;  // the line of the hits, moving on with them
        for (const char* from = start; start && from < end;) {
            const char* at = find(from, end);
            if (!at)
                break;
            while (store.Line(k).Length() == 0 || store.Line(k).Bytes() + store.Line(k).Length() <= at)
                ++k;
            const LineView line = store.Line(k);
            const auto index = static_cast<std::uint32_t>(at - line.Bytes());
            if (index + size > line.Length()) {
                from = at + 1;  // across a line end: no hit
                continue;
            }
            const bool memchrTab =
                rules.ignoreFormatCodes || std::memchr(line.Bytes(), rules.tab, line.Length()) == nullptr;
            if (!memchrTab && LineColumns(line, rules)[index + size - 1] >= kNoEnd) {
                from = line.Bytes() + line.Length();
                continue;
            }
            ++hits;
            from = at + size;
        }
        if (j - keepLine >= kProgressLines) {
            if (!shown) {
                doc_.Progress().Begin(40);
                shown = true;
            }
            stopped_ = doc_.Progress().Step(j * 40 / std::max<LineIndex>(1, count - 1));
        }
        i = j;
    }
    if (shown)
        doc_.Progress().End();
    doc_.cursorLine = keepLine;
    doc_.cursorColumn = keepColumn;
    doc_.preferredColumn = keepPreferred;
    doc_.anchorLine = keepAnchorLine;
    doc_.anchorColumn = keepAnchor;
    return hits;
}

std::optional<TextSearch::LineHit> TextSearch::ScanRuns(LineIndex first, const std::string& wanted, bool& shown)
{
    const TextStore& store = doc_.Text();
    const LineIndex count = store.LineCount();
    const DisplayRules rules = doc_.Rules();
    // Runs start small, since the next hit is often near, and grow to a few megabytes.
    std::ptrdiff_t runBytes = 4 << 10;
    for (LineIndex i = first; i < count; runBytes = std::min<std::ptrdiff_t>(runBytes * 2, 4 << 20)) {
        const MemoryRun run = RunFrom(i, runBytes);
        const char* start = run.start;
        const char* end = run.end;
        const LineIndex j = run.next;
        for (const char* from = start; start && from < end;) {
            const void* found = ::memmem(from, static_cast<std::size_t>(end - from), wanted.data(), wanted.size());
            if (!found)
                break;
            const char* at = static_cast<const char*>(found);
            // The line holding the hit; a hit across a line end is none.
            LineIndex k = i;
            while (store.Line(k).Length() == 0 || store.Line(k).Bytes() + store.Line(k).Length() <= at)
                ++k;
            const LineView line = store.Line(k);
            const auto index = static_cast<std::uint32_t>(at - line.Bytes());
            if (index + wanted.size() <= line.Length()) {
                const LineColumns columns(line, rules);
                if (columns[index + static_cast<std::uint32_t>(wanted.size()) - 1] < kNoEnd)
                    return LineHit{k, index};
                from = line.Bytes() + line.Length();  // beyond the compared columns: on with the next line
                continue;
            }
            from = at + 1;
        }
        // Progress as the line-by-line search shows it, at each run's end.
        if (j - doc_.cursorLine >= kProgressLines) {
            if (!shown) {
                doc_.Progress().Begin(40);
                shown = true;
            }
            stopped_ = doc_.Progress().Step(j * 40 / std::max<LineIndex>(1, count - 1));
            if (stopped_)
                return std::nullopt;
        }
        i = j;
    }
    return std::nullopt;
}

bool TextSearch::PlainBackward()
{
    const std::string& text = options_.findText;
    if (text.empty())
        return false;
    const std::string wanted = options_.matchCase ? text : UpperCp1252(text);
    const auto fold = FoldTable();
    const TextStore& store = doc_.Text();
    const DisplayRules rules = doc_.Rules();
    const bool crlf = store.Terminator() == TerminatorKind::CRLF;
    const auto size = static_cast<std::uint32_t>(wanted.size());
    bool shown = false;
    for (LineIndex i = doc_.cursorLine; i >= 0; --i) {
        if (Progress(i, doc_.cursorLine - i, shown)) {
            doc_.Progress().End();
            return true;
        }
        const auto span = Restrict(i, false, 999999);
        if (!span)
            continue;
        // A hit must end at or before the cursor, or before the start of the hit selected now.
        std::int64_t limit = options_.searchField ? span->to + 1 : 999999;
        if (i == doc_.cursorLine) {
            const bool selected =
                doc_.anchorColumn >= 0 && doc_.anchorLine == i && doc_.anchorColumn != doc_.cursorColumn;
            limit = (selected ? doc_.anchorColumn : doc_.cursorColumn) + 1;
        }
        const LineView line = store.Line(i);
        std::uint32_t n = line.Length();
        while (n > 0 && (line.ByteAt(n - 1) == rules.lf || (crlf && line.ByteAt(n - 1) == rules.cr)))
            --n;
        const LineColumns columns(line, rules);
        // Ends are tried from the last byte towards the first; the first hit found is the nearest.
        for (std::uint32_t end = n; end >= size && end > 0; --end) {
            const std::uint32_t first = end - size;
            if (columns[end] >= limit || columns[first + 1] < span->from + 1)
                continue;
            std::uint32_t m = 0;
            while (m < size && fold[line.ByteAt(first + m)] == static_cast<std::uint8_t>(wanted[m]))
                ++m;
            if (m < size)
                continue;
            if (shown)
                doc_.Progress().End();
            Hit(i, columns[first], columns[end], true);
            return true;
        }
    }
    if (shown)
        doc_.Progress().End();
    return false;
}

std::string TextSearch::Subject(LineView line, std::int64_t from, std::int64_t to) const
{
    std::string subject;
    const std::int64_t end = std::min<std::int64_t>(to, line.Length());
    for (std::int64_t k = std::max<std::int64_t>(0, from); k < end; ++k) {
        const std::uint8_t shown = doc_.Charset().ToDisplay(line.ByteAt(k));
        if (shown == 0)
            break;  // the expression sees the line up to its first NUL
        subject += static_cast<char>(shown);
    }
    return subject;
}

bool TextSearch::RegexForward(bool show)
{
    if (options_.findText.empty())
        return false;
    const boost::regex* expression = Expression();
    if (!expression)
        return false;
    const TextStore& store = doc_.Text();
    bool shown = false;
    for (LineIndex i = doc_.cursorLine; i < store.LineCount(); ++i) {
        if (Progress(i, i - doc_.cursorLine, shown)) {
            doc_.Progress().End();
            return true;
        }
        const auto span = Restrict(i, true, kNoEnd);
        if (!span)
            continue;
        const LineView line = store.Line(i);
        const std::int64_t s = i == doc_.cursorLine ? IndexAtColumn(line, doc_.cursorColumn) : span->from;
        const std::string subject = Subject(line, s, span->to);
        // The subject is one line, or the rest of one: "^" matches only where the line begins.
        const auto flags = boost::match_single_line | (s > 0 ? boost::match_not_bol : boost::match_default);
        boost::smatch found;
        bool matched = boost::regex_search(subject.cbegin(), subject.cend(), found, *expression, flags);
        std::int64_t offset = 0;
        // The empty match found last time, where the cursor still stands, would keep Find Next in
        // place: the search goes on one position further.
        if (matched && found.length() == 0 && found.position() == 0 && i == emptyHitLine_ &&
            doc_.cursorColumn == emptyHitColumn_ && i == doc_.cursorLine) {
            matched = !subject.empty() && boost::regex_search(subject.cbegin() + 1, subject.cend(), found, *expression,
                                                              flags | boost::match_prev_avail);
            offset = 1;
        }
        if (!matched)
            continue;
        if (shown)
            doc_.Progress().End();
        const auto position = offset + found.position();
        Hit(i, ColumnOfIndex(line, static_cast<std::uint32_t>(s + position)),
            ColumnOfIndex(line, static_cast<std::uint32_t>(s + position + found.length())), show);
        return true;
    }
    if (shown)
        doc_.Progress().End();
    return false;
}

bool TextSearch::RegexBackward()
{
    if (options_.findText.empty())
        return false;
    const boost::regex* expression = Expression();
    if (!expression)
        return false;
    const TextStore& store = doc_.Text();
    bool shown = false;
    for (LineIndex i = doc_.cursorLine; i >= 0; --i) {
        if (Progress(i, doc_.cursorLine - i, shown)) {
            doc_.Progress().End();
            return true;
        }
        const auto span = Restrict(i, true, std::numeric_limits<std::int64_t>::max());
        if (!span)
            continue;
        const LineView line = store.Line(i);
        std::int64_t end = span->to;
        if (i == doc_.cursorLine) {
            const bool selected =
                doc_.anchorColumn >= 0 && doc_.anchorLine == i && doc_.anchorColumn != doc_.cursorColumn;
            end = IndexAtColumn(line, selected ? doc_.anchorColumn : doc_.cursorColumn);
        }
        const std::int64_t s = span->from;
        const std::string subject = Subject(line, s, end);
        const auto flags = boost::match_single_line | (s > 0 ? boost::match_not_bol : boost::match_default);
        boost::smatch found;
        if (!boost::regex_search(subject.cbegin(), subject.cend(), found, *expression, flags))
            continue;
        // The empty match found last time, at the cursor itself, would keep Find Prev. in place.
        if (found.length() == 0 && i == doc_.cursorLine && s + found.position() == end && i == emptyHitLine_)
            continue;
        if (shown)
            doc_.Progress().End();
        const auto position = found.position();
        Hit(i, ColumnOfIndex(line, static_cast<std::uint32_t>(s + position)),
            ColumnOfIndex(line, static_cast<std::uint32_t>(s + position + found.length())), true);
        return true;
    }
    if (shown)
        doc_.Progress().End();
    return false;
}

bool TextSearch::FindNext() { return FindAround(true); }

bool TextSearch::FindPrevious() { return FindAround(false); }

bool TextSearch::FindAround(bool forward)
{
    if (options_.findText.empty())
        return false;
    while (!(forward ? FindForward(true) : FindBackward())) {
        const char* question = forward ? "End of file reached!\nContinue search at top of file?"
                                       : "Begin of file reached!\nContinue search at bottom of file?";
        if (doc_.Prompts().Ask(question, Buttons::OkCancel) != Answer::Ok)
            return false;
        // On from the other end of the text.
        doc_.ClearSelection();
        doc_.cursorLine = forward ? 0 : doc_.Text().LineCount() - 1;
        doc_.Text().SetCurrentLine(doc_.cursorLine);
        doc_.cursorColumn = doc_.preferredColumn =
            forward ? 0 : static_cast<Column>(doc_.DisplayWidth(doc_.cursorLine));
    }
    return true;
}

}  // namespace quill
