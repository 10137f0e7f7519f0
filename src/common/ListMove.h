// Moving the selected entry of a dialog list one place up or down.
#pragma once

#include <cstddef>

namespace quill {

/// Exchanges the selected entry with its neighbour (step -1: the one before, +1: the one after)
/// and keeps it selected; nothing at the ends or without a selection.
template <class Swap> void MoveSelected(int& selected, std::size_t count, int step, Swap swap)
{
    const int target = selected + step;
    if (selected < 0 || target < 0 || static_cast<std::size_t>(selected) >= count ||
        static_cast<std::size_t>(target) >= count)
        return;
    swap(static_cast<std::size_t>(selected), static_cast<std::size_t>(target));
    selected = target;
}

}  // namespace quill
