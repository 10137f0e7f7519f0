// Cursor moves.
#include "view/CursorMotion.h"

#include <algorithm>
#include <cstring>

#include "common/CharacterProperties.h"
#include "document/Document.h"
#include "settings/Settings.h"
#include "structure/FieldDef.h"

namespace quill {

std::int64_t CursorMotion::LineLength(LineIndex line) const
{
    std::int64_t length = doc_.DisplayWidth(line);
    if (doc_.IgnoreFormatCodes() && doc_.OverwriteMode())
        length = std::max<std::int64_t>(0, length - 1);
    return length;
}

std::int64_t CursorMotion::ColumnStart(LineIndex line, std::int64_t column) const
{
    LineView view = doc_.Text().Line(line);
    const DisplayRules rules = doc_.Rules();
    const std::uint32_t index = ColumnToIndex(view, column, rules);
    // Beyond the line's end every column is a place of its own.
    return index >= view.Length() ? column : IndexToColumn(view, index, rules);
}

std::int64_t CursorMotion::ColumnAfter(LineIndex line, std::int64_t column) const
{
    LineView view = doc_.Text().Line(line);
    const DisplayRules rules = doc_.Rules();
    const std::uint32_t index = ColumnToIndex(view, column, rules);
    if (index >= view.Length())
        return column + 1;
    return UnitAt(view, index, IndexToColumn(view, index, rules), rules).nextColumn;
}

void CursorMotion::SetLine(LineIndex line)
{
    const LineIndex last = doc_.Text().LineCount() - 1;
    doc_.Selection().cursor.line = std::clamp<LineIndex>(line, 0, std::max<LineIndex>(0, last));
    doc_.Text().SetCurrentLine(doc_.Selection().cursor.line);
}

void CursorMotion::SetColumn(std::int64_t column, bool horizontal)
{
    column = std::clamp<std::int64_t>(column, 0, LineLength(doc_.Selection().cursor.line));
    doc_.Selection().cursor.column = static_cast<Column>(ColumnStart(doc_.Selection().cursor.line, column));
    if (horizontal)
        doc_.Selection().preferredColumn = doc_.Selection().cursor.column;
    EnsureCursorVisible(doc_, view_, false);
}

void CursorMotion::MoveInLine(std::int64_t column, Sideways scroll)
{
    const std::int64_t before = doc_.Selection().cursor.column;
    column = std::clamp<std::int64_t>(column, 0, LineLength(doc_.Selection().cursor.line));
    doc_.Selection().cursor.column = doc_.Selection().preferredColumn =
        static_cast<Column>(ColumnStart(doc_.Selection().cursor.line, column));
    // The window follows in steps a reader can keep track of, rather than centring the cursor.
    const std::int64_t third = view_.pageWidth / 3;
    switch (scroll) {
    case Sideways::Left:
        if (doc_.Selection().cursor.column < view_.leftColumn && doc_.Selection().cursor.column < before)
            view_.leftColumn = std::max<std::int64_t>(0, view_.leftColumn - std::max<std::int64_t>(1, third));
        break;
    case Sideways::Right:
        if (doc_.Selection().cursor.column >= view_.leftColumn + view_.pageWidth)
            view_.leftColumn += std::max<std::int64_t>(1, third);
        break;
    case Sideways::Home: view_.leftColumn = 0; break;
    case Sideways::End:
        if (view_.leftColumn + view_.pageWidth < doc_.Selection().cursor.column)
            view_.leftColumn = std::max<std::int64_t>(0, doc_.Selection().cursor.column - view_.pageWidth + 2);
        break;
    }
    EnsureCursorVisible(doc_, view_, false);
}

void CursorMotion::Left()
{
    if (doc_.Selection().cursor.column > 0) {
        MoveInLine(ColumnStart(doc_.Selection().cursor.line, doc_.Selection().cursor.column - 1), Sideways::Left);
    } else if (doc_.Selection().cursor.line > 0) {
        Up();
        End();
    }
}

void CursorMotion::Right()
{
    if (doc_.Selection().cursor.column < LineLength(doc_.Selection().cursor.line)) {
        MoveInLine(ColumnAfter(doc_.Selection().cursor.line, doc_.Selection().cursor.column), Sideways::Right);
    } else if (doc_.Selection().cursor.line + 1 < doc_.Text().LineCount()) {
        Down();
        Home();
    }
}

void CursorMotion::Up()
{
    if (doc_.Selection().cursor.line == 0)
        return;
    SetLine(doc_.Selection().cursor.line - 1);
    SetColumn(doc_.Selection().preferredColumn, false);
}

void CursorMotion::Down()
{
    if (doc_.Selection().cursor.line + 1 >= doc_.Text().LineCount())
        return;
    SetLine(doc_.Selection().cursor.line + 1);
    SetColumn(doc_.Selection().preferredColumn, false);
}

std::int64_t CursorMotion::IndentWidth() const
{
    const DisplayRules rules = doc_.Rules();
    LineView line = doc_.Text().Line(doc_.Selection().cursor.line);
    std::uint32_t i = 0;
    while (i < line.Length() && (line.ByteAt(i) == kBlank || line.ByteAt(i) == rules.tab))
        ++i;
    return IndexToColumn(line, i, rules);
}

void CursorMotion::Home()
{
    // Smart home: first to the indentation, then to column 0.
    const std::int64_t indent = IndentWidth();
    MoveInLine(doc_.Selection().cursor.column != 0 && doc_.Selection().cursor.column <= indent ? 0 : indent,
               Sideways::Home);
}

void CursorMotion::End() { MoveInLine(LineLength(doc_.Selection().cursor.line), Sideways::End); }

void CursorMotion::PageUp()
{
    if (doc_.Selection().cursor.line == 0)
        return;
    view_.topLine = PageUpTop(view_.topLine, view_.pageLines);
    SetLine(doc_.Selection().cursor.line - view_.pageLines);
    SetColumn(doc_.Selection().preferredColumn, false);
}

void CursorMotion::PageDown()
{
    const LineIndex count = doc_.Text().LineCount();
    if (doc_.Selection().cursor.line + 1 >= count)
        return;
    view_.topLine = PageDownTop(view_.topLine, view_.pageLines, count);
    SetLine(doc_.Selection().cursor.line + view_.pageLines);
    SetColumn(doc_.Selection().preferredColumn, false);
}

void CursorMotion::DocumentStart()
{
    SetLine(0);
    SetColumn(0, true);
}

void CursorMotion::DocumentEnd()
{
    SetLine(doc_.Text().LineCount() - 1);
    SetColumn(LineLength(doc_.Selection().cursor.line), true);
}

void CursorMotion::ClickAt(LineIndex line, std::int64_t column)
{
    SetLine(line);
    SetColumn(column, true);
    // The preferred column is where the click was, beyond a short line too: a block selection
    // dragged there keeps its width.
    doc_.Selection().preferredColumn =
        static_cast<Column>(std::clamp<std::int64_t>(column, doc_.Selection().cursor.column, INT32_MAX));
}

}  // namespace quill

