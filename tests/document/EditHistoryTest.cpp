// The undo and redo lists on their own: groups, what a new change ends, and the saved text's place.
#include <gtest/gtest.h>

#include <vector>

#include "document/EditHistory.h"

namespace quill {
namespace {

UndoRecord At(LineIndex index) { return UndoRecord{0, UndoRecord::Kind::Replaced, LineRecord(), index, {}, nullptr}; }

TEST(EditHistoryTest, GroupsGoBackAndForthWholeAndTheSavedTextIsFoundAgain)
{
    EditHistory history;
    std::vector<LineIndex> applied;
    const auto apply = [&applied](UndoRecord& record) {
        applied.push_back(record.index);  // the record stays as it is: its own taking-back
    };
    history.MarkSaved();
    history.Record(At(1));
    history.Record(At(2));
    history.RaiseGroup();
    history.Record(At(3));
    EXPECT_FALSE(history.AtSaved());
    history.Undo(apply);  // the newest group only
    EXPECT_EQ(applied, (std::vector<LineIndex>{3}));
    history.Undo(apply);  // then the two records of the first, newest first
    EXPECT_EQ(applied, (std::vector<LineIndex>{3, 2, 1}));
    EXPECT_TRUE(history.AtSaved());
    EXPECT_FALSE(history.CanUndo());
    history.Redo(apply);
    EXPECT_EQ(applied.back(), 2);  // the first group again, whole, in the order of its changes
    EXPECT_EQ(history.UndoCount(), 2u);
    EXPECT_TRUE(history.CanRedo());
    history.RaiseGroup();
    history.Record(At(9));  // a new change ends what could be redone
    EXPECT_FALSE(history.CanRedo());
    EXPECT_FALSE(history.AtSaved());

    // Taken back to a count: nothing of it can be redone.
    history.TakeBackTo(2, apply);
    EXPECT_EQ(history.UndoCount(), 2u);
    EXPECT_FALSE(history.CanRedo());

    // Emptied: an unmodified text stays the saved one, a modified one can no longer reach it.
    history.Clear(false);
    EXPECT_TRUE(history.AtSaved());
    history.Clear(true);
    EXPECT_FALSE(history.AtSaved());
    history.MarkSaved();
    history.ForgetSavedIfHere();  // a change without a record
    EXPECT_FALSE(history.AtSaved());
}

}  // namespace
}  // namespace quill
