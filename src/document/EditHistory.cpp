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
