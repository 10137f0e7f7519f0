// One recorded change of the text, kept so that Undo can put the old state back.
#pragma once

#include <cstdint>
#include <memory>

#include "text/LineCut.h"
#include "text/LineRecord.h"
#include "text/TextSelection.h"
#include "text/TextStore.h"
#include "text/TextTypes.h"

namespace quill {

struct UndoRecord {
    /// Recut: the lines were cut anew (no byte changed); the record holds the other cut.
    enum class Kind { Replaced = 1, Deleted = 2, Inserted = 3, Swapped = 4, Recut = 5 };

    std::uint32_t group = 0;  ///< the undo group current when the change was made
    Kind kind = Kind::Replaced;
    LineRecord line;                 ///< Replaced: the old content; Deleted: the removed line
    LineIndex index = 0;             ///< the line the change applied to, at the moment of the change
    TextPosition cursor;             ///< where the cursor was, to put it back
    std::unique_ptr<LineSet> lines;  ///< Swapped: the whole text before the change
    /// The text store's count of narrowings when the record was made: while it is the same, the
    /// record's line is no wider than the widest line.
    std::uint32_t narrowings = 0;
    std::unique_ptr<LineCut> cut = nullptr;  ///< Recut: the cut to put back
    /// Inserted or Deleted: the line is (or was) the rest of the line before it, cut off by a split.
    bool split = false;
};

}  // namespace quill
