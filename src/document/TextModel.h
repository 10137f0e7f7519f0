// The text being edited: its lines, the edits that can be taken back, and the notices every piece
// of per-line state follows. No file, no settings, no questions: the open file and the window sit
// around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "document/EditHistory.h"
#include "text/DisplayRules.h"
#include "text/TextSelection.h"
#include "text/TextStore.h"

namespace quill {

class TextModel {
public:
    /// `rules`: how the lines are shown now (a line's width depends on them).
    TextModel(TextSelection& selection, std::function<DisplayRules()> rules);
    TextModel(const TextModel&) = delete;
    TextModel& operator=(const TextModel&) = delete;

    TextStore& Text() { return text_; }
    const TextStore& Text() const { return text_; }
    /// The editor's cursor and selection, which the edits keep on the text they were on.
    TextSelection& Selection() { return selection_; }
    const TextSelection& Selection() const { return selection_; }
    DisplayRules Rules() const { return rules_(); }
    /// Tells the watcher of every change of the lines (see LineWatcher) until it is removed.
    void AddWatcher(LineWatcher* watcher) { text_.AddWatcher(watcher); }
    void RemoveWatcher(LineWatcher* watcher) { text_.RemoveWatcher(watcher); }

    // ---- Edits ---------------------------------------------------------------------------------
    // Every change of the text goes through these. They take ownership of the line they are given,
    // keep the file size, widest line and current line right, record undo, and tell the watchers.
    /// Replaces the current line; returns the new length.
    std::uint32_t ReplaceCurrentLine(LineRecord newLine);
    /// Cuts the current line in two: it was given its head already, `rest` becomes the line after
    /// it. The current line stays current.
    void SplitCurrentLine(LineRecord rest);
    /// Inserts a line after line `after`; returns the new line's index.
    LineIndex InsertAfter(LineIndex after, LineRecord newLine, bool record);
    /// Inserts a line before the first; returns 0.
    LineIndex InsertAtHead(LineRecord newLine, bool record);
    /// Removes a line; the current line keeps its text (its index follows).
    void RemoveLine(LineIndex index, bool record);
    /// The text becomes these lines at once (Extract Lines), the old text one undo step.
    void ReplaceAllLines(std::unique_ptr<LineSet> lines);
    /// Cuts the whole text anew by `recut`, which moves no byte: the watchers are told before
    /// and after, and the edits that can be taken back keep the old cut to put it back first.
    void Recut(const std::function<void()>& recut);

    // ---- Undo and redo -------------------------------------------------------------------------
    /// Undoes the newest group of records (Redo: the oldest undone group), the cursor put back
    /// where each step had it. True when it put back a cut of other settings, which the caller
    /// cuts again for the settings in force.
    bool Undo() { return TakeBack(false); }
    bool Redo() { return TakeBack(true); }
    /// Takes back the newest changes until the undo list has `count` records again, leaving
    /// nothing to redo: an operation that failed half-way leaves the text as it found it. Returns
    /// as Undo does.
    bool TakeBackTo(std::size_t count);
    /// Empties the undo and redo lists.
    void ClearUndo() { history_.Clear(modified_); }
    bool CanUndo() const { return history_.CanUndo(); }
    bool CanRedo() const { return history_.CanRedo(); }
    std::size_t UndoCount() const { return history_.UndoCount(); }
    /// Starts a new undo group: what follows is undone on its own.
    void RaiseUndoGroup() { history_.RaiseGroup(); }
    std::uint32_t UndoGroup() const { return history_.Group(); }
    /// The group the next Undo takes back (meaningful while CanUndo).
    std::uint32_t NewestUndoGroup() const { return history_.NewestUndoGroup(); }

    // ---- Modified ------------------------------------------------------------------------------
    bool IsModified() const { return modified_; }
    /// A change made without a record (or the flag set back by hand).
    void MarkModified(bool modified);
    /// The text is the file's as loaded or saved: not modified, and undo and redo come back here.
    void MarkUnmodified();

private:
    void Record(UndoRecord::Kind kind, LineRecord line, LineIndex index, bool split = false);
    void WidenFor(LineView line);
    bool TakeBack(bool redo);
    /// Carries out a record and turns it into the record that takes it back, in the same group.
    /// `before` is the place taking it back again returns to.
    void Apply(UndoRecord& record, TextPosition& before);
    void ApplyWithCursor(UndoRecord& record, TextPosition& before);
    void PutBackCut(UndoRecord& record, TextPosition& before);
    /// After records were applied: the cursor on a line, no selection.
    void EndTakingBack();

    TextSelection& selection_;
    std::function<DisplayRules()> rules_;
    TextStore text_;
    EditHistory history_;
    bool modified_ = false;
    bool cutTakenBack_ = false;
};

}  // namespace quill
