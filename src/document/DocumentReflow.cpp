// Reflow, binary mode and the wrap settings, and moving the cursor to a byte offset.
#include <algorithm>
#include <optional>

#include "document/Document.h"
#include "document/DocumentView.h"
#include "document/Reflower.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "settings/Settings.h"

namespace quill {

Column Document::Reflow(LineIndex fromLine)
{
    if (text_.LineCount() == 0)
        return 0;
    const LineIndex before = text_.LineCount();
    Reflower reflower(*this, progress_);
    Column hint = 0;
    // A whole re-cut moves no byte: told as such, it keeps the cursor, the bookmarks and what can
    // be undone on their bytes.
    if (fromLine < 0)
        model_.Recut([&] { hint = reflower.Run(fromLine); });
    else
        hint = reflower.Run(fromLine);
    if (fromLine < 0 && config_.On(Layout::WrapAtBorder))
        borderWrapWidth_ = WindowColumns();
    selection_.cursor.line = std::clamp<LineIndex>(selection_.cursor.line, 0, text_.LineCount() - 1);
    text_.SetCurrentLine(view_ ? selection_.cursor.line : 0);
    UpdateTerminatorStatusText();
    if (view_ && (fromLine < 0 || text_.LineCount() != before))
        view_->Changed(DocumentChange::Text);
    return hint;
}

void Document::PlaceCursorAt(ByteOffset offset)
{
    if (text_.LineCount() == 0) {
        selection_ = TextSelection{};  // no text yet (binary mode switched while a text is reset)
        return;
    }
    if (!GoToOffset(offset)) {
        // The offset just past the last byte: the end of the last line.
        selection_.cursor.line = text_.LineCount() - 1;
        text_.SetCurrentLine(selection_.cursor.line);
        selection_.cursor.column = selection_.preferredColumn =
            static_cast<Column>(DisplayWidth(selection_.cursor.line));
        selection_.Clear();
    }
}

Column Document::ReflowKeepingOffset(LineIndex fromLine)
{
    const ByteOffset offset = CursorByteOffset();
    const Column hint = Reflow(fromLine);
    PlaceCursorAt(offset);
    if (view_) {
        view_->Changed(DocumentChange::CursorPlaced | DocumentChange::Text);
    }
    return hint;
}

bool Document::GoToOffset(ByteOffset offset)
{
    if (offset < 0 || offset >= text_.FileSize())
        return false;
    const bool showProgress = offset > 50000;
    if (showProgress)
        progress_.Begin(40);
    ByteOffset start = 0;
    LineIndex line = 0;
    const LineIndex count = text_.LineCount();
    for (; line < count - 1; ++line) {
        const ByteOffset length = text_.Line(line).Length();
        if (start + length > offset)
            break;
        start += length;
        if (showProgress && line % 100 == 0)
            progress_.Step(start * 40 / std::max<ByteOffset>(1, text_.FileSize()));
    }
    if (showProgress)
        progress_.End();
    const auto index = static_cast<std::uint32_t>(offset - start);
    const DisplayRules rules = Rules();
    selection_.cursor.line = line;
    // A byte of the line end (the LF of a CR LF) puts the cursor at the end of the line's text:
    // typing there must not come between CR and LF.
    const std::int64_t column = IndexToColumn(text_.Line(line), index, rules);
    selection_.cursor.column = selection_.preferredColumn = static_cast<Column>(std::min(column, DisplayWidth(line)));
    selection_.Clear();
    text_.SetCurrentLine(line);
    if (view_)
        view_->Changed(DocumentChange::CursorPlaced);
    return true;
}

void Document::SwitchBinaryMode()
{
    // The cursor's byte is read with the tab rule of the mode the text is in now.
    const ByteOffset offset = view_ ? CursorByteOffset() : 0;
    binaryMode_ = !binaryMode_;
    if (binaryMode_) {
        // An active table is switched off and comes back with binary mode off; one the user had
        // switched off stays off.
        if (charset_.IsActive())
            charset_.Reset();
        else
            charset_.ForgetLoadedPath();
        ignoreFormatCodes_ = true;
        // What binary mode sets, and what the user changes of it while it is on, ends with it.
        config_.Impose(LayoutLevel::Binary,
                       {{Layout::WordWrap, 0},
                        {Layout::MaxLineLen, binaryLineLength_},
                        {Layout::WrapAtBorder, binaryLineLength_ == Settings::kNoLineLimit ? 1 : 0},
                        {Layout::ControlChars, 1},
                        {Layout::Overwrite, 1}});
        ShowOverwriteStatus();
    } else {
        binaryLineLength_ = config_.Get(Layout::MaxLineLen);
        ignoreFormatCodes_ = false;
        LiftLayout(LayoutLevel::Binary);
        charset_.Restore();
    }
    Reflow(-1);
    if (view_) {
        selection_.Clear();
        PlaceCursorAt(offset);
        view_->Changed(DocumentChange::CursorPlaced | DocumentChange::Text);
    }
}

void Document::ToggleWordWrap()
{
    config_.Flip(Layout::WordWrap);
    ReflowKeepingOffset(-1);
}

void Document::ToggleWrapAtWindowBorder()
{
    config_.Flip(Layout::WrapAtBorder);
    config_.Set(Layout::MaxLineLen, Settings::kNoLineLimit);
    ReflowKeepingOffset(-1);
}

int Document::WindowColumns() const
{
    // The window measures itself; without one, the width it had when the program last ran.
    return view_ ? view_->PageColumns() : settings_.pageWidth;
}

int Document::EffectiveLineLength() const
{
    return config_.On(Layout::WrapAtBorder) ? WindowColumns() - 3 : config_.Get(Layout::MaxLineLen);
}

void Document::ToggleControlChars()
{
    config_.Flip(Layout::ControlChars);
    RedrawViews();
}

void Document::ToggleIgnoreFormatCodes()
{
    const ByteOffset offset = CursorByteOffset();
    ignoreFormatCodes_ = !ignoreFormatCodes_;
    Reflow(-1);
    PlaceCursorAt(offset);
    if (view_) {
        view_->Changed(DocumentChange::CursorPlaced | DocumentChange::Text);
    }
}

int Document::BinaryLineLength() const { return binaryMode_ ? config_.Get(Layout::MaxLineLen) : binaryLineLength_; }

void Document::ChangeTabSize(int tabSize)
{
    if (tabSize < 1)
        tabSize = Settings::kDefaultTabSize;  // every tab computation divides by it
    if (tabSize == config_.Get(Layout::TabSize))
        return;
    const ByteOffset offset = CursorByteOffset();
    config_.Set(Layout::TabSize, tabSize);
    selection_.Clear();
    PlaceCursorAt(offset);
    RedrawViews();
}

void Document::ReportOutOfMemory() { prompter_.Error("Out of memory!"); }

}  // namespace quill
