// Undoing and redoing records in place.
#include "document/EditHistory.h"

#include <cassert>

namespace quill {

void EditHistory::Record(UndoRecord record)
{
    records_.resize(done_);  // a new change ends what could be redone
    record.group = group_;
    // The records run from the oldest group to the newest.
    assert(records_.empty() || records_.back().group <= record.group);
    records_.push_back(std::move(record));
    done_ = records_.size();
}

void EditHistory::RecordRecut(const LineCut& before, TextPosition cursor)
{
    const bool wasSaved = AtSaved();
    const std::size_t at = done_;
    const auto made = [&](std::uint32_t group) {
        UndoRecord record;
        record.group = group;
        record.kind = UndoRecord::Kind::Recut;
        record.cursor = cursor;
        record.cut = std::make_unique<LineCut>(before);
        return record;
    };
    // A side whose next record puts back a cut already needs no other: any cut of the same bytes
    // can be cut back, so repeated resizes do not pile up cuts of the whole text.
    const auto isRecut = [this](std::size_t i) { return records_[i].kind == UndoRecord::Kind::Recut; };
    std::size_t inserted = 0;
    if (CanRedo() && !isRecut(done_)) {
        const std::uint32_t group = records_[done_].group;
        records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(done_), made(group));
        ++inserted;
    }
    if (CanUndo() && !isRecut(done_ - 1)) {
        const std::uint32_t group = records_[done_ - 1].group;
        records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(done_), made(group));
        ++done_;
        ++inserted;
    }
    if (wasSaved)
        saved_ = Mark();
    else if (saved_ && saved_->second > at)  // the saved text lies ahead, among the redone records
        saved_->second += inserted;
}

void EditHistory::Clear(bool modified)
{
    records_.clear();
    done_ = 0;
    // An unmodified text stays reachable (a reflow changes no byte); a changed one no longer is.
    if (modified)
        saved_.reset();
    else
        saved_ = Mark();
}

}  // namespace quill
