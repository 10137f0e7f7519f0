// Counting the file's lines among the display lines.
#include "text/FileLineIndex.h"

#include <algorithm>
#include <bit>

namespace quill {

namespace {

std::int64_t Prefix(const std::vector<std::int64_t>& tree, std::size_t count)
{
    std::int64_t sum = 0;
    for (std::size_t i = count; i > 0; i -= i & (~i + 1))
        sum += tree[i];
    return sum;
}

void AddAt(std::vector<std::int64_t>& tree, std::size_t position, std::int64_t delta)
{
    for (std::size_t i = position + 1; i < tree.size(); i += i & (~i + 1))
        tree[i] += delta;
}

/// The first chunk whose running sum passes target, and the sum of the chunks before it.
std::pair<std::size_t, std::int64_t> Descend(const std::vector<std::int64_t>& tree, std::int64_t target)
{
    const std::size_t size = tree.size() - 1;
    std::size_t position = 0;
    std::int64_t before = 0;
    for (std::size_t step = size ? std::bit_floor(size) : 0; step > 0; step >>= 1) {
        if (position + step <= size && before + tree[position + step] <= target) {
            position += step;
            before += tree[position];
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
    treesValid_ = false;
}

void FileLineIndex::RebuildTrees() const
{
    // A Fenwick tree is built in one pass: each node passes its sum on to its parent.
    const std::size_t n = chunks_.size();
    rowTree_.assign(n + 1, 0);
    endTree_.assign(n + 1, 0);
    for (std::size_t i = 1; i <= n; ++i) {
        rowTree_[i] += chunks_[i - 1].rows;
        endTree_[i] += chunks_[i - 1].ends;
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= n) {
            rowTree_[parent] += rowTree_[i];
            endTree_[parent] += endTree_[i];
        }
    }
    treesValid_ = true;
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
    if (!treesValid_)
        RebuildTrees();
}

std::pair<std::size_t, std::size_t> FileLineIndex::ChunkOf(std::size_t row) const
{
    if (static_cast<std::int64_t>(row) >= totalRows_)
        return {chunks_.size() - 1, static_cast<std::size_t>(totalRows_ - chunks_.back().rows)};
    if (!treesValid_)
        RebuildTrees();
    auto [chunk, before] = Descend(rowTree_, static_cast<std::int64_t>(row));
    return {chunk, static_cast<std::size_t>(before)};
}

void FileLineIndex::Add(std::size_t chunk, int rows, int ends)
{
    chunks_[chunk].rows = static_cast<std::uint32_t>(static_cast<int>(chunks_[chunk].rows) + rows);
    chunks_[chunk].ends = static_cast<std::uint32_t>(static_cast<int>(chunks_[chunk].ends) + ends);
    totalRows_ += rows;
    totalEnds_ += ends;
    if (treesValid_) {
        AddAt(rowTree_, chunk, rows);
        AddAt(endTree_, chunk, ends);
    }
}

void FileLineIndex::Split(std::size_t chunk, std::size_t firstRow)
{
    const Chunk whole = chunks_[chunk];
    Chunk front;
    front.rows = whole.rows / 2;
    front.ends = CountEnds(firstRow, firstRow + front.rows);
    chunks_[chunk] = {whole.rows - front.rows, whole.ends - front.ends};
    chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(chunk), front);
    treesValid_ = false;
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
        treesValid_ = false;
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
        treesValid_ = false;
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
    return Prefix(endTree_, chunk) + CountEnds(first, static_cast<std::size_t>(row));
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
    auto [chunk, endsBefore] = Descend(endTree_, fileLine - 1);
    std::size_t row = static_cast<std::size_t>(Prefix(rowTree_, chunk));
    for (std::int64_t seen = endsBefore;; ++row) {
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
