// Counting the file's lines among the display lines.
#include "text/FileLineIndex.h"

#include <algorithm>
#include <bit>

namespace quill {

namespace {

using Sums = FileLineIndex::Sums;

Sums Prefix(const std::vector<Sums>& tree, std::size_t count)
{
    Sums sum;
    for (std::size_t i = count; i > 0; i -= i & (~i + 1)) {
        sum.rows += tree[i].rows;
        sum.ends += tree[i].ends;
    }
    return sum;
}

void AddAt(std::vector<Sums>& tree, std::size_t position, std::int64_t rows, std::int64_t ends)
{
    for (std::size_t i = position + 1; i < tree.size(); i += i & (~i + 1)) {
        tree[i].rows += rows;
        tree[i].ends += ends;
    }
}

/// The first chunk whose running sum of one count passes target, and the sums of the chunks
/// before it.
std::pair<std::size_t, Sums> Descend(const std::vector<Sums>& tree, std::int64_t Sums::*count, std::int64_t target)
{
    const std::size_t size = tree.size() - 1;
    std::size_t position = 0;
    Sums before;
    for (std::size_t step = size ? std::bit_floor(size) : 0; step > 0; step >>= 1) {
        if (position + step <= size && before.*count + tree[position + step].*count <= target) {
            position += step;
            before.rows += tree[position].rows;
            before.ends += tree[position].ends;
        }
    }
    return {position, before};
}

bool EndsWith(LineView line, std::uint8_t lineEnd)
{
    return line.Length() > 0 && line.ByteAt(line.Length() - 1) == lineEnd;
}

}  // namespace

void FileLineIndex::SetLineEnd(std::optional<std::uint8_t> lineEnd)
{
    if (lineEnd == lineEnd_)
        return;
    lineEnd_ = lineEnd;
    valid_ = false;
}

bool FileLineIndex::Ends(std::size_t row) const { return EndsWith(lines_[row].View(), *lineEnd_); }

std::uint32_t FileLineIndex::CountEnds(std::size_t from, std::size_t to) const
{
    std::uint32_t count = 0;
    while (from < to) {
        // Walk the slots that lie side by side in memory, not through the gap on every step.
        auto [slots, available] = lines_.StretchFrom(from);
        const std::size_t n = std::min(available, to - from);
        for (std::size_t k = 0; k < n; ++k)
            count += EndsWith(slots[k].View(), *lineEnd_);
        from += n;
    }
    return count;
}

void FileLineIndex::Rebuild() const
{
    chunks_.clear();
    totalEnds_ = 0;
    const std::size_t total = lines_.Size();
    for (std::size_t first = 0; first < total; first += kChunkRows) {
        Chunk chunk;
        chunk.rows = static_cast<std::uint32_t>(std::min<std::size_t>(kChunkRows, total - first));
        chunk.ends = CountEnds(first, first + chunk.rows);
        totalEnds_ += chunk.ends;
        chunks_.push_back(chunk);
    }
    totalRows_ = static_cast<std::int64_t>(total);
    valid_ = true;
    treeValid_ = false;
}

void FileLineIndex::RebuildTree() const
{
    // A Fenwick tree is built in one pass: each node passes its sum on to its parent.
    const std::size_t n = chunks_.size();
    tree_.assign(n + 1, Sums{});
    for (std::size_t i = 1; i <= n; ++i) {
        tree_[i].rows += chunks_[i - 1].rows;
        tree_[i].ends += chunks_[i - 1].ends;
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= n) {
            tree_[parent].rows += tree_[i].rows;
            tree_[parent].ends += tree_[i].ends;
        }
    }
    treeValid_ = true;
}

bool FileLineIndex::Following()
{
    if (!Counting() || !valid_)
        return false;
    // A burst of changes (a reflow, a line filter) is cheaper counted again once, when a question
    // comes, than followed change by change.
    if (++changes_ > std::max<std::int64_t>(4096, totalRows_ / 256))
        valid_ = false;
    return valid_;
}

void FileLineIndex::Ready() const
{
    changes_ = 0;
    if (!valid_)
        Rebuild();
    if (!treeValid_)
        RebuildTree();
}

std::pair<std::size_t, std::size_t> FileLineIndex::ChunkOf(std::size_t row) const
{
    if (static_cast<std::int64_t>(row) >= totalRows_)
        return {chunks_.size() - 1, static_cast<std::size_t>(totalRows_ - chunks_.back().rows)};
    if (!treeValid_)
        RebuildTree();
    auto [chunk, before] = Descend(tree_, &Sums::rows, static_cast<std::int64_t>(row));
    return {chunk, static_cast<std::size_t>(before.rows)};
}

