// Deferred line shifts.
#include "text/DeferredLineShifts.h"

#include <algorithm>
#include <numeric>

namespace quill {

void DeferredLineShifts::Begin(const std::vector<LineIndex>& lines)
{
    order_.resize(lines.size());
    std::iota(order_.begin(), order_.end(), std::size_t{0});
    std::stable_sort(order_.begin(), order_.end(),
                     [&lines](std::size_t a, std::size_t b) { return lines[a] < lines[b]; });
    base_.resize(lines.size());
    for (std::size_t j = 0; j < order_.size(); ++j)
        base_[j] = lines[order_[j]];
    tree_.assign(lines.size() + 1, 0);
    active_ = true;
}

LineIndex DeferredLineShifts::ValueAt(std::size_t position) const
{
    LineIndex sum = 0;
    for (std::size_t i = position + 1; i > 0; i -= i & (~i + 1))
        sum += tree_[i];
    return base_[position] + sum;
}

void DeferredLineShifts::AddFrom(std::size_t position, LineIndex delta)
{
    for (std::size_t i = position + 1; i < tree_.size(); i += i & (~i + 1))
        tree_[i] += delta;
}

void DeferredLineShifts::Shift(LineIndex from, int delta)
{
    // A removal at line 0 leaves a number 0 where it is: only those from 1 on move up.
    if (delta < 0 && from < 1)
        from = 1;
    // The numbers stay sorted under every shift, so the first one to move is found by halving.
    std::size_t low = 0, high = base_.size();
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (ValueAt(middle) >= from)
            high = middle;
        else
            low = middle + 1;
    }
    if (low < base_.size())
        AddFrom(low, delta);
}

std::vector<LineIndex> DeferredLineShifts::Finish()
{
    std::vector<LineIndex> lines(base_.size());
    for (std::size_t j = 0; j < base_.size(); ++j)
        lines[order_[j]] = ValueAt(j);
    active_ = false;
    return lines;
}

}  // namespace quill