namespace quill {

void CursorMotion::GoToRow(LineIndex row, std::int64_t column)
{
    SetLine(row);
    doc_.Selection().Clear();
    doc_.Selection().preferredColumn = static_cast<Column>(std::min<std::int64_t>(column, INT32_MAX));
    SetColumn(column, false);
    EnsureCursorVisible(doc_, view_, true);
}

void CursorMotion::GoToLine(LineIndex line, std::int64_t column)
{
    // The user names lines of the file, as grep and sed count them; the column is the one on the
    // display line, as the status line and the ruler show it.
    if (line >= 0)
        SetLine(doc_.FileLines().FirstRowOf(line - 1));
    if (column >= 0)
        doc_.Selection().preferredColumn = static_cast<Column>(std::min<std::int64_t>(column, INT32_MAX));
    doc_.Selection().Clear();
    // A short line holds the cursor at its end, but the asked column stays the preferred one, so
    // that Down goes on in that column.
    SetColumn(column >= 0 ? column : doc_.Selection().cursor.column, false);
    EnsureCursorVisible(doc_, view_, false);
}

}  // namespace quill

namespace quill {

void CursorMotion::NextField()
{
    const std::int64_t length = LineLength(doc_.Selection().cursor.line);
    if (const FieldDef* field = doc_.FieldAtCursor()) {
        SetColumn(std::min<std::int64_t>(field->ColumnEnd(), length), true);
        return;
    }
    std::int64_t column = doc_.Selection().cursor.column;
    while (column < length) {
        ++column;
        doc_.Selection().cursor.column = static_cast<Column>(column);
        if (doc_.FieldAtCursor())
            break;
    }
    SetColumn(column, true);
}

void CursorMotion::PreviousField()
{
    if (doc_.Selection().cursor.column == 0)
        return;
    const FieldDef* field = doc_.FieldAtCursor();
    if (field && field->column < doc_.Selection().cursor.column) {
        SetColumn(field->column, true);
        return;
    }
    if (field) {
        // At a field's start: to the start of the field just before, if there is one there.
        doc_.Selection().cursor.column -= 1;
        const FieldDef* before = doc_.FieldAtCursor();
        SetColumn(before ? before->column : doc_.Selection().cursor.column, true);
        return;
    }
    std::int64_t column = doc_.Selection().cursor.column;
    while (column > 0) {
        --column;
        doc_.Selection().cursor.column = static_cast<Column>(column);
        if (doc_.FieldAtCursor())
            break;
    }
    SetColumn(column, true);
}

}  // namespace quill

