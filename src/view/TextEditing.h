// Typing, Enter, Backspace and Delete at the cursor, built on the document's primitives.
#pragma once

#include <cstdint>
#include <string>

#include "text/LineRecord.h"
#include "text/TextTypes.h"
#include "view/CursorMotion.h"

namespace quill {

class Document;
struct ViewState;

/// Every edit builds the changed line as a new line record and hands it to a primitive, so undo
/// sees it; where the line may now need other cuts it reflows from the line above and puts the
/// cursor back on its byte.
class TextEditing {
public:
    TextEditing(Document& doc, ViewState& view);

    /// Inserts one character. raw: the byte as it is; otherwise a display code that goes through
    /// the input table, where CR breaks the line and LF becomes a form feed that breaks it.
    void InsertChar(std::uint8_t code, bool raw = false);
    /// Types one character given as the bytes to store (a UTF-8 character of a text without a
    /// table); in overwrite mode it takes the place of the character under the cursor.
    void InsertCharacter(const std::string& bytes);
    void Backspace();
    void Delete();
    /// Deletes the selected text (normal or block), leaving the cursor at its start.
    void DeleteSelection();
    /// The first byte of a line whose display column is at or after a column (the line's length
    /// when there is none).
    std::uint32_t ByteAtOrAfter(LineIndex line, std::int64_t column) const;
    /// The byte index covering a display column of a line.
    std::uint32_t IndexOfColumn(LineIndex line, std::int64_t column) const;
    /// Where the line's terminator starts.
    std::uint32_t ContentEnd(LineView line) const;
    /// Puts the cursor on a byte of a line (preferred column too).
    void PlaceAt(LineIndex line, std::uint32_t index);

private:
    void Overwrite(std::uint8_t stored);
    /// Whether typing now overwrites: overwrite mode, and a character (not the line end) under the
    /// cursor.
    bool OverwritesAtCursor() const;
    /// The bytes of the character under the cursor: a whole well-formed UTF-8 sequence, else one.
    std::size_t CharacterLengthAtCursor() const;
    /// Bytes of the character (with its marks, or the one byte) at a line's index.
    std::uint32_t UnitLength(LineView line, std::uint32_t index) const;
    /// Overwrite's Delete and Backspace: the character at the cursor becomes a blank.
    void BlankAtCursor();
    /// The character at the cursor goes.
    void RemoveAtCursor();
    /// Inserts stored bytes at the cursor, which goes after them, and re-cuts a wrapped line.
    void InsertStored(const std::string& stored);
    /// Ends the line at the cursor: Enter (the file's line end), Ctrl+Enter (a form feed), or a
    /// raw line-end byte inserted as it is.
    void BreakLine(std::uint8_t code, bool raw = false);
    /// Reflows from the line above the cursor and puts the cursor back on the same byte.
    void ReflowAroundCursor();
    bool WrapWidthLimited() const;
    std::uint32_t CursorIndex() const;
    void Replace(LineRecord line);
    void DeleteBlock(LineIndex upper, LineIndex lower, Column left, Column right);

    Document& doc_;
    ViewState& view_;
    CursorMotion motion_;
};

}  // namespace quill
