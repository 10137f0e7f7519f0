// Moving records between the undo and the redo list.
#include "document/EditHistory.h"

#include <cassert>

namespace quill {

void EditHistory::Record(UndoRecord record)
{
    redo_.clear();  // a new change ends what could be redone
    record.group = group_;
    // The undo list runs from the oldest group to the newest, the redo list the other way.
    assert(undo_.empty() || undo_.back().group <= record.group);
    undo_.push_back(std::move(record));
}

void EditHistory::TakeBackGroup(std::vector<UndoRecord>& from, std::vector<UndoRecord>& to, const Apply& apply)
{
    if (from.empty())
        return;
    const std::uint32_t group = from.back().group;
    while (!from.empty() && from.back().group == group) {
        UndoRecord record = std::move(from.back());
        from.pop_back();
        to.push_back(apply(std::move(record)));
        assert(to.back().group == group);  // a record's taking-back stays in its group
        assert(to.size() < 2 || (&to == &undo_ ? to[to.size() - 2].group <= group : to[to.size() - 2].group >= group));
    }
    // Changes made from here on are a group of their own, never merged with a taken-back one.
    ++group_;
}

void EditHistory::TakeBackTo(std::size_t count, const Apply& apply)
{
    while (undo_.size() > count) {
        UndoRecord record = std::move(undo_.back());
        undo_.pop_back();
        apply(std::move(record));
    }
}

void EditHistory::Clear(bool modified)
{
    undo_.clear();
    redo_.clear();
    // An unmodified text stays reachable (a reflow changes no byte); a changed one no longer is.
    if (modified)
        saved_.reset();
    else
        saved_ = Mark();
}

}  // namespace quill