namespace quill {

bool CursorMotion::WordAt(LineIndex line, std::int64_t column) const
{
    const LineView view = doc_.Text().Line(line);
    const DisplayRules rules = doc_.Rules();
    const std::uint32_t index = ColumnToIndex(view, column, rules);
    if (index >= ContentLength(view, rules))
        return false;
    const std::uint8_t b = view.ByteAt(index);
    if (rules.utf8 && b >= 0x80) {
        const CellUnit unit = UnitAt(view, index, column, rules);
        return unit.character != 0 && IsWordCharacterBeyondAscii(unit.character);
    }
    return IsWordCharacter(doc_.Charset().ToDisplay(b));
}

bool CursorMotion::IsWordCharacter(std::uint8_t shown)
{
    static const char kLetters[] = "\xE4\xF6\xFC\xC4\xD6\xDC\xDF\xE1\xE9\xF3\xFA\xC1\xC9\xDA\xD3\xE0\xE8\xF2\xF9"
                                   "\xC0\xC8\xD2\xD9";
    if ((shown >= 'A' && shown <= 'Z') || (shown >= 'a' && shown <= 'z') || (shown >= '0' && shown <= '9') ||
        shown == '_')
        return true;
    return shown != 0 && std::memchr(kLetters, shown, sizeof kLetters - 1) != nullptr;
}

std::int64_t CursorMotion::WordStart(LineIndex line, std::int64_t column) const
{
    while (column > 0 && WordAt(line, column - 1))
        column = ColumnStart(line, column - 1);
    return column;
}

std::int64_t CursorMotion::WordEnd(LineIndex line, std::int64_t column) const
{
    const std::int64_t length = doc_.DisplayWidth(line);
    while (column < length && WordAt(line, column))
        column = ColumnAfter(line, column);
    return column;
}

void CursorMotion::WordLeft()
{
    if (doc_.Selection().cursor.column == 0 ||
        !WordAt(doc_.Selection().cursor.line, doc_.Selection().cursor.column - 1)) {
        Left();
        return;
    }
    SetColumn(WordStart(doc_.Selection().cursor.line,
                        ColumnStart(doc_.Selection().cursor.line, doc_.Selection().cursor.column - 1)),
              true);
}

void CursorMotion::WordRight()
{
    if (doc_.Selection().cursor.column >= LineLength(doc_.Selection().cursor.line) ||
        !WordAt(doc_.Selection().cursor.line, doc_.Selection().cursor.column)) {
        Right();
        return;
    }
    SetColumn(WordEnd(doc_.Selection().cursor.line, doc_.Selection().cursor.column), true);
}

}  // namespace quill

namespace quill {

void CursorMotion::SelectAll()
{
    DocumentEnd();
    doc_.Selection().anchor.line = 0;
    doc_.Selection().anchor.column = 0;
}

}  // namespace quill
