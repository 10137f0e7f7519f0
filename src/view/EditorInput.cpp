// Key dispatch of the editor.
#include "view/EditorInput.h"

#include <algorithm>

#include "common/Utf8.h"
#include "document/Document.h"
#include "platform/Prompter.h"
#include "settings/Settings.h"
#include "view/SelectionRange.h"
#include "view/ViewState.h"

namespace quill {

EditorInput::EditorInput(Document& doc, ViewState& view, Clipboard& clipboard)
    : doc_(doc),
      view_(view),
      motion_(doc, view),
      editing_(doc, view),
      clipboard_(doc, view, clipboard)
{
}

bool EditorInput::ReachesPastTheLoadedPart(EditorKey key, bool shift, bool ctrl) const
{
    const LineIndex last = doc_.Text().LineCount() - 1;
    const LineIndex line = doc_.Selection().cursor.line;
    switch (key) {
    case EditorKey::Left:
    case EditorKey::Up:
    case EditorKey::Home:
    case EditorKey::PageUp:
    case EditorKey::Escape: return false;
    case EditorKey::Right:
    case EditorKey::Down: return line >= last;
    case EditorKey::End: return ctrl;
    case EditorKey::PageDown: return line + view_.pageLines >= last || view_.topLine + 2 * view_.pageLines > last;
    case EditorKey::Insert: return shift;  // Shift+Insert pastes; Ctrl+Insert copies what is there
    default: return true;                  // the keys that change the text need all of it
    }
}

EditorInput::Effect EditorInput::Press(EditorKey key, bool shift, bool ctrl)
{
    // A key that goes beyond the part of a file read so far, or changes the text, acts on the
    // whole text: the rest is read first.
    if (doc_.LoadingInBackground() && ReachesPastTheLoadedPart(key, shift, ctrl))
        doc_.CompleteBackgroundLoad();
    const Effect effect = PressKey(key, shift, ctrl);
    ForgetEmptySelection();
    return effect;
}

void EditorInput::ForgetEmptySelection()
{
    // A selection that shrank to nothing is none: its anchor left where the cursor stands would
    // select text once an edit moved the cursor away from it.
    if (!doc_.Selection().Active()) {
        doc_.Selection().Clear();
        doc_.Selection().block = false;
    }
}

EditorInput::Effect EditorInput::PressKey(EditorKey key, bool shift, bool ctrl)
{
    switch (key) {
    case EditorKey::Escape: doc_.Selection().Clear(); return Effect::CursorMoved;
    case EditorKey::Insert:
        if (ctrl) {
            clipboard_.Copy();  // Ctrl+Insert
            return Effect::None;
        }
        if (shift) {
            clipboard_.Paste();  // Shift+Insert
            return Effect::TextChanged;
        }
        doc_.SetOverwriteMode(!doc_.OverwriteMode());
        return Effect::CursorMoved;
    case EditorKey::Delete:
        if (shift)
            clipboard_.Cut();  // Shift+Delete
        else
            editing_.Delete();
        return Effect::TextChanged;
    case EditorKey::Backspace: editing_.Backspace(); return Effect::TextChanged;
    case EditorKey::Enter:
        if (doc_.OverwriteMode() && !ctrl) {
            doc_.Model().RaiseUndoGroup();
            doc_.Selection().cursor.column = doc_.Selection().preferredColumn = 0;
            motion_.Down();
            return Effect::CursorMoved;
        }
        editing_.InsertChar(ctrl ? kLF : kCR);  // Ctrl+Enter: a form feed
        return Effect::TextChanged;
    case EditorKey::Tab: return Tab(shift);
    default: return Move(key, shift, ctrl);
    }
}

EditorInput::Effect EditorInput::Move(EditorKey key, bool shift, bool ctrl)
{
    doc_.Model().RaiseUndoGroup();
    const bool horizontal = key == EditorKey::Left || key == EditorKey::Right;
    if (ctrl && horizontal && doc_.Structure().IsActive()) {
        doc_.Selection().Clear();
        key == EditorKey::Left ? motion_.PreviousField() : motion_.NextField();
        return Effect::CursorMoved;
    }
    if (!shift && doc_.Selection().Active() && (key == EditorKey::Left || key == EditorKey::Up)) {
        // Left or Up on a selection goes to its anchor.
        motion_.ClickAt(doc_.Selection().anchor.line, doc_.Selection().anchor.column);
        doc_.Selection().Clear();
        return Effect::CursorMoved;
    }
    if (shift && !doc_.Selection().Active()) {
        doc_.Selection().anchor.line = doc_.Selection().cursor.line;
        doc_.Selection().anchor.column = doc_.Selection().cursor.column;
        doc_.Selection().block = false;
    } else if (!shift) {
        doc_.Selection().Clear();
    }
    switch (key) {
    case EditorKey::Left: ctrl ? motion_.WordLeft() : motion_.Left(); break;
    case EditorKey::Right: ctrl ? motion_.WordRight() : motion_.Right(); break;
    case EditorKey::Up: motion_.Up(); break;
    case EditorKey::Down: motion_.Down(); break;
    case EditorKey::Home: ctrl ? motion_.DocumentStart() : motion_.Home(); break;
    case EditorKey::End: ctrl ? motion_.DocumentEnd() : motion_.End(); break;
    case EditorKey::PageUp: motion_.PageUp(); break;
    case EditorKey::PageDown: motion_.PageDown(); break;
    default: return Effect::None;
    }
    return Effect::CursorMoved;
}

EditorInput::Effect EditorInput::Tab(bool shift)
{
    if (doc_.Selection().Active() && !doc_.BinaryMode()) {
        IndentSelection(shift);
        return Effect::TextChanged;
    }
    if (doc_.Structure().IsActive() && doc_.OverwriteMode() && !doc_.BinaryMode()) {
        // In a record, Tab goes from field to field.
        doc_.Model().RaiseUndoGroup();
        shift ? motion_.PreviousField() : motion_.NextField();
        return Effect::CursorMoved;
    }
    const Settings& settings = doc_.AppSettings();
    if (settings.tabAsSpace)
        for (int i = 0; i < doc_.Config().Get(Layout::TabSize); ++i)
            editing_.InsertChar(kBlank);
    else
        editing_.InsertChar(kTab);
    return Effect::TextChanged;
}

void EditorInput::IndentSelection(bool unindent)
{
    const SelectionRange range = SelectionRange::Of(doc_, doc_.Selection().block);
    const Settings& settings = doc_.AppSettings();
    const DisplayRules rules = doc_.Rules();
    const auto tabSize = static_cast<std::size_t>(rules.tabSize);
    const LineIndex keep = doc_.Text().CurrentIndex();
    doc_.Model().RaiseUndoGroup();
    bool changed = false;
    for (LineIndex line = range.upper; line < range.lower; ++line) {
        const LineView view = doc_.Text().Line(line);
        std::string bytes(view.Text());
        if (!unindent) {
            bytes.insert(0, settings.tabAsSpace ? std::string(tabSize, ' ')
                                                : std::string(1, static_cast<char>(rules.tab)));
        } else if (!bytes.empty() && static_cast<std::uint8_t>(bytes[0]) == rules.tab) {
            bytes.erase(0, 1);
        } else {
            std::size_t blanks = 0;
            while (blanks < bytes.size() && blanks < tabSize && bytes[blanks] == ' ')
                ++blanks;
            if (blanks == 0)
                continue;
            bytes.erase(0, blanks);
        }
        doc_.Text().SetCurrentLine(line);
        doc_.Model().ReplaceCurrentLine(LineRecord(bytes));
        changed = true;
    }
    doc_.Text().SetCurrentLine(keep);
    if (changed)
        doc_.MarkModified();
}

void EditorInput::MousePress(LineIndex line, std::int64_t column, bool shift, bool ctrl)
{
    doc_.Model().RaiseUndoGroup();
    if (shift && !doc_.Selection().Active()) {
        doc_.Selection().anchor.line = doc_.Selection().cursor.line;
        doc_.Selection().anchor.column = doc_.Selection().cursor.column;
    }
    motion_.ClickAt(std::clamp<LineIndex>(line, 0, doc_.Text().LineCount() - 1), std::max<std::int64_t>(0, column));
    if (!shift) {
        doc_.Selection().anchor.line = doc_.Selection().cursor.line;  // a drag from here selects
        doc_.Selection().anchor.column = doc_.Selection().cursor.column;
    }
    doc_.Selection().block = ctrl;
}

void EditorInput::MouseMove(LineIndex line, std::int64_t column)
{
    motion_.ClickAt(std::clamp<LineIndex>(line, 0, doc_.Text().LineCount() - 1), std::max<std::int64_t>(0, column));
}

void EditorInput::MouseRelease()
{
    if (!doc_.Selection().Active()) {
        doc_.Selection().Clear();
        doc_.Selection().block = false;
    }
}

bool EditorInput::EdgeScroll(int x, int y, int width, int height)
{
    constexpr int kEdge = 20;
    const ViewState before = view_;
    if (x < kEdge && view_.leftColumn > 0)
        --view_.leftColumn;
    else if (x > width - kEdge)
        ++view_.leftColumn;
    if (y < kEdge && view_.topLine > 0)
        --view_.topLine;
    else if (y > height - kEdge && view_.topLine + view_.pageLines < doc_.Text().LineCount())
        ++view_.topLine;
    return before.topLine != view_.topLine || before.leftColumn != view_.leftColumn;
}

void EditorInput::SelectWord()
{
    const LineIndex line = doc_.Selection().cursor.line;
    doc_.Selection().anchor.line = line;
    doc_.Selection().anchor.column = static_cast<Column>(motion_.WordStart(line, doc_.Selection().cursor.column));
    doc_.Selection().cursor.column = doc_.Selection().preferredColumn =
        static_cast<Column>(motion_.WordEnd(line, doc_.Selection().cursor.column));
    doc_.Selection().block = false;
}

EditorInput::Effect EditorInput::Type(const std::string& characters)
{
    if (doc_.LoadingInBackground() && !characters.empty())
        doc_.CompleteBackgroundLoad();  // a change needs the whole text
    bool typed = false;
    const auto* p = reinterpret_cast<const unsigned char*>(characters.data());
    const auto* end = p + characters.size();
    while (p < end) {
        if (*p < 0x80) {
            if (*p >= 0x20 && *p != 0x7F) {
                editing_.InsertChar(*p);
                typed = true;
            }
            ++p;
            continue;
        }
        const std::size_t length = std::max<std::size_t>(1, Utf8SequenceLength(p, end));
        const std::string character(reinterpret_cast<const char*>(p), length);
        p += length;
        if (length == 1)
            continue;  // no character
        typed |= TypeCharacter(character);
    }
    ForgetEmptySelection();
    return typed ? Effect::TextChanged : Effect::None;
}

bool EditorInput::TypeCharacter(const std::string& character)
{
    if (doc_.Utf8Text()) {
        editing_.InsertCharacter(character);  // text without a table is UTF-8
        return true;
    }
    // Under an 8-bit table (or in an 8-bit file without one) only a character of its code page
    // that the table can store is typed; any other would become another character.
    std::string missing;
    const std::string shown = doc_.Charset().ShownFromUtf8(character, missing);
    if (shown.size() != 1) {
        doc_.Ports().prompter.Beep();
        return false;
    }
    editing_.InsertChar(static_cast<std::uint8_t>(shown[0]));
    return true;
}

}  // namespace quill
