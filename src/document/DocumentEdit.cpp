// Undo and redo as commands: the model takes the edits back, the document cuts the text again for
// the settings in force where that is needed, and the view is told.
#include <algorithm>

#include "document/Document.h"
#include "document/DocumentView.h"

namespace quill {

void Document::EndTakingBack(bool cutTakenBack)
{
    if (cutTakenBack) {
        // The text stands in the cut its records were made in: it is cut for the settings in
        // force again, and that cut is recorded like any other.
        Reflow(-1);
        selection_.cursor.line = std::clamp<LineIndex>(selection_.cursor.line, 0, text_.LineCount() - 1);
        text_.SetCurrentLine(selection_.cursor.line);
        selection_.Clear();
    }
}

void Document::TakeBack(bool redo)
{
    if (redo ? !model_.CanRedo() : !model_.CanUndo())
        return;
    EndTakingBack(redo ? model_.Redo() : model_.Undo());
    // Auto reload stays off, as after any change made by the user.
    follow_.SetMode(AutoReload::Off);
    if (view_)
        view_->Changed(DocumentChange::Text);
}

void Document::Undo() { TakeBack(false); }

void Document::Redo() { TakeBack(true); }

void Document::TakeBackTo(std::size_t count) { EndTakingBack(model_.TakeBackTo(count)); }

void Document::MarkUnmodified() { model_.MarkUnmodified(); }

}  // namespace quill
