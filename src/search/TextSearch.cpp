// Plain and regular-expression search.
#include "search/TextSearch.h"

#include <algorithm>
#include <array>
#include <boost/regex.hpp>
#include <cstring>
#include <limits>
#include <string_view>

#include "common/TextCase.h"
#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "search/LineExpression.h"
#include "search/LiteralScanner.h"
#include "search/MemoryRun.h"
#include "search/RequiredLiteral.h"
#include "structure/StructureDescription.h"
#include "text/CellColumns.h"

namespace quill {

namespace {

constexpr std::int64_t kNoEnd = 100000;
constexpr LineIndex kProgressLines = 10000;

}  // namespace

bool TextSearch::ByExpression() const
{
    if (options_.useRegEx)
        return true;
    return !options_.matchCase && doc_.Utf8Text() &&
           std::any_of(options_.findText.begin(), options_.findText.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

const SearchExpression* TextSearch::Expression()
{
    // Compiled once for as long as the find text and the case rule stay: Count, Replace All and
    // the filters search thousands of times with the same expression.
    const bool crlf = doc_.Text().Terminator() == TerminatorKind::CRLF;
    const bool utf8 = doc_.Utf8Text();
    if (expression_ && expressionText_ == options_.findText && expressionMatchCase_ == options_.matchCase &&
        expressionCrLf_ == crlf && expressionRegex_ == options_.useRegEx && expressionUtf8_ == utf8)
        return &*expression_;
    expression_.reset();
    Prompter& prompter = doc_.Prompts();
    failed_ = true;  // until the expression is compiled
    try {
        const std::string pattern = options_.useRegEx ? options_.findText : QuotedLiteral(options_.findText);
        expression_.emplace(WithPerlLineEnd(pattern, crlf), options_.matchCase, utf8);
        prefilterKnown_ = false;
        expressionText_ = options_.findText;
        expressionMatchCase_ = options_.matchCase;
        expressionCrLf_ = crlf;
        expressionRegex_ = options_.useRegEx;
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

bool TextSearch::Search(const std::string& subject, std::size_t start, boost::smatch& found,
                        const SearchExpression& expression, boost::match_flag_type flags)
{
    try {
        return expression.Search(subject.cbegin(), subject.cbegin() + static_cast<std::ptrdiff_t>(start),
                                 subject.cend(), found, flags);
    } catch (const std::exception& error) {
        doc_.Prompts().Error(MatchErrorText(error));
        failed_ = true;
        return false;
    }
}

TextSearch::TextSearch(Document& doc, SearchOptions& options) : doc_(doc), options_(options) {}

TextSearch::~TextSearch() = default;

std::array<std::uint8_t, 256> TextSearch::DisplayTable() const
{
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[static_cast<std::size_t>(b)] = doc_.Charset().ToDisplay(static_cast<std::uint8_t>(b));
    return table;
}

const LiteralScanner& TextSearch::ScannerFor(const std::string& wanted, const std::array<std::uint8_t, 256>& fold)
{
    // Replace All searches once per hit: the scanner is made once.
    if (!scanner_ || scannerText_ != wanted || scannerFold_ != fold) {
        scanner_ = std::make_unique<LiteralScanner>(LiteralScanner::Folded(wanted, fold));
        scannerText_ = wanted;
        scannerFold_ = fold;
    }
    return *scanner_;
}

const LiteralScanner* TextSearch::Prefilter(const SearchExpression& expression)
{
    const auto table = DisplayTable();
    if (prefilterKnown_ && table == prefilterTable_)
        return prefilter_.get();
    prefilterKnown_ = true;
    prefilterTable_ = table;
    prefilter_.reset();
    std::string literal = RequiredLiteral(options_.useRegEx ? expressionText_ : QuotedLiteral(expressionText_));
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

/// Whether the bytes before `end` lie below the column where searching stops. A byte's column is
/// at most its index times the tab size: short lines need no columns.
bool BeforeColumnLimit(LineView line, std::uint32_t end, const DisplayRules& rules)
{
    if (rules.ignoreFormatCodes || static_cast<std::int64_t>(end) * std::max(1, rules.tabSize) < kNoEnd)
        return true;
    return CellColumns(line, rules)[end - 1] < kNoEnd;
}

}  // namespace

std::int64_t TextSearch::ColumnOfIndex(LineView line, std::uint32_t index) const
{
    return IndexToColumn(line, std::min(index, line.Length()), doc_.Rules());
}

std::uint32_t TextSearch::IndexAtColumn(LineView line, std::int64_t column) const
{
    // The leading bytes whose start column is below the column.
    return CellColumns(line, doc_.Rules()).IndexAt(column, line.Length());
}

std::uint8_t TextSearch::Folded(std::uint8_t shown) const
{
    if (options_.matchCase)
        return shown;
    // Under a table the shown bytes are characters of code page 1252, folded as such. Text without
    // one is UTF-8, whose bytes above 127 are parts of characters: folding them one by one would
    // make a character match the start of another, so only ASCII letters are folded.
    if (!doc_.Utf8Text())
        return UpperCp1252(shown);
    return shown >= 'a' && shown <= 'z' ? static_cast<std::uint8_t>(shown - 'a' + 'A') : shown;
}

std::string TextSearch::FoldedText(std::string text) const
{
    for (char& c : text)
        c = static_cast<char>(Folded(static_cast<std::uint8_t>(c)));
    return text;
}

std::uint8_t TextSearch::Compared(std::uint8_t stored) const { return Folded(doc_.Charset().ToDisplay(stored)); }

std::optional<TextSearch::Span> TextSearch::Restrict(LineIndex index, bool bytes, std::int64_t whole)
{
    FieldDef* field = options_.searchField;
    if (!InField())
        return Span{0, whole};
    StructureDescription& structure = doc_.Structure();
    const LineView line = doc_.Text().Line(index);
    const DisplayRules rules = doc_.Rules();
    if (bytes)
        structure.SplitRecord(line, rules);
    else
        structure.PlaceFields(line, rules);
    const FieldDef* typeField = structure.RecordTypeField();
    if (typeField && typeField != field && structure.RecordTypeOf(line, rules) != field->typeValue)
        return std::nullopt;  // a record of another type
    if (!bytes)
        return Span{field->column, field->ColumnEnd()};
    return Span{field->byteOffset, field->byteOffset + field->byteLength};
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

void TextSearch::Hit(LineIndex line, std::int64_t fromColumn, std::int64_t toColumn)
{
    const bool empty = fromColumn == toColumn;
    emptyHitLine_ = empty ? line : -1;
    emptyHitColumn_ = empty ? static_cast<Column>(toColumn) : -1;
    match_ = SearchMatch{line, static_cast<Column>(fromColumn), static_cast<Column>(toColumn)};
}

std::optional<SearchMatch> TextSearch::Forward(const TextSelection& from)
{
    return Run(from, [this] { ByExpression() ? RegexForward() : PlainForward(); });
}

std::optional<SearchMatch> TextSearch::Backward(const TextSelection& from)
{
    return Run(from, [this] { ByExpression() ? RegexBackward() : PlainBackward(); });
}

template <typename Scan> std::optional<SearchMatch> TextSearch::Run(const TextSelection& from, Scan&& scan)
{
    stopped_ = false;
    failed_ = false;
    match_.reset();
    from_ = from;
    scan();
    return match_;
}

std::array<std::uint8_t, 256> TextSearch::FoldTable() const
{
    std::array<std::uint8_t, 256> fold{};
    for (int b = 0; b < 256; ++b)
        fold[static_cast<std::size_t>(b)] = Compared(static_cast<std::uint8_t>(b));
    return fold;
}

void TextSearch::PlainForward()
{
    const std::string& text = options_.findText;
    if (text.empty())
        return;
    const std::string wanted = FoldedText(text);
    const auto fold = FoldTable();
    // Without a table and with match case the bytes are compared as they are: a plain find.
    bool identity = true;
    for (int b = 0; b < 256 && identity; ++b)
        identity = fold[static_cast<std::size_t>(b)] == b;
    const TextStore& store = doc_.Text();
    const DisplayRules rules = doc_.Rules();
    const auto size = static_cast<std::uint32_t>(wanted.size());
    // Over whole lines the lines after the cursor's are scanned in runs as they lie in memory.
    const bool scanRuns = !InField();
    const LiteralScanner& scanner = ScannerFor(wanted, fold);
    bool shown = false;
    for (LineIndex i = from_.cursor.line; i < store.LineCount(); ++i) {
        if (scanRuns && i > from_.cursor.line) {
            std::optional<LineHit> hit;
            ScanRuns(i, scanner, shown, true, [&hit](LineIndex k, std::uint32_t index) {
                hit = LineHit{k, index};
                return Verdict::Stop;
            });
            if (shown)
                doc_.Progress().End();
            if (stopped_)
                return;
            if (!hit)
                return;
            const LineView line = store.Line(hit->line);
            const CellColumns columns(line, rules);
            Hit(hit->line, columns[hit->index], columns.After(hit->index + size));
            return;
        }
        if (Progress(i, i - from_.cursor.line, shown)) {
            doc_.Progress().End();
            return;  // stopped by the user
        }
        const auto span = Restrict(i, false, kNoEnd);
        if (!span)
            continue;
        const LineView line = store.Line(i);
        const CellColumns columns(line, rules);
        // On the cursor's line from the cursor on, but never before the field.
        const std::int64_t start =
            i == from_.cursor.line ? std::max<std::int64_t>(from_.cursor.column, span->from) : span->from;
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
        Hit(i, columns[hit], columns.After(hit + size));
        return;
    }
    if (shown)
        doc_.Progress().End();
}

std::optional<std::int64_t> TextSearch::CountLiteral(const TextPosition& from)
{
    stopped_ = false;
    from_ = TextSelection{from};
    if (ByExpression() || options_.findText.empty() || InField())
        return std::nullopt;
    const std::string wanted = FoldedText(options_.findText);
    const LiteralScanner& scanner = ScannerFor(wanted, FoldTable());
    const TextStore& store = doc_.Text();
    const DisplayRules rules = doc_.Rules();
    const auto size = static_cast<std::uint32_t>(wanted.size());
    std::int64_t hits = 0;
    // The cursor's own line from the cursor on, as the searches take it.
    const LineIndex keepLine = from.line;
    const Column keepColumn = from.column;
    bool shown = false;
    {
        const LineView line = store.Line(keepLine);
        const CellColumns columns(line, rules);
        const char* lineEnd = line.Bytes() + line.Length();
        for (const char* at = scanner.Find(line.Bytes() + columns.IndexAt(keepColumn, line.Length()), lineEnd); at;
             at = scanner.Find(at + size, lineEnd)) {
            if (columns[static_cast<std::uint32_t>(at - line.Bytes()) + size - 1] >= kNoEnd)
                break;
            ++hits;
        }
    }
    // The other lines in runs as they lie in memory; each search goes on after the last hit.
    ScanRuns(keepLine + 1, scanner, shown, true, [&hits](LineIndex, std::uint32_t) {
        ++hits;
        return Verdict::AfterHit;
    });
    if (shown)
        doc_.Progress().End();
    return hits;
}

template <typename Visit>
void TextSearch::ScanRuns(LineIndex first, const LiteralScanner& wanted, bool& shown, bool columnLimit, Visit&& visit)
{
    const TextStore& store = doc_.Text();
    const LineIndex count = store.LineCount();
    const auto size = static_cast<std::uint32_t>(wanted.Size());
    const DisplayRules rules = doc_.Rules();
    // Runs start small, since the next hit is often near, and grow to a few megabytes.
    std::ptrdiff_t runBytes = 4 << 10;
    for (LineIndex i = first; i < count; runBytes = std::min<std::ptrdiff_t>(runBytes * 2, 4 << 20)) {
        run_.Collect(store, i, runBytes);
        for (const char* from = run_.Start(); from && from < run_.End();) {
            const char* at = wanted.Find(from, run_.End());
            if (!at)
                break;
            // The line holding the hit; a hit across a line end is none.
            const LineIndex k = run_.LineAt(at);
            const LineView line = run_.Line();
            const auto index = static_cast<std::uint32_t>(at - line.Bytes());
            if (index + size > line.Length()) {
                from = at + 1;
                continue;
            }
            // Beyond the compared columns: on with the next line.
            const Verdict verdict =
                !columnLimit || BeforeColumnLimit(line, index + size, rules) ? visit(k, index) : Verdict::NextLine;
            if (verdict == Verdict::Stop)
                return;
            from = verdict == Verdict::AfterHit ? at + size : line.Bytes() + line.Length();
        }
        // Progress as the line-by-line search shows it, at each run's end.
        i = run_.Next();
        if (i - from_.cursor.line >= kProgressLines) {
            if (!shown) {
                doc_.Progress().Begin(40);
                shown = true;
            }
            stopped_ = doc_.Progress().Step(i * 40 / std::max<LineIndex>(1, count - 1));
            if (stopped_)
                return;
        }
    }
}

void TextSearch::PlainBackward()
{
    const std::string& text = options_.findText;
    if (text.empty())
        return;
    const std::string wanted = FoldedText(text);
    const auto fold = FoldTable();
    const TextStore& store = doc_.Text();
    const DisplayRules rules = doc_.Rules();
    const auto size = static_cast<std::uint32_t>(wanted.size());
    bool shown = false;
    for (LineIndex i = from_.cursor.line; i >= 0; --i) {
        if (Progress(i, from_.cursor.line - i, shown)) {
            doc_.Progress().End();
            return;
        }
        const auto span = Restrict(i, false, 999999);
        if (!span)
            continue;
        // On the cursor's line a hit must end at or before the cursor, or before the start of the
        // hit selected now; on the others its bytes lie in the field's columns, as forward.
        const bool cursorLine = i == from_.cursor.line;
        std::int64_t limit = span->to;
        if (cursorLine) {
            const bool selected =
                from_.anchor.column >= 0 && from_.anchor.line == i && from_.anchor.column != from_.cursor.column;
            limit = selected ? from_.anchor.column : from_.cursor.column;
        }
        const LineView line = store.Line(i);
        const std::uint32_t n = ContentEnd(line);
        const CellColumns columns(line, rules);
        // Ends are tried from the last byte towards the first; the first hit found is the nearest.
        for (std::uint32_t end = n; end >= size && end > 0; --end) {
            const std::uint32_t first = end - size;
            const bool below = cursorLine ? columns.After(end) <= limit : columns[end - 1] < limit;
            if (!below || columns[first] < span->from)
                continue;
            std::uint32_t m = 0;
            while (m < size && fold[line.ByteAt(first + m)] == static_cast<std::uint8_t>(wanted[m]))
                ++m;
            if (m < size)
                continue;
            if (shown)
                doc_.Progress().End();
            Hit(i, columns[first], columns.After(end));
            return;
        }
    }
    if (shown)
        doc_.Progress().End();
}

std::uint32_t TextSearch::ContentEnd(LineView line) const
{
    const DisplayRules rules = doc_.Rules();
    const bool crlf = doc_.Text().Terminator() == TerminatorKind::CRLF;
    std::uint32_t n = line.Length();
    while (n > 0 && (line.ByteAt(n - 1) == rules.lf || (crlf && line.ByteAt(n - 1) == rules.cr)))
        --n;
    return n;
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

std::optional<TextSearch::Span> TextSearch::RegexInLine(const SearchExpression& expression, LineIndex i)
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
    const std::int64_t s =
        i == from_.cursor.line ? std::max<std::int64_t>(IndexAtColumn(line, from_.cursor.column), base) : base;
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
    return Span{ColumnOfIndex(line, static_cast<std::uint32_t>(position)),
                ColumnOfIndex(line, static_cast<std::uint32_t>(position + found.length()))};
}

bool TextSearch::InField() const { return options_.searchField && doc_.Structure().IsActive(); }

void TextSearch::RegexForward()
{
    if (options_.findText.empty())
        return;
    const SearchExpression* expression = Expression();
    if (!expression)
        return;
    const LiteralScanner* prefilter = Prefilter(*expression);
    const TextStore& store = doc_.Text();
    bool shown = false;
    std::optional<Span> found;
    LineIndex foundLine = -1;
    for (LineIndex i = from_.cursor.line; i < store.LineCount() && !found; ++i) {
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
        doc_.Progress().End();
    if (!failed_ && !stopped_ && found)
        Hit(foundLine, found->from, found->to);
}

void TextSearch::RegexBackward()
{
    if (options_.findText.empty())
        return;
    const SearchExpression* expression = Expression();
    if (!expression)
        return;
    const TextStore& store = doc_.Text();
    bool shown = false;
    for (LineIndex i = from_.cursor.line; i >= 0; --i) {
        if (Progress(i, from_.cursor.line - i, shown)) {
            doc_.Progress().End();
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
            const bool selected =
                from_.anchor.column >= 0 && from_.anchor.line == i && from_.anchor.column != from_.cursor.column;
            limit = IndexAtColumn(line, selected ? from_.anchor.column : from_.cursor.column);
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
            doc_.Progress().End();
        Hit(i, ColumnOfIndex(line, static_cast<std::uint32_t>(position)),
            ColumnOfIndex(line, static_cast<std::uint32_t>(position + length)));
        return;
    }
    if (shown)
        doc_.Progress().End();
}

}  // namespace quill