void FileLineIndex::Add(std::size_t chunk, int rows, int ends)
{
    chunks_[chunk].rows = static_cast<std::uint32_t>(static_cast<int>(chunks_[chunk].rows) + rows);
    chunks_[chunk].ends = static_cast<std::uint32_t>(static_cast<int>(chunks_[chunk].ends) + ends);
    totalRows_ += rows;
    totalEnds_ += ends;
    if (treeValid_)
        AddAt(tree_, chunk, rows, ends);
}

void FileLineIndex::Split(std::size_t chunk, std::size_t firstRow)
{
    const Chunk whole = chunks_[chunk];
    Chunk front;
    front.rows = whole.rows / 2;
    front.ends = CountEnds(firstRow, firstRow + front.rows);
    chunks_[chunk] = {whole.rows - front.rows, whole.ends - front.ends};
    chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(chunk), front);
    treeValid_ = false;
}

void FileLineIndex::Inserted(std::size_t row)
{
    const bool atEnd = static_cast<std::int64_t>(row) >= totalRows_;
    // Lines appended at the end (a load reading on, a followed file that grew) cost a step each,
    // however many come: counting everything again would read every line's end, which for a
    // mapped file means bringing all its pages back, at every step of a load.
    if (!(atEnd && valid_ && Counting()) && !Following())
        return;
    if (chunks_.empty() || (atEnd && chunks_.back().rows >= kChunkRows)) {
        chunks_.push_back(Chunk());
        treeValid_ = false;
    }
    auto [chunk, first] = ChunkOf(row);
    Add(chunk, 1, Ends(row) ? 1 : 0);
    if (chunks_[chunk].rows > 2 * kChunkRows)
        Split(chunk, first);
}

void FileLineIndex::Removed(std::size_t row, LineView old)
{
    if (!Following())
        return;
    auto [chunk, first] = ChunkOf(row);
    Add(chunk, -1, EndsWith(old, *lineEnd_) ? -1 : 0);
    if (chunks_[chunk].rows == 0) {
        chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(chunk));
        treeValid_ = false;
    }
}

void FileLineIndex::Replaced(std::size_t row, LineView old)
{
    if (!Following())
        return;
    const int change = (Ends(row) ? 1 : 0) - (EndsWith(old, *lineEnd_) ? 1 : 0);
    if (change != 0)
        Add(ChunkOf(row).first, 0, change);
}

LineIndex FileLineIndex::FileLineOf(LineIndex row) const
{
    if (!Counting() || row <= 0)
        return std::max<LineIndex>(row, 0);
    Ready();
    // The usual text wraps nothing: every display line but the last ends a line.
    if (totalEnds_ >= totalRows_ - 1)
        return row;
    row = std::min<LineIndex>(row, totalRows_ - 1);
    auto [chunk, first] = ChunkOf(static_cast<std::size_t>(row));
    return Prefix(tree_, chunk).ends + CountEnds(first, static_cast<std::size_t>(row));
}

LineIndex FileLineIndex::FirstRowOf(LineIndex fileLine) const
{
    if (fileLine <= 0)
        return 0;
    const LineIndex lastRow = static_cast<LineIndex>(lines_.Size()) - 1;
    if (!Counting())
        return std::min(fileLine, lastRow);
    Ready();
    if (totalEnds_ >= totalRows_ - 1)
        return std::min(fileLine, lastRow);
    if (fileLine > totalEnds_)
        return lastRow;
    // The line starts after the fileLine-th display line that ends one.
    auto [chunk, before] = Descend(tree_, &Sums::ends, fileLine - 1);
    std::size_t row = static_cast<std::size_t>(before.rows);
    for (std::int64_t seen = before.ends;; ++row) {
        if (Ends(row) && ++seen == fileLine)
            break;
    }
    return std::min<LineIndex>(static_cast<LineIndex>(row) + 1, lastRow);
}

LineIndex FileLineIndex::FileLineCount() const
{
    const LineIndex rows = static_cast<LineIndex>(lines_.Size());
    return rows == 0 ? 0 : FileLineOf(rows - 1) + 1;
}

bool FileLineIndex::Continues(LineIndex row) const
{
    return Counting() && row > 0 && row < static_cast<LineIndex>(lines_.Size()) &&
           !Ends(static_cast<std::size_t>(row - 1));
}

}  // namespace quill
