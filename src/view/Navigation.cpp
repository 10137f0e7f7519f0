// Navigation commands.
#include "view/Navigation.h"

#include <limits>

#include "common/Format.h"
#include "common/TextCase.h"
#include "document/Document.h"
#include "platform/EntryDialog.h"
#include "platform/Prompter.h"
#include "structure/StructureDescription.h"
#include "view/TextEditing.h"
#include "view/ViewState.h"

namespace quill {

namespace {

const char kOutOfBound[] = "Offset is out of bound!";

// An entry read by its mode; a text that is no number is reported and counts as a cancel.
std::optional<std::int64_t> Read(const EntryValue& value, Prompter& prompter)
{
    auto number = ReadEntry(value);
    if (!number)
        prompter.Error("\"" + value.text + "\" is no number!");
    return number;
}

}  // namespace

Navigation::Navigation(Document& doc, ViewState& view) : doc_(doc), ports_(doc.Ports()), view_(view), motion_(doc, view)
{
}

bool Navigation::GoToLineColumn()
{
    // The dialog comes up with the cursor's file line, selected, so that a new number replaces
    // it and Enter alone stays.
    const LineIndex current = doc_.FileLines().FileLineOf(doc_.Selection().cursor.line) + 1;
    std::vector<EntryValue> values{{"Line", EntryMode::Decimal, std::to_string(current)},
                                   {"Column", EntryMode::Decimal, "0"}};
    if (!ports_.entries.AskValues({}, values))
        return false;
    const auto line = Read(values[0], ports_.prompter);
    const auto column = line ? Read(values[1], ports_.prompter) : std::nullopt;
    if (!line || !column)
        return false;
    // 0 (or an empty field) keeps the line or the column.
    motion_.GoToLine(*line > 0 ? *line : -1, *column > 0 ? *column : -1);
    return true;
}

bool Navigation::GoToOffsetOrTell(ByteOffset offset)
{
    if (doc_.GoToOffset(offset)) {
        EnsureCursorVisible(doc_, view_, false);
        return true;
    }
    ports_.prompter.Inform(kOutOfBound);
    return false;
}

bool Navigation::GoToByte()
{
    std::vector<EntryValue> values{{"Offset (use +- as prefix for relative offsets)", EntryMode::Text, ""}};
    if (!ports_.entries.AskValues({}, values))
        return false;
    const std::string& text = values[0].text;
    const bool relative = !text.empty() && (text[0] == '+' || text[0] == '-');
    const auto number = ParseDecimal(relative && text[0] == '+' ? text.substr(1) : text);
    if (!number) {
        ports_.prompter.Error("\"" + text + "\" is no number!");
        return false;
    }
    return GoToOffsetOrTell(relative ? doc_.CursorByteOffset() + *number : *number);
}

void Navigation::ShowCurrentOffset() { ports_.prompter.Inform("Offset=" + std::to_string(doc_.CursorByteOffset())); }

bool Navigation::CanGoToOffsetPlusSelection() const { return doc_.Selection().value != 0; }

bool Navigation::GoToOffsetPlusSelection()
{
    doc_.SelectionStatusText();  // the selected value of the selection as it is now
    if (!CanGoToOffsetPlusSelection())
        return false;
    // Just after the selection, then as many bytes further as the selected bytes say.
    const bool cursorLeft = doc_.Selection().Active() && doc_.Selection().cursor.line == doc_.Selection().anchor.line &&
                            doc_.Selection().cursor.column < doc_.Selection().anchor.column;
    const ByteOffset width = cursorLeft ? doc_.Selection().anchor.column - doc_.Selection().cursor.column : 0;
    return GoToOffsetOrTell(doc_.CursorByteOffset() + doc_.Selection().value + width);
}

bool Navigation::FindField() { return FindFieldIn(true, true); }

std::int64_t Navigation::MatchingField(LineIndex line, std::int64_t column, bool forward)
{
    StructureDescription& structure = doc_.Structure();
    std::int64_t best = -1;
    for (const FieldDef* field : structure.FieldsOf(doc_.Text().Line(line), doc_.Rules())) {
        if (field->name.compare(0, findValue_.size(), findValue_) != 0)
            continue;
        // Forward: fields starting right of the column. Back: fields ending at or left of it, so
        // that from a field's start the field directly before it is found.
        const bool beyond = forward ? field->column > column : field->ColumnEnd() <= column;
        if (beyond && (best < 0 || (forward ? field->column < best : field->column > best)))
            best = field->column;
    }
    return best;
}

bool Navigation::FindFieldIn(bool forward, bool ask)
{
    if (!doc_.Structure().IsActive())
        return false;
    if (ask || findValue_.empty()) {
        std::vector<EntryValue> values{{"Field", EntryMode::Text, findValue_}};
        if (!ports_.entries.AskValues({}, values))
            return false;
        findValue_ = UpperCp1252(values[0].text);
    }
    const LineIndex count = doc_.Text().LineCount();
    std::int64_t column = doc_.Selection().cursor.column;
    for (LineIndex line = doc_.Selection().cursor.line; line >= 0 && line < count; line += forward ? 1 : -1) {
        if (line != doc_.Selection().cursor.line)
            column = forward ? -1 : std::numeric_limits<std::int64_t>::max();  // any field of the line
        if (doc_.Text().Line(line).Length() == 0)
            continue;  // the empty line after the last terminator is no record
        const std::int64_t found = MatchingField(line, column, forward);
        if (found < 0)
            continue;
        doc_.Selection().Clear();
        motion_.ClickAt(line, found);
        doc_.Selection().preferredColumn = static_cast<Column>(found);
        EnsureCursorVisible(doc_, view_, false);
        return true;
    }
    ports_.prompter.Inform(forward ? "End of file reached!" : "Begin of file reached!");
    return false;
}

bool Navigation::InsertHex(TextEditing& editing)
{
    std::vector<EntryValue> values{{"HEX", EntryMode::Hex, "0"}};
    if (!ports_.entries.AskValues({}, values))
        return false;
    const auto value = Read(values[0], ports_.prompter);
    if (!value)
        return false;
    editing.InsertChar(static_cast<std::uint8_t>(*value & 0xFF), true);
    return true;
}

}  // namespace quill
