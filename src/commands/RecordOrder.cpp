// Sorting records: the insertion procedure computed with a sort and a Fenwick tree.
#include "commands/RecordOrder.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>

namespace quill {

namespace {

using Index = std::uint32_t;
constexpr Index kNone = UINT32_MAX;

/// Sorts indices by a strict total order, the two halves on two threads for a long list.
template <typename Less> void SortIndices(std::vector<Index>& indices, Less less)
{
    constexpr std::size_t kShared = 100000;
    const auto middle = indices.begin() + static_cast<std::ptrdiff_t>(indices.size() / 2);
    if (indices.size() >= kShared) {
        try {
            std::thread helper([&] { std::sort(middle, indices.end(), less); });
            std::sort(indices.begin(), middle, less);
            helper.join();
            std::inplace_merge(indices.begin(), middle, indices.end(), less);
            return;
        } catch (const std::system_error&) {
            // no thread to be had: sorted here, below
        }
    }
    std::sort(indices.begin(), indices.end(), less);
}

/// Which places of the final order are taken by blocks inserted so far.
class TakenPlaces {
public:
    explicit TakenPlaces(std::size_t size) : tree_(size + 1, 0)
    {
        while (top_ * 2 <= size)
            top_ *= 2;
    }
    void Take(std::size_t place)
    {
        for (std::size_t i = place + 1; i < tree_.size(); i += i & (~i + 1))
            ++tree_[i];
    }
    /// The last taken place before `place`; kNone when there is none.
    Index Before(std::size_t place) const
    {
        Index count = 0;
        for (std::size_t i = place; i > 0; i -= i & (~i + 1))
            count += tree_[i];
        if (count == 0)
            return kNone;
        // The count-th taken place, found by descending the tree.
        std::size_t at = 0;
        for (std::size_t step = top_; step > 0; step >>= 1)
            if (at + step < tree_.size() && tree_[at + step] < count) {
                at += step;
                count -= tree_[at];
            }
        return static_cast<Index>(at);
    }

private:
    std::vector<Index> tree_;
    std::size_t top_ = 1;
};

}  // namespace

std::vector<LineIndex> SortedRecordOrder(const std::vector<std::optional<std::string>>& keys, std::size_t stopAfter)
{
    // The keyed records stay sorted among themselves, a new one before those of equal key: their
    // final places are a sort by (key, later record first). A record without a key stands at the
    // end when it comes, behind the block then last; a keyed record inserted after a block takes
    // over the records without a key that stood behind that block. Block 0 is the first record.
    const std::size_t size = keys.size();
    const std::size_t last = std::min(size, stopAfter + 1);
    std::vector<Index> keyed;
    for (std::size_t i = 1; i < last; ++i)
        if (keys[i])
            keyed.push_back(static_cast<Index>(i));
    SortIndices(keyed, [&keys](Index a, Index b) {
        const int compared = keys[a]->compare(*keys[b]);
        return compared != 0 ? compared < 0 : a > b;
    });
    std::vector<Index> placeOf(last, kNone);
    for (std::size_t p = 0; p < keyed.size(); ++p)
        placeOf[keyed[p]] = static_cast<Index>(p);

    // Runs of records without a key as linked lists: the first and last of each block's run.
    std::vector<Index> runFirst(last, kNone), runLast(last, kNone), next(last, kNone);
    TakenPlaces taken(keyed.size());
    Index lastBlock = 0;  // the block last in order so far
    for (std::size_t i = 1; i < last; ++i) {
        const auto record = static_cast<Index>(i);
        if (placeOf[i] == kNone) {
            if (runLast[lastBlock] == kNone)
                runFirst[lastBlock] = record;
            else
                next[runLast[lastBlock]] = record;
            runLast[lastBlock] = record;
            continue;
        }
        const Index placeBefore = taken.Before(placeOf[i]);
        const Index before = placeBefore == kNone ? 0 : keyed[placeBefore];
        std::swap(runFirst[record], runFirst[before]);
        std::swap(runLast[record], runLast[before]);
        taken.Take(placeOf[i]);
        if (lastBlock == 0 || placeOf[i] > placeOf[lastBlock])
            lastBlock = record;
    }

    std::vector<LineIndex> order;
    order.reserve(size);
    const auto emit = [&](Index block) {
        order.push_back(block);
        for (Index k = runFirst[block]; k != kNone; k = next[k])
            order.push_back(k);
    };
    if (size > 0)
        emit(0);
    for (Index block : keyed)
        emit(block);
    for (std::size_t i = std::max<std::size_t>(last, 1); i < size; ++i)
        order.push_back(static_cast<LineIndex>(i));
    return order;
}

}  // namespace quill
