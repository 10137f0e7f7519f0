// What the plain and the expression search share: the field restriction, the progress of long
// searches, the scan over runs of lines and the columns of hits.
#include "search/LineSearch.h"

#include <algorithm>

#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "structure/StructureDescription.h"
#include "text/CellColumns.h"

namespace quill {

LineSearch::LineSearch(Document& doc, const SearchQuery& query) : doc_(doc), ports_(doc.Ports()), query_(query) {}

LineSearch::~LineSearch() = default;

std::optional<SearchMatch> LineSearch::Forward(const TextSelection& from)
{
    Begin(from);
    ScanForward();
    return match_;
}

std::optional<SearchMatch> LineSearch::Backward(const TextSelection& from)
{
    Begin(from);
    ScanBackward();
    return match_;
}

void LineSearch::Begin(const TextSelection& from)
{
    stopped_ = false;
    failed_ = false;
    match_.reset();
    from_ = from;
}

std::int64_t LineSearch::ColumnOfIndex(LineView line, std::uint32_t index) const
{
    return IndexToColumn(line, std::min(index, line.Length()), doc_.Rules());
}

std::uint32_t LineSearch::IndexAtColumn(LineView line, std::int64_t column) const
{
    // The leading bytes whose start column is below the column.
    return CellColumns(line, doc_.Rules()).IndexAt(column, line.Length());
}

std::uint32_t LineSearch::ContentEnd(LineView line) const
{
    const DisplayRules rules = doc_.Rules();
    const bool crlf = doc_.Text().Terminator() == TerminatorKind::CRLF;
    std::uint32_t n = line.Length();
    while (n > 0 && (line.ByteAt(n - 1) == rules.lf || (crlf && line.ByteAt(n - 1) == rules.cr)))
        --n;
    return n;
}

bool LineSearch::InField() const { return query_.field && doc_.Structure().IsActive(); }

std::optional<LineSearch::Span> LineSearch::Restrict(LineIndex index, bool bytes, std::int64_t whole)
{
    FieldDef* field = query_.field;
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

bool LineSearch::Progress(LineIndex line, LineIndex passed, bool& shown)
{
    return passed >= kProgressLines && line % kProgressLines == 0 && ShowProgress(line, shown);
}

bool LineSearch::ShowProgress(LineIndex line, bool& shown)
{
    if (end_ >= 0)
        return false;  // a part of the text, searched while the user works on
    if (!shown) {
        ports_.progress.Begin(40);
        shown = true;
    }
    stopped_ = ports_.progress.Step(line * 40 / std::max<LineIndex>(1, doc_.Text().LineCount() - 1));
    return stopped_;
}

bool LineSearch::StepProgress(LineIndex next, bool& shown)
{
    return next - from_.cursor.line >= kProgressLines && ShowProgress(next, shown);
}

void LineSearch::Hit(LineIndex line, std::uint32_t fromByte, std::uint32_t toByte)
{
    const LineView view = doc_.Text().Line(line);
    const CellColumns columns(view, doc_.Rules());
    const auto from = static_cast<Column>(columns[fromByte]);
    // The hit shows up to the end of the unit its last byte belongs to (a mark after a letter).
    const auto to = static_cast<Column>(toByte > fromByte ? columns.After(toByte) : from);
    const bool empty = fromByte == toByte;
    emptyHitLine_ = empty ? line : -1;
    emptyHitColumn_ = empty ? to : -1;
    match_ = SearchMatch{line, from, to, fromByte, toByte};
    resume_ = Resume{line, from, to, fromByte, toByte, view.Bytes(), view.Length()};
}

void LineSearch::ResumeAt(LineIndex line, Column column, std::uint32_t byte)
{
    const LineView view = doc_.Text().Line(line);
    resume_ = Resume{line, column, column, byte, byte, view.Bytes(), view.Length()};
}

bool LineSearch::Resumes(LineView line) const
{
    return resume_.line == from_.cursor.line && line.Bytes() == resume_.bytes && line.Length() == resume_.length;
}

std::uint32_t LineSearch::StartByte(LineView line) const
{
    if (Resumes(line) && from_.cursor.column == resume_.to)
        return std::min(resume_.toByte, line.Length());
    return IndexAtColumn(line, from_.cursor.column);
}

std::uint32_t LineSearch::LimitByte(LineView line) const
{
    const bool selected = from_.anchor.column >= 0 && from_.anchor.line == from_.cursor.line &&
                          from_.anchor.column != from_.cursor.column;
    if (Resumes(line)) {
        if (selected && from_.anchor.column == resume_.from && from_.cursor.column == resume_.to)
            return std::min(resume_.fromByte, line.Length());
        if (!selected && from_.cursor.column == resume_.to)
            return std::min(resume_.toByte, line.Length());
    }
    return IndexAtColumn(line, selected ? from_.anchor.column : from_.cursor.column);
}

std::array<std::uint8_t, 256> LineSearch::DisplayTable() const
{
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[static_cast<std::size_t>(b)] = doc_.Charset().ToDisplay(static_cast<std::uint8_t>(b));
    return table;
}

bool LineSearch::BeforeColumnLimit(LineView line, std::uint32_t end, const DisplayRules& rules)
{
    if (rules.ignoreFormatCodes || static_cast<std::int64_t>(end) * std::max(1, rules.tabSize) < kNoEnd)
        return true;
    return CellColumns(line, rules)[end - 1] < kNoEnd;
}

}  // namespace quill
