// Many line numbers moved by many line insertions and removals, without touching every number
// for every line.
#pragma once

#include <cstdint>
#include <vector>

#include "text/TextTypes.h"

namespace quill {

/// Line numbers kept sorted, with the shifts in a Fenwick tree over their sorted positions: each
/// shift costs O(log² n) instead of O(n). A shift moves every number at or below a line.
class DeferredLineShifts {
public:
    void Begin(const std::vector<LineIndex>& lines);
    bool Active() const { return active_; }
    /// Every number at or below `from` moves by delta (+1 or -1); numbers never go below 0.
    void Shift(LineIndex from, int delta);
    /// The numbers now, in the order Begin was given them; ends the deferred state.
    std::vector<LineIndex> Finish();

private:
    LineIndex ValueAt(std::size_t position) const;
    void AddFrom(std::size_t position, LineIndex delta);

    bool active_ = false;
    std::vector<std::size_t> order_;  ///< original indexes, sorted by line
    std::vector<LineIndex> base_;     ///< the lines at Begin, in sorted order
    std::vector<LineIndex> tree_;     ///< Fenwick tree of the added deltas (1-based)
};

}  // namespace quill
