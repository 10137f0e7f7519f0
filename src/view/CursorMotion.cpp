// Cursor moves.
#include "view/CursorMotion.h"

#include <algorithm>
#include <cstring>

#include "document/CQVXDoc.h"
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
    if (doc_.IgnoreFormatCodes())
        return column;
    LineView view = doc_.Text().Line(line);
    const DisplayRules rules = doc_.Rules();
    return view.IndexToColumn(view.ColumnToIndex(column, rules.tabSize, rules.tab), rules.tabSize, rules.tab);
}

void CursorMotion::SetLine(LineIndex line)
{
    const LineIndex last = doc_.Text().LineCount() - 1;
    doc_.cursorLine = std::clamp<LineIndex>(line, 0, std::max<LineIndex>(0, last));
    doc_.Text().SetCurrentLine(doc_.cursorLine);
}

void CursorMotion::SetColumn(std::int64_t column, bool horizontal)
{
    column = std::clamp<std::int64_t>(column, 0, LineLength(doc_.cursorLine));
    doc_.cursorColumn = static_cast<Column>(ColumnStart(doc_.cursorLine, column));
    if (horizontal)
        doc_.preferredColumn = doc_.cursorColumn;
    EnsureCursorVisible(doc_, view_, false);
}

void CursorMotion::MoveInLine(std::int64_t column, Sideways scroll)
{
    const std::int64_t before = doc_.cursorColumn;
    column = std::clamp<std::int64_t>(column, 0, LineLength(doc_.cursorLine));
    doc_.cursorColumn = doc_.preferredColumn = static_cast<Column>(ColumnStart(doc_.cursorLine, column));
    // The window follows in steps a reader can keep track of, rather than centring the cursor.
    const std::int64_t third = view_.pageWidth / 3;
    switch (scroll) {
    case Sideways::Left:
        if (doc_.cursorColumn < view_.leftColumn && doc_.cursorColumn < before)
            view_.leftColumn = std::max<std::int64_t>(0, view_.leftColumn - std::max<std::int64_t>(1, third));
        break;
    case Sideways::Right:
        if (doc_.cursorColumn >= view_.leftColumn + view_.pageWidth)
            view_.leftColumn += std::max<std::int64_t>(1, third);
        break;
    case Sideways::Home: view_.leftColumn = 0; break;
    case Sideways::End:
        if (view_.leftColumn + view_.pageWidth < doc_.cursorColumn)
            view_.leftColumn = std::max<std::int64_t>(0, doc_.cursorColumn - view_.pageWidth + 2);
        break;
    }
    EnsureCursorVisible(doc_, view_, false);
}

void CursorMotion::Left()
{
    if (doc_.cursorColumn > 0) {
        MoveInLine(ColumnStart(doc_.cursorLine, doc_.cursorColumn - 1), Sideways::Left);
    } else if (doc_.cursorLine > 0) {
        Up();
        End();
    }
}

void CursorMotion::Right()
{
    if (doc_.cursorColumn < LineLength(doc_.cursorLine)) {
        const DisplayRules rules = doc_.Rules();
        LineView line = doc_.Text().Line(doc_.cursorLine);
        std::uint32_t index = line.ColumnToIndex(doc_.cursorColumn, rules.tabSize, rules.tab);
        bool onTab = !rules.ignoreFormatCodes && line.ByteAt(index) == rules.tab;
        MoveInLine(onTab ? NextTabStop(doc_.cursorColumn, rules.tabSize) : doc_.cursorColumn + 1, Sideways::Right);
    } else if (doc_.cursorLine + 1 < doc_.Text().LineCount()) {
        Down();
        Home();
    }
}

void CursorMotion::Up()
{
    if (doc_.cursorLine == 0)
        return;
    SetLine(doc_.cursorLine - 1);
    SetColumn(doc_.preferredColumn, false);
}

void CursorMotion::Down()
{
    if (doc_.cursorLine + 1 >= doc_.Text().LineCount())
        return;
    SetLine(doc_.cursorLine + 1);
    SetColumn(doc_.preferredColumn, false);
}

std::int64_t CursorMotion::IndentWidth() const
{
    const DisplayRules rules = doc_.Rules();
    LineView line = doc_.Text().Line(doc_.cursorLine);
    std::uint32_t i = 0;
    while (i < line.Length() && (line.ByteAt(i) == kBlank || line.ByteAt(i) == rules.tab))
        ++i;
    return rules.ignoreFormatCodes ? i : line.IndexToColumn(i, rules.tabSize, rules.tab);
}

void CursorMotion::Home()
{
    // Smart home: first to the indentation, then to column 0.
    const std::int64_t indent = IndentWidth();
    MoveInLine(doc_.cursorColumn != 0 && doc_.cursorColumn <= indent ? 0 : indent, Sideways::Home);
}

void CursorMotion::End() { MoveInLine(LineLength(doc_.cursorLine), Sideways::End); }

void CursorMotion::PageUp()
{
    if (doc_.cursorLine == 0)
        return;
    view_.topLine = PageUpTop(view_.topLine, view_.pageLines);
    SetLine(doc_.cursorLine - view_.pageLines);
    SetColumn(doc_.preferredColumn, false);
}

void CursorMotion::PageDown()
{
    const LineIndex count = doc_.Text().LineCount();
    if (doc_.cursorLine + 1 >= count)
        return;
    view_.topLine = PageDownTop(view_.topLine, view_.pageLines, count);
    SetLine(doc_.cursorLine + view_.pageLines);
    SetColumn(doc_.preferredColumn, false);
}

