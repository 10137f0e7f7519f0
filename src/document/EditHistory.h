// The undo and redo lists of a text, in groups, and the place of the saved text in them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "document/UndoRecord.h"

namespace quill {

class EditHistory {
public:
    /// A new change, in the current group; it ends what could be redone.
    void Record(UndoRecord record);

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    std::size_t UndoCount() const { return undo_.size(); }
    /// Starts a new group: what follows is undone on its own.
    void RaiseGroup() { ++group_; }
    std::uint32_t Group() const { return group_; }
    /// The group the next Undo takes back (meaningful while CanUndo).
    std::uint32_t NewestUndoGroup() const { return undo_.empty() ? 0 : undo_.back().group; }

    /// Carries out a record and returns the record that takes it back.
    using Apply = std::function<UndoRecord(UndoRecord)>;
    /// Takes back the newest group of the undo list (or of the redo list): each record's
    /// taking-back goes to the other list. Later changes are a group of their own.
    void Undo(const Apply& apply) { TakeBackGroup(undo_, redo_, apply); }
    void Redo(const Apply& apply) { TakeBackGroup(redo_, undo_, apply); }
    /// Takes back undo records until `count` are left, leaving nothing to redo of them.
    void TakeBackTo(std::size_t count, const Apply& apply);
    /// Empties both lists. The saved text stays reachable when the text is unmodified.
    void Clear(bool modified);

    /// The text is the saved one here.
    void MarkSaved() { saved_ = Mark(); }
    /// A change that left no record: the saved text cannot be reached again.
    void ForgetSavedIfHere()
    {
        if (AtSaved())
            saved_.reset();
    }
    /// Whether the text is where it was saved.
    bool AtSaved() const { return Mark() == saved_; }

private:
    /// Where in the history the text is: the newest undo group and the undo list's length.
    std::pair<std::uint32_t, std::size_t> Mark() const { return {NewestUndoGroup(), undo_.size()}; }
    void TakeBackGroup(std::vector<UndoRecord>& from, std::vector<UndoRecord>& to, const Apply& apply);

    std::vector<UndoRecord> undo_;
    std::vector<UndoRecord> redo_;
    /// The mark of the saved text; empty when no undo or redo leads back to it.
    std::optional<std::pair<std::uint32_t, std::size_t>> saved_;
    std::uint32_t group_ = 0;
};

}  // namespace quill
