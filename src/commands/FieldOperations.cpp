// Field commands and evaluations.
#include "commands/FieldOperations.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "commands/RecordOrder.h"
#include "common/TextCase.h"
#include "document/Document.h"
#include "document/DocumentView.h"
#include "platform/EntryDialog.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "structure/AssociateDialogModel.h"
#include "structure/DescriptionRename.h"
#include "structure/FieldDialogModel.h"
#include "structure/PathMask.h"
#include "structure/SortDialogModel.h"
#include "structure/StructureDescription.h"
#include "structure/StructureDialogModel.h"
#include "structure/StructureDialogs.h"
#include "text/CellColumns.h"
#include "text/FileStatus.h"

namespace quill {

FieldOperations::FieldOperations(Document& doc, StructureDialogs& dialogs)
    : doc_(doc),
      ports_(doc.Ports()),
      dialogs_(dialogs)
{
}

StructureDescription& FieldOperations::Structure() const { return doc_.Structure(); }

FieldDef* FieldOperations::FieldAtCursor() const { return doc_.FieldAtCursor(); }

bool FieldOperations::CanAddField() const
{
    return doc_.Selection().Active() && doc_.Selection().anchor.line == doc_.Selection().cursor.line &&
           doc_.Selection().anchor.column != doc_.Selection().cursor.column;
}

bool FieldOperations::HasFieldAtCursor() const { return FieldAtCursor() != nullptr; }

bool FieldOperations::CanCopyRecordType() const { return Structure().RecordTypeField() && HasFieldAtCursor(); }

bool FieldOperations::CanSort() const { return Structure().IsActive(); }

bool FieldOperations::SaveStructure() { return Structure().Save(doc_.DataFolder(), ports_.prompter); }

void FieldOperations::Refresh()
{
    if (doc_.View()) {
        doc_.View()->Changed(DocumentChange::Structure | DocumentChange::Text);
    }
}

std::optional<std::string> FieldOperations::AskMask(const std::string& path)
{
    AssociateDialogModel model(path);
    if (!dialogs_.Associate(model))
        return std::nullopt;
    return model.Chosen();
}

// ---- Editing fields -----------------------------------------------------------------------------

bool FieldOperations::EditField(FieldDef& field)
{
    StructureDescription& structure = Structure();
    const std::int32_t oldLength = field.length;
    FieldDialogModel model(field, structure.FieldType() == StructureDescription::kDelimiter);
    if (!dialogs_.EditField(model))
        return false;
    model.Apply();
    if (field.name.empty())
        return false;
    FieldDef* current = structure.RecordTypeField();
    if (field.isRecordType && current && current != &field) {
        if (ports_.prompter.Ask("Another field is already the record type!\nSet new field as record type field?",
                                Buttons::YesNo) == Answer::Yes)
            current->isRecordType = false;
        else
            field.isRecordType = false;
    }
    if (field.isRecordType)
        structure.SetRecordTypeField(&field);
    else if (current == &field)
        structure.SetRecordTypeField(nullptr);
    field.name = UpperCp1252(field.name);
    if (structure.FieldType() == StructureDescription::kOffsetAndLength && field.length != oldLength) {
        bool asked = false, move = false;
        for (std::size_t i = 0; i < structure.FieldCount(); ++i) {
            FieldDef& other = structure.Field(i);
            if (&other == &field || other.offset <= field.offset)
                continue;
            if (!asked) {
                asked = true;
                move = ports_.prompter.Ask("Move fields after this one according to the new length?",
                                           Buttons::OkCancel) == Answer::Ok;
            }
            if (move)
                other.offset = static_cast<std::int32_t>(std::clamp<std::int64_t>(
                    std::int64_t{other.offset} + field.length - oldLength, INT32_MIN, INT32_MAX));
        }
    }
    return true;
}

bool FieldOperations::ModifyStructure()
{
    StructureDescription& structure = Structure();
    const std::string oldName = structure.Name();
    const std::string folder = doc_.DataFolder();
    StructureDialogModel model(
        structure, [this](FieldDef& field) { return EditField(field); },
        [this] { return AskMask(doc_.File().Path()); });
    const bool confirmed = dialogs_.EditStructure(model);
    if (confirmed)
        model.Apply();
    auto reloadOld = [&] {
        if (!structure.Load(folder + "/" + oldName + ".ini"))
            structure.Reset();
        return false;
    };
    if (!confirmed || structure.Name().empty())
        return reloadOld();
    if (!AcceptRename(folder, oldName, structure.Name(), ".ini", ports_.prompter))
        return reloadOld();
    structure.SetActive(true);
    SaveStructure();
    return true;
}

bool FieldOperations::OpenStructure()
{
    auto path = dialogs_.OpenStructureFile(doc_.DataFolder());
    StructureDescription& structure = Structure();
    if (!path || !structure.Load(*path))
        return false;
    if (doc_.File().HasPath() && !structure.MatchesFile(doc_.File().Path())) {
        // Tie the description to this kind of file for the next time.
        if (auto mask = AskMask(doc_.File().Path())) {
            structure.Masks().push_back(*mask);
            SaveStructure();
        }
    }
    doc_.ApplyStructureSettings();
    return true;
}

bool FieldOperations::ModifyStructureCommand()
{
    const bool changed = ModifyStructure();
    if (Structure().IsActive())
        doc_.ApplyStructureSettings();
    Refresh();
    return changed;
}

bool FieldOperations::SaveStructureAs()
{
    StructureDescription& structure = Structure();
    if (!structure.IsActive())
        return false;
    auto path = dialogs_.SaveStructureFile(doc_.DataFolder());
    if (!path)
        return false;
    // Descriptions live in the data folder, whatever folder the dialog showed.
    structure.SetName(SplitPath(*path).name);
    return SaveStructure();
}

namespace {

// The byte a column stands for; beyond the record's end each column is one byte, as fields of a
// fixed layout may lie beyond a short record.
std::int64_t ByteOfColumn(LineView record, std::int64_t column, const DisplayRules& rules)
{
    const std::int64_t width = IndexToColumn(record, record.Length(), rules);
    return column >= width ? record.Length() + (column - width) : ColumnToIndex(record, column, rules);
}

}  // namespace

bool FieldOperations::AddField()
{
    if (!CanAddField())
        return false;
    const LineIndex line = doc_.Selection().cursor.line;
    const std::int32_t start = std::min(doc_.Selection().anchor.column, doc_.Selection().cursor.column);
    const std::int32_t end = std::max(doc_.Selection().anchor.column, doc_.Selection().cursor.column);
    StructureDescription& structure = Structure();
    const DisplayRules rules = doc_.Rules();
    LineView record = doc_.Text().Line(line);
    const bool creating = !structure.IsActive();
    if (!creating) {
        for (std::int32_t column = start; column < end; ++column) {
            if (structure.FieldAt(record, column, rules)) {
                ports_.prompter.Inform("Field overlap detected!");
                return false;
            }
        }
    } else {
        // No description yet: one is made, named in the Structure dialog and tied to this file.
        structure.Reset();
        if (!ModifyStructure()) {
            structure.Reset();
            return false;
        }
        // Tied to this file unless the Structure dialog did it already ("This Mask").
        if (!structure.MatchesFile(doc_.File().Path()))
            if (auto mask = AskMask(doc_.File().Path()))
                structure.Masks().push_back(*mask);
        structure.SetActive(true);
        SaveStructure();
    }
    // The field holds the bytes of the selected characters.
    auto field = std::make_unique<FieldDef>();
    field->offset = static_cast<std::int32_t>(ByteOfColumn(record, start, rules));
    field->length = static_cast<std::int32_t>(ByteOfColumn(record, end, rules)) - field->offset;
    if (structure.RecordTypeField())
        field->typeValue = structure.RecordTypeOf(record, rules);
    // Neighbouring fields get different colours: one on from the field before (or from the field
    // added last, so that fields added one after another differ too), once more when that equals
    // the field after.
    auto next = [](std::int32_t colour) { return colour + 1 > 6 ? 0 : colour + 1; };
    if (structure.FieldCount() > 0)
        field->color = next(structure.Field(structure.FieldCount() - 1).color);
    if (FieldDef* before = start > 0 ? structure.FieldAt(record, start - 1, rules) : nullptr)
        field->color = next(before->color);
    if (FieldDef* after = structure.FieldAt(record, end, rules); after && after->color == field->color)
        field->color = next(field->color);
    const bool accepted = EditField(*field);
    if (accepted) {
        structure.AddField(std::move(field));
        SaveStructure();
        doc_.Selection().Clear();
    }
    // A description made here is active like one opened from the menu: its settings apply (no
    // syntax colouring, overwrite, the record length), whether or not the field was accepted.
    if (creating)
        doc_.ApplyStructureSettings();
    Refresh();
    return accepted;
}

bool FieldOperations::ModifyField()
{
    FieldDef* field = FieldAtCursor();
    if (!field || !EditField(*field))
        return false;
    SaveStructure();
    Refresh();
    return true;
}

bool FieldOperations::DeleteField()
{
    FieldDef* field = FieldAtCursor();
    if (!field)
        return false;
    if (ports_.prompter.AskSafely("Delete field \"" + field->name + "\"?", Buttons::OkCancel, Answer::Cancel) !=
        Answer::Ok)
        return false;
    Structure().DeleteField(field);
    SaveStructure();
    Refresh();
    return true;
}

bool FieldOperations::CopyRecordType()
{
    if (!CanCopyRecordType())
        return false;
    StructureDescription& structure = Structure();
    const DisplayRules rules = doc_.Rules();
    const LineView record = doc_.Text().Line(doc_.Selection().cursor.line);
    structure.SplitRecord(record, rules);
    const std::string source = structure.RecordTypeOf(record, rules);
    auto entered = ports_.entries.AskValue("Value", source);
    if (!entered)
        return false;
    const std::size_t existing = structure.FieldCount();
    for (std::size_t i = 0; i < existing; ++i) {
        const FieldDef& original = structure.Field(i);
        if (original.isRecordType || original.typeValue != source)
            continue;
        auto copy = std::make_unique<FieldDef>(original);
        copy->isRecordType = false;
        copy->typeValue = *entered;
        structure.AddField(std::move(copy));
    }
    SaveStructure();
    Refresh();
    return true;
}

// ---- Evaluations --------------------------------------------------------------------------------

bool FieldOperations::IsNumeric(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

void FieldOperations::DecimalAdd(std::string& sum, const std::string& value)
{
    if (sum.size() < value.size())
        sum.insert(0, value.size() - sum.size(), '0');
    if (!sum.empty() && sum[0] > '0')
        sum.insert(0, 1, '0');  // room for a carry
    std::string addend = value;
    if (addend.size() < sum.size())
        addend.insert(0, sum.size() - addend.size(), '0');
    int carry = 0;
    for (std::size_t i = sum.size(); i-- > 0;) {
        const int digit = (sum[i] - '0') + (addend[i] == ' ' ? 0 : addend[i] - '0') + carry;
        carry = digit > 9 ? 1 : 0;
        sum[i] = static_cast<char>('0' + digit % 10);
    }
}

LineIndex FieldOperations::RecordCount() const
{
    // The empty line after the last terminator is no record.
    const TextStore& text = doc_.Text();
    const LineIndex lines = text.LineCount();
    return lines > 0 && text.Line(lines - 1).Length() == 0 ? lines - 1 : lines;
}

bool FieldOperations::ConfirmNonNumeric(LineIndex record, const FieldDef& field, bool& skipAll)
{
    if (skipAll)
        return true;
    // Show the record in question before asking.
    doc_.Selection().cursor.line = record;
    doc_.Text().SetCurrentLine(record);
    doc_.Selection().cursor.column = doc_.Selection().preferredColumn =
        static_cast<Column>(CellColumns(doc_.Text().Line(record), doc_.Rules()).After(field.byteOffset));
    if (doc_.View()) {
        doc_.View()->Changed(DocumentChange::CursorCentred | DocumentChange::Text);
    }
    switch (ports_.prompter.Ask("Field is not numeric!\nSkip all?", Buttons::YesNoCancel)) {
    case Answer::Yes: skipAll = true; return true;
    case Answer::No: return true;
    default: return false;
    }
}

std::optional<std::string> FieldOperations::SumField()
{
    FieldDef* field = FieldAtCursor();
    if (!field)
        return std::nullopt;
    StructureDescription& structure = Structure();
    const LineIndex keepLine = doc_.Selection().cursor.line;
    const Column keepColumn = doc_.Selection().cursor.column;
    doc_.Selection().Clear();
    const DisplayRules rules = doc_.Rules();
    std::string sum;
    bool skipAll = false, cancelled = false;
    for (LineIndex i = 0, records = RecordCount(); i < records && !cancelled; ++i) {
        LineView record = doc_.Text().Line(i);
        structure.SplitRecord(record, rules);
        if (!structure.Applies(*field, structure.RecordTypeOf(record, rules)))
            continue;
        const std::string value = structure.ContentOf(record, *field, rules);
        if (IsNumeric(value))
            DecimalAdd(sum, value);
        else
            cancelled = !ConfirmNonNumeric(i, *field, skipAll);
    }
    doc_.Selection().cursor.line = keepLine;
    doc_.Text().SetCurrentLine(keepLine);
    doc_.Selection().cursor.column = doc_.Selection().preferredColumn = keepColumn;
    doc_.RedrawViews();
    if (cancelled)
        return std::nullopt;
    ports_.entries.AskValue("Total", sum);
    return sum;
}

bool FieldOperations::MaxField()
{
    FieldDef* field = FieldAtCursor();
    if (!field)
        return false;
    StructureDescription& structure = Structure();
    const Column keepColumn = doc_.Selection().cursor.column;
    doc_.Selection().Clear();
    const DisplayRules rules = doc_.Rules();
    std::string maximum;
    LineIndex found = doc_.Selection().cursor.line;
    bool skipAll = false;
    for (LineIndex i = doc_.Selection().cursor.line, records = RecordCount(); i < records; ++i) {
        LineView record = doc_.Text().Line(i);
        structure.SplitRecord(record, rules);
        if (!structure.Applies(*field, structure.RecordTypeOf(record, rules)))
            continue;
        std::string value = structure.ContentOf(record, *field, rules);
        if (!IsNumeric(value)) {
            if (!ConfirmNonNumeric(i, *field, skipAll))
                break;
            continue;
        }
        const std::size_t width = std::max(value.size(), maximum.size());
        value.insert(0, width - value.size(), '0');
        maximum.insert(0, width - maximum.size(), '0');
        for (char& ch : value)
            if (ch == ' ')
                ch = '0';
        if (value > maximum) {
            maximum = value;
            found = i;
        }
    }
    doc_.Selection().cursor.line = found;
    doc_.Text().SetCurrentLine(found);
    doc_.Selection().cursor.column = doc_.Selection().preferredColumn = keepColumn;
    if (doc_.View()) {
        doc_.View()->Changed(DocumentChange::CursorPlaced | DocumentChange::Text);
    }
    return true;
}

std::vector<LineIndex> FieldOperations::SortedOrder(const std::vector<std::optional<std::string>>& keys,
                                                    std::size_t stopAfter)
{
    return SortedRecordOrder(keys, stopAfter);
}

namespace {

/// Bytes at the end of a record that end it: LF (with the CR before it) or FF; none for the last
/// record of a file without terminator, or a record the load cut for its length.
std::uint32_t TerminatorLength(LineView line, const DisplayRules& rules)
{
    const std::uint32_t n = line.Length();
    if (n == 0)
        return 0;
    const std::uint8_t lastByte = line.ByteAt(n - 1);
    if (lastByte == rules.ff)
        return 1;
    if (lastByte != rules.lf)
        return 0;
    return n >= 2 && line.ByteAt(n - 2) == rules.cr ? 2 : 1;
}

}  // namespace

void FieldOperations::ExchangeTerminatorOfLastRecord(const std::vector<LineIndex>& order, LineIndex records,
                                                     const DisplayRules& rules)
{
    // Records move whole, each with its own terminator. Only a last record without one would run
    // into its new follower: it takes the terminator of the record that is last now, which gives
    // it away, so every byte of the file is kept.
    TextStore& text = doc_.Text();
    const LineIndex oldLast = records - 1;
    if (order[static_cast<std::size_t>(oldLast)] == oldLast)
        return;
    const auto moved = static_cast<LineIndex>(std::find(order.begin(), order.end(), oldLast) - order.begin());
    if (TerminatorLength(text.Line(moved), rules) != 0)
        return;
    const LineView nowLast = text.Line(oldLast);
    const std::uint32_t terminator = TerminatorLength(nowLast, rules);
    if (terminator == 0)
        return;
    LineRecord completed(text.Line(moved).Text());
    completed.Append(nowLast.Text().substr(nowLast.Length() - terminator));
    LineRecord shortened(nowLast.Bytes(), nowLast.Length() - terminator);
    text.ReplaceLine(moved, std::move(completed));
    text.ReplaceLine(oldLast, std::move(shortened));
}

bool FieldOperations::SortByFields()
{
    StructureDescription& structure = Structure();
    if (!structure.IsActive())
        return false;
    SortDialogModel model(structure);
    if (!dialogs_.ChooseSortFields(model))
        return false;
    TextStore& text = doc_.Text();
    const LineIndex records = RecordCount();
    if (records < 2)
        return false;
    const DisplayRules rules = doc_.Rules();
    std::vector<std::optional<std::string>> keys(static_cast<std::size_t>(records));
    for (LineIndex i = 0; i < records; ++i) {
        LineView record = text.Line(i);
        // The fields' bytes and the record's type are all a key needs: no cells, no list.
        structure.SplitRecord(record, rules);
        const std::string type = structure.RecordTypeOf(record, rules);
        std::string key;
        bool complete = true;
        for (const FieldDef* field : model.Order()) {
            if (!structure.Applies(*field, type)) {
                complete = false;
                break;
            }
            key += structure.ContentOf(record, *field, rules);
        }
        if (complete)
            keys[static_cast<std::size_t>(i)] = std::move(key);
    }
    // Escape is checked at every ten thousandth record, as far as the sort would have come there.
    std::size_t stopAfter = keys.size();
    const std::int64_t showFrom = doc_.Selection().cursor.line + 1 + 10000;
    bool shown = false;
    for (std::int64_t counter = 10000; counter < records; counter += 10000) {
        if (counter < showFrom)
            continue;
        if (!shown) {
            ports_.progress.Begin(40);
            shown = true;
        }
        if (ports_.progress.Step(40 * counter / records)) {
            stopAfter = static_cast<std::size_t>(counter);
            break;
        }
    }
    if (shown)
        ports_.progress.End();
    std::vector<LineIndex> order = SortedOrder(keys, stopAfter);
    for (LineIndex i = records; i < text.LineCount(); ++i)
        order.push_back(i);
    doc_.ReorderLines(order);
    ExchangeTerminatorOfLastRecord(order, records, rules);
    doc_.Selection().cursor.line = std::min(doc_.Selection().cursor.line, text.LineCount() - 1);
    text.SetCurrentLine(doc_.Selection().cursor.line);
    doc_.RedrawViews();
    return true;
}

}  // namespace quill