void CursorMotion::DocumentStart()
{
    SetLine(0);
    SetColumn(0, true);
}

void CursorMotion::DocumentEnd()
{
    SetLine(doc_.Text().LineCount() - 1);
    SetColumn(LineLength(doc_.cursorLine), true);
}

void CursorMotion::ClickAt(LineIndex line, std::int64_t column)
{
    SetLine(line);
    SetColumn(column, true);
    // The preferred column is where the click was, beyond a short line too: a block selection
    // dragged there keeps its width.
    doc_.preferredColumn = static_cast<Column>(std::clamp<std::int64_t>(column, doc_.cursorColumn, INT32_MAX));
}

}  // namespace quill

namespace quill {

void CursorMotion::GoToLine(LineIndex line, std::int64_t column)
{
    if (line >= 0)
        SetLine(line - 1);
    if (column >= 0)
        doc_.preferredColumn = static_cast<Column>(column);
    doc_.ClearSelection();
    // A short line holds the cursor at its end, but the asked column stays the preferred one, so
    // that Down goes on in that column.
    SetColumn(column >= 0 ? column : doc_.cursorColumn, false);
    EnsureCursorVisible(doc_, view_, false);
}

}  // namespace quill

namespace quill {

void CursorMotion::NextField()
{
    const std::int64_t length = LineLength(doc_.cursorLine);
    if (const FieldDef* field = doc_.FieldAtCursor()) {
        SetColumn(std::min<std::int64_t>(field->End(), length), true);
        return;
    }
    std::int64_t column = doc_.cursorColumn;
    while (column < length) {
        ++column;
        doc_.cursorColumn = static_cast<Column>(column);
        if (doc_.FieldAtCursor())
            break;
    }
    SetColumn(column, true);
}

void CursorMotion::PreviousField()
{
    if (doc_.cursorColumn == 0)
        return;
    const FieldDef* field = doc_.FieldAtCursor();
    if (field && field->offset < doc_.cursorColumn) {
        SetColumn(field->offset, true);
        return;
    }
    if (field) {
        // At a field's start: to the start of the field just before, if there is one there.
        doc_.cursorColumn -= 1;
        const FieldDef* before = doc_.FieldAtCursor();
        SetColumn(before ? before->offset : doc_.cursorColumn, true);
        return;
    }
    std::int64_t column = doc_.cursorColumn;
    while (column > 0) {
        --column;
        doc_.cursorColumn = static_cast<Column>(column);
        if (doc_.FieldAtCursor())
            break;
    }
    SetColumn(column, true);
}

}  // namespace quill

namespace quill {

bool CursorMotion::IsWordCharacter(std::uint8_t shown)
{
    static const char kLetters[] = "\xE4\xF6\xFC\xC4\xD6\xDC\xDF\xE1\xE9\xF3\xFA\xC1\xC9\xDA\xD3\xE0\xE8\xF2\xF9"
                                   "\xC0\xC8\xD2\xD9";
    if ((shown >= 'A' && shown <= 'Z') || (shown >= 'a' && shown <= 'z') || (shown >= '0' && shown <= '9') ||
        shown == '_')
        return true;
    return shown != 0 && std::memchr(kLetters, shown, sizeof kLetters - 1) != nullptr;
}

void CursorMotion::WordLeft()
{
    LineView line = doc_.Text().Line(doc_.cursorLine);
    const DisplayRules rules = doc_.Rules();
    auto wordAt = [&](std::int64_t column) {
        const std::uint32_t index = rules.ignoreFormatCodes ? static_cast<std::uint32_t>(column)
                                                            : line.ColumnToIndex(column, rules.tabSize, rules.tab);
        return IsWordCharacter(doc_.Charset().ToDisplay(line.ByteAt(index)));
    };
    if (doc_.cursorColumn == 0 || !wordAt(doc_.cursorColumn - 1)) {
        Left();
        return;
    }
    std::int64_t column = ColumnStart(doc_.cursorLine, doc_.cursorColumn - 1);
    while (column > 0 && wordAt(column - 1))
        column = ColumnStart(doc_.cursorLine, column - 1);
    SetColumn(column, true);
}

void CursorMotion::WordRight()
{
    LineView line = doc_.Text().Line(doc_.cursorLine);
    const DisplayRules rules = doc_.Rules();
    const std::int64_t length = LineLength(doc_.cursorLine);
    auto wordAt = [&](std::int64_t column) {
        const std::uint32_t index = rules.ignoreFormatCodes ? static_cast<std::uint32_t>(column)
                                                            : line.ColumnToIndex(column, rules.tabSize, rules.tab);
        return IsWordCharacter(doc_.Charset().ToDisplay(line.ByteAt(index)));
    };
    if (doc_.cursorColumn >= length || !wordAt(doc_.cursorColumn)) {
        Right();
        return;
    }
    std::int64_t column = doc_.cursorColumn;
    while (column < length && wordAt(column))
        ++column;  // word characters are never tabs: one column each
    SetColumn(column, true);
}

}  // namespace quill

namespace quill {

void CursorMotion::SelectAll()
{
    DocumentEnd();
    doc_.anchorLine = 0;
    doc_.anchorColumn = 0;
}

}  // namespace quill
