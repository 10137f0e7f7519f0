// Character editing at the cursor.
#include "view/TextEditing.h"

#include <algorithm>

#include "common/Utf8.h"
#include "document/Document.h"
#include "settings/Settings.h"
#include "view/SelectionRange.h"
#include "view/ViewState.h"

namespace quill {

TextEditing::TextEditing(Document& doc, ViewState& view) : doc_(doc), view_(view), motion_(doc, view) {}

std::uint32_t TextEditing::IndexOfColumn(LineIndex line, std::int64_t column) const
{
    return ColumnToIndex(doc_.Text().Line(line), column, doc_.Rules());
}

std::uint32_t TextEditing::ByteAtOrAfter(LineIndex line, std::int64_t column) const
{
    const std::uint32_t index = IndexOfColumn(line, column);
    LineView view = doc_.Text().Line(line);
    if (index >= view.Length())
        return index;
    const DisplayRules rules = doc_.Rules();
    // A tab or a wide character that began before the column covers it: the unit after it is the
    // first at or after.
    const std::int64_t start = IndexToColumn(view, index, rules);
    return start < column ? index + UnitAt(view, index, start, rules).length : index;
}

std::uint32_t TextEditing::CursorIndex() const
{
    return IndexOfColumn(doc_.Selection().cursor.line, doc_.Selection().cursor.column);
}

std::uint32_t TextEditing::ContentEnd(LineView line) const { return ContentLength(line, doc_.Rules()); }

void TextEditing::Replace(LineRecord line)
{
    doc_.Text().SetCurrentLine(doc_.Selection().cursor.line);
    doc_.Model().ReplaceCurrentLine(std::move(line));
    doc_.MarkModified();
}

void TextEditing::PlaceAt(LineIndex line, std::uint32_t index)
{
    const DisplayRules rules = doc_.Rules();
    doc_.Selection().cursor.line = line;
    doc_.Text().SetCurrentLine(line);
    doc_.Selection().cursor.column = doc_.Selection().preferredColumn =
        static_cast<Column>(IndexToColumn(doc_.Text().Line(line), index, rules));
}

bool TextEditing::WrapWidthLimited() const
{
    const DocumentConfig& config = doc_.Config();
    return config.On(Layout::WrapAtBorder) || config.Get(Layout::MaxLineLen) < Settings::kNoLineLimit;
}

void TextEditing::ReflowAroundCursor()
{
    // Where the cursor is, counted in bytes from the start of the line the reflow starts at.
    const LineIndex start = std::max<LineIndex>(0, doc_.Selection().cursor.line - 1);
    const TextStore& text = doc_.Text();
    std::int64_t offset = CursorIndex();
    for (LineIndex i = start; i < doc_.Selection().cursor.line; ++i)
        offset += text.Line(i).Length();
    doc_.Reflow(start);
    LineIndex line = start;
    for (; line + 1 < text.LineCount(); ++line) {
        const std::int64_t length = text.Line(line).Length();
        // Just past a line's last byte the cursor belongs to the start of the next line: after a
        // line end it cannot stand anywhere else, and at a soft cut typing goes on there.
        if (offset < length)
            break;
        offset -= length;
    }
    PlaceAt(line, static_cast<std::uint32_t>(std::min<std::int64_t>(offset, text.Line(line).Length())));
    EnsureCursorVisible(doc_, view_, false);
}

void TextEditing::Overwrite(std::uint8_t stored)
{
    const std::uint32_t index = CursorIndex();
    LineRecord line = LineRecord(doc_.Text().Line(doc_.Selection().cursor.line).Text());
    line.SetByteAt(index, stored);
    Replace(std::move(line));
    const bool lastColumn = doc_.Selection().cursor.column + 1 >=
                            static_cast<Column>(doc_.Text().Line(doc_.Selection().cursor.line).Length());
    if (doc_.IgnoreFormatCodes() && lastColumn && doc_.Selection().cursor.line + 1 < doc_.Text().LineCount()) {
        PlaceAt(doc_.Selection().cursor.line + 1, 0);
        EnsureCursorVisible(doc_, view_, false);
    } else {
        motion_.Right();
    }
}

void TextEditing::InsertChar(std::uint8_t code, bool raw)
{
    if (doc_.Selection().Active())
        DeleteSelection();
    if (code == kLF && !raw)
        code = kFF;  // Ctrl+Enter: a form feed; a byte given by its value is inserted as it is
    if (code == kBlank)
        doc_.Model().RaiseUndoGroup();
    const bool lineBreak = !raw && (code == kCR || code == kFF);
    const std::uint8_t stored = raw || lineBreak ? code : doc_.Charset().FromDisplay(code);
    const DisplayRules rules = doc_.Rules();
    if (raw && code == rules.lf && !rules.ignoreFormatCodes && !doc_.BinaryMode()) {
        // A line feed given by its value ends the line there, as the loader would cut it.
        BreakLine(code, true);
        return;
    }
    if (!lineBreak && OverwritesAtCursor()) {
        // A UTF-8 character under the cursor is replaced whole, not its first byte.
        if (doc_.Utf8Text() && CharacterLengthAtCursor() > 1)
            InsertCharacter(std::string(1, static_cast<char>(stored)));
        else
            Overwrite(stored);
        return;
    }
    if (lineBreak) {
        BreakLine(code);
        return;
    }
    InsertStored(std::string(1, static_cast<char>(stored)));
}

void TextEditing::InsertCharacter(const std::string& bytes)
{
    if (doc_.Selection().Active())
        DeleteSelection();
    if (OverwritesAtCursor()) {
        // The character under the cursor goes, all its bytes when they are one UTF-8 character.
        const LineView current = doc_.Text().Line(doc_.Selection().cursor.line);
        const std::uint32_t index = CursorIndex();
        const std::size_t length = CharacterLengthAtCursor();
        LineRecord line(current.Bytes(), index);
        line.Append(current.Bytes() + index + length, current.Length() - index - length);
        Replace(std::move(line));
    }
    InsertStored(bytes);
}

bool TextEditing::OverwritesAtCursor() const
{
    if (!doc_.OverwriteMode() || doc_.Selection().cursor.column >= motion_.LineLength(doc_.Selection().cursor.line))
        return false;
    const DisplayRules rules = doc_.Rules();
    const std::uint8_t under = doc_.Text().Line(doc_.Selection().cursor.line).ByteAt(CursorIndex());
    return doc_.IgnoreFormatCodes() || (under != rules.cr && under != rules.lf);
}

std::size_t TextEditing::CharacterLengthAtCursor() const
{
    return UnitLength(doc_.Text().Line(doc_.Selection().cursor.line), CursorIndex());
}

std::uint32_t TextEditing::UnitLength(LineView line, std::uint32_t index) const
{
    if (index >= line.Length())
        return 1;
    const DisplayRules rules = doc_.Rules();
    return UnitAt(line, index, IndexToColumn(line, index, rules), rules).length;
}

void TextEditing::BlankAtCursor()
{
    // The character under the cursor becomes one blank, all its bytes.
    const LineView current = doc_.Text().Line(doc_.Selection().cursor.line);
    const std::uint32_t index = CursorIndex();
    if (index >= current.Length())
        return;
    const std::uint32_t length = UnitLength(current, index);
    LineRecord line(current.Bytes(), index);
    line.Append(" ", 1);
    line.Append(current.Bytes() + index + length, current.Length() - index - length);
    Replace(std::move(line));
}

void TextEditing::RemoveAtCursor()
{
    const LineView current = doc_.Text().Line(doc_.Selection().cursor.line);
    const std::uint32_t index = CursorIndex();
    const std::uint32_t length = UnitLength(current, index);
    LineRecord line(current.Bytes(), index);
    line.Append(current.Bytes() + index + length, current.Length() - index - length);
    Replace(std::move(line));
}

void TextEditing::InsertStored(const std::string& stored)
{
    const std::int64_t wrapWidth = doc_.EffectiveLineLength();
    const bool atWrapColumn = doc_.Selection().cursor.column == wrapWidth;
    const LineView current = doc_.Text().Line(doc_.Selection().cursor.line);
    const std::uint32_t index = CursorIndex();
    LineRecord line(current.Bytes(), index);
    line.Append(stored);
    line.Append(current.Bytes() + index, current.Length() - index);
    Replace(std::move(line));
    // On past the new characters, as the Right key goes (it moves the window along).
    const std::int64_t after = IndexToColumn(doc_.Text().Line(doc_.Selection().cursor.line),
                                             index + static_cast<std::uint32_t>(stored.size()), doc_.Rules());
    while (doc_.Selection().cursor.column < after) {
        const Column before = doc_.Selection().cursor.column;
        motion_.Right();
        if (doc_.Selection().cursor.column <= before)
            break;
    }
    doc_.Selection().Clear();
    if (doc_.Selection().cursor.column < motion_.LineLength(doc_.Selection().cursor.line) || atWrapColumn ||
        WrapWidthLimited())
        ReflowAroundCursor();
}

void TextEditing::BreakLine(std::uint8_t code, bool raw)
{
    doc_.Model().RaiseUndoGroup();
    LineView current = doc_.Text().Line(doc_.Selection().cursor.line);
    const std::uint32_t index = CursorIndex();
    const DisplayRules rules = doc_.Rules();
    LineRecord left(current.Bytes(), index);
    if (raw) {
        left.Append(code);
    } else if (code == kFF) {
        left.Append(rules.ff);
    } else {
        if (doc_.Text().Terminator() == TerminatorKind::CRLF)
            left.Append(rules.cr);
        left.Append(rules.lf);
    }
    LineRecord next;
    if (doc_.AppSettings().autoIndent && !raw) {
        std::uint32_t indent = 0;
        while (indent < current.Length() && (current.ByteAt(indent) == kBlank || current.ByteAt(indent) == rules.tab))
            ++indent;
        next.Append(current.Bytes(), std::min(indent, index));
    }
    const std::uint32_t indentBytes = next.Length();
    next.Append(current.Bytes() + index, current.Length() - index);
    Replace(std::move(left));
    doc_.Model().SplitCurrentLine(std::move(next));
    PlaceAt(doc_.Selection().cursor.line + 1, indentBytes);
    if (WrapWidthLimited())
        ReflowAroundCursor();
    EnsureCursorVisible(doc_, view_, false);
}

void TextEditing::Backspace()
{
    if (doc_.Selection().Active()) {
        doc_.Model().RaiseUndoGroup();
        DeleteSelection();
        return;
    }
    if (doc_.OverwriteMode() && doc_.Selection().cursor.column > 0) {
        motion_.Left();
        BlankAtCursor();
        return;
    }
    if (doc_.Selection().cursor.column > 0) {
        motion_.Left();
        RemoveAtCursor();
    } else if (doc_.Selection().cursor.line > 0) {
        // Join with the line above, which loses its terminator.
        const LineIndex above = doc_.Selection().cursor.line - 1;
        LineView previous = doc_.Text().Line(above);
        LineView current = doc_.Text().Line(doc_.Selection().cursor.line);
        const std::uint32_t end = ContentEnd(previous);
        // A line cut by the wrap width has no line end to take away: its last character goes.
        const std::uint32_t keep =
            end == previous.Length() && end > 0 ? UnitStart(previous, end - 1, doc_.Rules()) : end;
        LineRecord joined(previous.Bytes(), keep);
        joined.Append(current.Bytes(), current.Length());
        doc_.Model().RemoveLine(doc_.Selection().cursor.line, true);
        doc_.Selection().cursor.line = above;
        Replace(std::move(joined));
        PlaceAt(above, keep);
    } else {
        return;
    }
    if (WrapWidthLimited())
        ReflowAroundCursor();
}

void TextEditing::Delete()
{
    doc_.Model().RaiseUndoGroup();
    if (doc_.Selection().Active()) {
        DeleteSelection();
        return;
    }
    LineView current = doc_.Text().Line(doc_.Selection().cursor.line);
    if (doc_.OverwriteMode() && doc_.Selection().cursor.column < motion_.LineLength(doc_.Selection().cursor.line)) {
        BlankAtCursor();
        return;
    }
    if (doc_.Selection().cursor.column < motion_.LineLength(doc_.Selection().cursor.line)) {
        RemoveAtCursor();
    } else if (doc_.Selection().cursor.line + 1 < doc_.Text().LineCount()) {
        LineView next = doc_.Text().Line(doc_.Selection().cursor.line + 1);
        const std::uint32_t end = ContentEnd(current);
        LineRecord joined(current.Bytes(), end);
        // A line cut by the wrap width has no line end to take away: the next character goes.
        const std::uint32_t skip = end == current.Length() && next.Length() > 0 ? UnitLength(next, 0) : 0;
        joined.Append(next.Bytes() + skip, next.Length() - skip);
        Replace(std::move(joined));
        doc_.Model().RemoveLine(doc_.Selection().cursor.line + 1, true);
    } else {
        return;
    }
    if (WrapWidthLimited())
        ReflowAroundCursor();
}

void TextEditing::DeleteSelection()
{
    const SelectionRange range = SelectionRange::Of(doc_, doc_.Selection().block);
    if (range.Empty())
        return;
    if (range.block) {
        DeleteBlock(range.upper, range.lower, range.left, range.right);
    } else {
        const std::uint32_t leftIndex = IndexOfColumn(range.upper, range.left);
        const std::uint32_t rightIndex = IndexOfColumn(range.lower, range.right);
        LineView top = doc_.Text().Line(range.upper);
        LineView bottom = doc_.Text().Line(range.lower);
        LineRecord joined(top.Bytes(), leftIndex);
        joined.Append(bottom.Bytes() + rightIndex, bottom.Length() - rightIndex);
        for (LineIndex line = range.lower; line > range.upper; --line)
            doc_.Model().RemoveLine(line, true);
        doc_.Selection().cursor.line = range.upper;
        Replace(std::move(joined));
    }
    doc_.Selection().Clear();
    doc_.Selection().block = false;
    doc_.Selection().cursor.line = range.upper;
    doc_.Text().SetCurrentLine(range.upper);
    // Where the deleted text was: a wide character or a tab that began left of a block covers the
    // block's left column, and the cursor goes after it, to a cell's start.
    const std::int64_t left = std::min<std::int64_t>(range.left, motion_.LineLength(range.upper));
    doc_.Selection().cursor.column = doc_.Selection().preferredColumn = static_cast<Column>(
        IndexToColumn(doc_.Text().Line(range.upper), ByteAtOrAfter(range.upper, left), doc_.Rules()));
    doc_.MarkModified();
    if (doc_.BinaryMode())
        doc_.ReflowKeepingOffset(-1);
    EnsureCursorVisible(doc_, view_, false);
}

void TextEditing::DeleteBlock(LineIndex upper, LineIndex lower, Column left, Column right)
{
    // Every line keeps what starts left of the block and from its right edge on; terminators stay.
    for (LineIndex line = upper; line <= lower; ++line) {
        LineView view = doc_.Text().Line(line);
        const std::uint32_t end = ContentEnd(view);
        const std::uint32_t from = std::min(ByteAtOrAfter(line, left), end);
        const std::uint32_t to = std::min(ByteAtOrAfter(line, right), end);
        if (from >= to)
            continue;
        LineRecord kept(view.Bytes(), from);
        kept.Append(view.Bytes() + to, view.Length() - to);
        doc_.Text().SetCurrentLine(line);
        doc_.Model().ReplaceCurrentLine(std::move(kept));
    }
}

}  // namespace quill
