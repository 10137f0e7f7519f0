// The editor's keys and typed characters, without a toolkit: the view and the scenario tests both
// feed them here.
#pragma once

#include <string>

#include "view/ClipboardEditing.h"
#include "view/CursorMotion.h"
#include "view/TextEditing.h"

namespace quill {

class CQVXDoc;
class Clipboard;
struct ViewState;

enum class EditorKey { Left, Right, Up, Down, Home, End, PageUp, PageDown, Insert, Delete, Backspace, Enter, Tab, Escape };

class KeyInput {
public:
    /// What a key did, so the view knows what to repaint.
    enum class Effect { None, CursorMoved, TextChanged };

    KeyInput(CQVXDoc& doc, ViewState& view, Clipboard& clipboard);

    Effect Press(EditorKey key, bool shift, bool ctrl);
    /// Typed characters as code page 1252 display codes; control codes below blank are ignored.
    Effect Type(const std::string& characters);

    CursorMotion& Motion() { return motion_; }
    TextEditing& Editing() { return editing_; }
    ClipboardEditing& Clip() { return clipboard_; }

private:
    Effect Move(EditorKey key, bool shift, bool ctrl);
    Effect Tab(bool shift);
    /// Tab on a selection: indents (or unindents) the lines from the upper selected line up to,
    /// not including, the lower one.
    void IndentSelection(bool unindent);

    CQVXDoc& doc_;
    ViewState& view_;
    CursorMotion motion_;
    TextEditing editing_;
    ClipboardEditing clipboard_;
};

}  // namespace quill
