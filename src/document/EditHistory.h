// The undo and redo lists of a text, in groups, and the place of the saved text in them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "document/UndoRecord.h"

namespace quill {

/// One list of records in the order they were made, and the place the text is at in it: the
/// records before it can be undone, those from it on redone. Undo and Redo turn each record into
/// its taking-back where it lies, so that taking back a million changes moves nothing and
/// allocates nothing.
class EditHistory {
public:
    /// A new change, in the current group; it ends what could be redone.
    void Record(UndoRecord record);

    /// The record made last (there must be one).
    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < records_.size(); }
    std::size_t UndoCount() const { return done_; }
    /// Starts a new group: what follows is undone on its own.
    void RaiseGroup() { ++group_; }
    std::uint32_t Group() const { return group_; }
    /// The group the next Undo takes back (meaningful while CanUndo).
    std::uint32_t NewestUndoGroup() const { return done_ == 0 ? 0 : records_[done_ - 1].group; }

    /// `apply(record)` carries out a record and turns it, where it lies, into the record that
    /// takes it back. Undo takes back the newest group of the undo list (Redo the oldest of the
    /// redo list); what it took back can be taken back again. Later changes are a group of their
    /// own.
    template <class Apply> void Undo(Apply&& apply)
    {
        if (done_ == 0)
            return;
        const std::uint32_t group = records_[done_ - 1].group;
        for (; done_ > 0 && records_[done_ - 1].group == group; --done_)
            apply(records_[done_ - 1]);
        ++group_;  // changes made from here on are never merged with a taken-back group
    }
    template <class Apply> void Redo(Apply&& apply)
    {
        if (done_ == records_.size())
            return;
        const std::uint32_t group = records_[done_].group;
        for (; done_ < records_.size() && records_[done_].group == group; ++done_)
            apply(records_[done_]);
        ++group_;
    }
    /// Takes back undo records until `count` are left, leaving nothing to redo of them.
    template <class Apply> void TakeBackTo(std::size_t count, Apply&& apply)
    {
        for (; done_ > count; --done_)
            apply(records_[done_ - 1]);
        records_.resize(done_);
    }
    /// The lines were cut anew and no byte changed (another wrap width): the records on both
    /// sides name lines of the old cut, so each side gets a record that puts it back first, in
    /// the group next to it (unless its next record is such a cut already). Nothing to undo or redo
    /// is lost, and the saved text stays where it is.
    void RecordRecut(const LineCut& before, TextPosition cursor);

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
    std::pair<std::uint32_t, std::size_t> Mark() const { return {NewestUndoGroup(), done_}; }

    std::vector<UndoRecord> records_;
    std::size_t done_ = 0;  ///< records [0, done_) can be undone, [done_, size) redone
    /// The mark of the saved text; empty when no undo or redo leads back to it.
    std::optional<std::pair<std::uint32_t, std::size_t>> saved_;
    std::uint32_t group_ = 0;
};

}  // namespace quill
