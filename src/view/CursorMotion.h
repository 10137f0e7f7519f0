// Moving the cursor with the keys and the mouse, in display columns.
#pragma once

#include "text/TextTypes.h"
#include "view/ViewState.h"

namespace quill {

class Document;

/// The cursor moves of the keyboard and a click. Horizontal moves set the preferred column;
/// vertical moves return to it, clamped to the line. Each keeps the text's current line on the
/// cursor line and the cursor on the page.
class CursorMotion {
public:
    CursorMotion(Document& doc, ViewState& view) : doc_(doc), view_(view) {}

    /// Puts the cursor on a display line at a column, without a selection, shown in the middle.
    void GoToRow(LineIndex row, std::int64_t column);

    void Left();
    void Right();
    void Up();
    void Down();
    void Home();
    void End();
    void PageUp();
    void PageDown();
    void DocumentStart();
    void DocumentEnd();
    /// A click on a cell: the cursor goes to the start of the character covering it.
    void ClickAt(LineIndex line, std::int64_t column);

    /// "Select All": from the start of the text to the end of its last line.
    void SelectAll();

    /// Ctrl+Left and Ctrl+Right outside structures: to the start of the word before the cursor, or
    /// past the word at the cursor; elsewhere one character.
    void WordLeft();
    void WordRight();
    /// Letters, digits, "_" and the accented letters of code page 1252, by display code.
    static bool IsWordCharacter(std::uint8_t shown);
    /// Whether the character at a column of a line belongs to a word (UTF-8 letters of every
    /// script too); where the word holding a column starts, and the column after its end.
    bool WordAt(LineIndex line, std::int64_t column) const;
    std::int64_t WordStart(LineIndex line, std::int64_t column) const;
    std::int64_t WordEnd(LineIndex line, std::int64_t column) const;

    /// Field navigation of a structure: to the column after the field at the cursor (or on to the
    /// next field), or back to the start of the field (or of the one before).
    void NextField();
    void PreviousField();

    /// Goes to a 1-based line and a display column; -1 leaves either as it is. Clears the selection.
    void GoToLine(LineIndex line, std::int64_t column);

    /// Columns of the cursor line up to its terminator (the last column the cursor may reach).
    std::int64_t LineLength(LineIndex line) const;

private:
    void SetLine(LineIndex line);
    void SetColumn(std::int64_t column, bool horizontal);
    /// How Left, Right, Home and End move the window sideways.
    enum class Sideways { Left, Right, Home, End };
    void MoveInLine(std::int64_t column, Sideways scroll);
    /// The column where the character covering a column starts, and the column after it.
    std::int64_t ColumnStart(LineIndex line, std::int64_t column) const;
    std::int64_t ColumnAfter(LineIndex line, std::int64_t column) const;
    std::int64_t IndentWidth() const;

    Document& doc_;
    ViewState& view_;
};

}  // namespace quill
