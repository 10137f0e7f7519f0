// The editor's keys, typed characters and mouse actions, without a toolkit: the view and the
// scenario tests both feed them here.
#pragma once

#include <string>

#include "view/ClipboardEditing.h"
#include "view/CursorMotion.h"
#include "view/TextEditing.h"

namespace quill {

class Document;
class Clipboard;
struct ViewState;

enum class EditorKey {
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    PageUp,
    PageDown,
    Insert,
    Delete,
    Backspace,
    Enter,
    Tab,
    Escape
};

class EditorInput {
public:
    /// What a key did, so the view knows what to repaint.
    enum class Effect { None, CursorMoved, TextChanged };

    EditorInput(Document& doc, ViewState& view, Clipboard& clipboard);

    Effect Press(EditorKey key, bool shift, bool ctrl);
    /// Typed characters in UTF-8; control codes below blank are ignored. Without a table each
    /// character's UTF-8 bytes are stored; under an 8-bit table the byte the table has for it, and a
    /// character it has none for is not typed (a beep).
    Effect Type(const std::string& characters);

    /// The left button pressed on a cell (line and column as the view computed them). Shift
    /// extends the selection, Ctrl makes it a block.
    void MousePress(LineIndex line, std::int64_t column, bool shift, bool ctrl);
    /// The mouse moved with the button down: the cursor follows, the anchor stays.
    void MouseMove(LineIndex line, std::int64_t column);
    /// The button released: a selection of nothing is none.
    void MouseRelease();
    /// A double click: the word at the cursor is selected.
    void SelectWord();
    /// While dragging within 20 px of an edge of a client area of width × height px, the view
    /// scrolls one column or line that way; true when it scrolled.
    bool EdgeScroll(int x, int y, int width, int height);

    CursorMotion& Motion() { return motion_; }
    TextEditing& Editing() { return editing_; }
    ClipboardEditing& Clip() { return clipboard_; }

    /// While a file loads in the background: whether the key goes beyond the part read so far or
    /// changes the text, and so waits for the whole text.
    bool ReachesPastTheLoadedPart(EditorKey key, bool shift, bool ctrl) const;

private:
    Effect PressKey(EditorKey key, bool shift, bool ctrl);
    void ForgetEmptySelection();
    Effect Move(EditorKey key, bool shift, bool ctrl);
    /// One character of two or more UTF-8 bytes; false when it was not typed.
    bool TypeCharacter(const std::string& character);
    Effect Tab(bool shift);
    /// Tab on a selection: indents (or unindents) the lines from the upper selected line up to,
    /// not including, the lower one.
    void IndentSelection(bool unindent);

    Document& doc_;
    ViewState& view_;
    CursorMotion motion_;
    TextEditing editing_;
    ClipboardEditing clipboard_;
};

}  // namespace quill
