// Line bookkeeping of the text store.
#include "text/TextStore.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <chrono>
#include <iterator>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "common/MemoryReserve.h"
#include "platform/ProgressWindow.h"

namespace quill {

TextStore::~TextStore()
{
    watchers_.clear();  // those who watch go before the text; none is told of its end
    Clear();
}

void TextStore::AppendLine(LineRecord line) { InsertLine(LineCount(), std::move(line)); }

void TextStore::InsertLine(LineIndex before, LineRecord line)
{
    InsertSlot(before, std::move(line));
    if (before + 1 < LineCount())
        Tell([before](LineWatcher& watcher) { watcher.LineInserted(before); });
}

void TextStore::SplitLine(LineIndex row, std::uint32_t at, LineRecord rest)
{
    InsertSlot(row + 1, std::move(rest));
    Tell([row, at](LineWatcher& watcher) { watcher.LineSplit(row, at); });
}

void TextStore::BeginRecut()
{
    Tell([](LineWatcher& watcher) { watcher.BeforeRecut(); });
    recutting_ = true;
}

void TextStore::EndRecut()
{
    recutting_ = false;
    Tell([](LineWatcher& watcher) { watcher.AfterRecut(); });
}

void TextStore::InsertSlot(LineIndex before, LineRecord line)
{
    fileSize_ += line.Length();
    LineSlot slot = line.Release();
    try {
        lines_.Insert(static_cast<std::size_t>(before), slot);
    } catch (...) {
        fileSize_ -= slot.Length();
        FreeSlot(slot);
        throw;
    }
    ownedLines_ += slot.Owned();
    fileLines_.Inserted(static_cast<std::size_t>(before));
}

LineRecord TextStore::ReplaceLine(LineIndex i, LineRecord line)
{
    LineSlot& slot = lines_[static_cast<std::size_t>(i)];
    LineRecord old = LineRecord::Adopt(slot);
    fileSize_ += static_cast<ByteOffset>(line.Length()) - old.Length();
    slot = line.Release();
    ownedLines_ += slot.Owned();
    ownedLines_ -= old.IsOwned();
    fileLines_.Replaced(static_cast<std::size_t>(i), old.View());
    Tell([i](LineWatcher& watcher) { watcher.LineReplaced(i); });
    return old;
}

LineRecord TextStore::JoinLine(LineIndex row)
{
    LineRecord old = TakeLine(row + 1);
    Tell([row](LineWatcher& watcher) { watcher.LineJoined(row); });
    return old;
}

LineRecord TextStore::RemoveLine(LineIndex i)
{
    LineRecord old = TakeLine(i);
    Tell([i](LineWatcher& watcher) { watcher.LineRemoved(i); });
    return old;
}

LineRecord TextStore::TakeLine(LineIndex i)
{
    LineRecord old = LineRecord::Adopt(lines_.Erase(static_cast<std::size_t>(i)));
    assert(fileSize_ >= old.Length() && ownedLines_ >= (old.IsOwned() ? 1u : 0u));
    fileSize_ -= old.Length();
    ownedLines_ -= old.IsOwned();
    if (current_ >= LineCount())
        current_ = LineCount() - 1;
    fileLines_.Removed(static_cast<std::size_t>(i), old.View());
    return old;
}

void TextStore::ShortenLineEnd(LineIndex i, std::uint32_t count, char last)
{
    LineSlot& slot = lines_[static_cast<std::size_t>(i)];
    assert(count >= 1 && count <= slot.Length());
    const std::uint32_t length = slot.Length() - count + 1;
    char* data = slot.Data();
    const char oldLast = data[slot.Length() - 1];
    data[length - 1] = last;
    slot.SetLength(length);
    fileSize_ -= count - 1;
    fileLines_.Replaced(static_cast<std::size_t>(i), LineView(&oldLast, 1));
    Tell([i](LineWatcher& watcher) { watcher.LineReplaced(i); });
}

void TextStore::Reorder(const std::vector<LineIndex>& order)
{
#ifndef NDEBUG
    // The order names every line once.
    assert(order.size() == lines_.Size());
    std::vector<bool> named(order.size());
    for (LineIndex old : order) {
        assert(old >= 0 && static_cast<std::size_t>(old) < named.size() && !named[static_cast<std::size_t>(old)]);
        named[static_cast<std::size_t>(old)] = true;
    }
#endif
    GapVector<LineSlot> reordered;
    reordered.Reserve(order.size());
    for (LineIndex old : order)
        reordered.PushBack(lines_[static_cast<std::size_t>(old)]);
    lines_.Swap(reordered);  // the slots moved; the old vector no longer owns anything
    fileLines_.Invalidate();
    TellReset();
}

namespace {

// Only edited lines own their bytes; the walk ends with the last of them, so a text that was only
// looked at is freed without visiting its lines. Above 50,000 of them the progress window shows
// the remaining share.
void FreeOwnedSlots(GapVector<LineSlot>& lines, std::size_t& owned, ProgressWindow* progress)
{
    const std::size_t count = lines.Size();
    const bool showProgress = progress && owned > 50000;
    if (showProgress)
        progress->Begin(40);
    for (std::size_t i = 0; i < count && owned > 0; ++i) {
        if (lines[i].Owned()) {
            FreeSlot(lines[i]);
            --owned;
        }
        if (showProgress && i % 10000 == 0)
            progress->Step(static_cast<std::int64_t>((count - i) * 40 / count));
    }
    if (showProgress)
        progress->End();
    owned = 0;
}

}  // namespace

LineSet::~LineSet() { FreeOwnedSlots(lines, ownedLines, nullptr); }

void TextStore::SwapLines(LineSet& other)
{
    lines_.Swap(other.lines);
    std::swap(ownedLines_, other.ownedLines);
    std::swap(fileSize_, other.fileSize);
    std::swap(widest_, other.widest);
    ++narrowings_;
    fileLines_.Invalidate();
    TellReset();
    current_ = LineCount() > 0 ? std::min<LineIndex>(std::max<LineIndex>(current_, 0), LineCount() - 1) : -1;
}

char* TextStore::NewBlock(std::size_t size) { return AdoptBlock(std::make_unique<LoadBlock>(size)); }

char* TextStore::AdoptBlock(std::unique_ptr<LoadBlock> block)
{
    blocks_.push_back(std::move(block));
    return blocks_.back()->Data();
}

LoadBlock* TextStore::MapBlock(int fd, std::int64_t offset, std::size_t size)
{
    auto block = LoadBlock::MapFile(fd, offset, size);
    if (!block)
        return nullptr;
    blocks_.push_back(std::move(block));
    return blocks_.back().get();
}

std::size_t TextStore::BytesMappedFrom(dev_t device, ino_t inode) const
{
    std::size_t bytes = 0;
    for (const auto& block : blocks_)
        if (block->MapsFile(device, inode))
            bytes += block->MappedLength();
    return bytes;
}

bool TextStore::KeepBytesApartFrom(dev_t device, ino_t inode) const
{
    const std::size_t bytes = BytesMappedFrom(device, inode);
    if (bytes == 0)
        return true;
    if (!MemoryAllows(static_cast<std::int64_t>(bytes)))
        return false;
    for (const auto& block : blocks_)
        if (block->MapsFile(device, inode))
            block->CopyOutOfFile();
    return true;
}

void TextStore::Clear(ProgressWindow* progress)
{
    LineSet lines;
    lines.lines.Swap(lines_);
    lines.ownedLines = std::exchange(ownedLines_, 0);
    std::vector<std::unique_ptr<LoadBlock>> blocks;
    blocks.swap(blocks_);
    ReleaseMemory(lines, std::move(blocks), progress);
    fileLines_.Invalidate();
    TellReset();
    current_ = -1;
    savedIndex_ = -1;
    widest_ = 0;
    ++narrowings_;
    fileSize_ = 0;
}

namespace {
std::atomic<int> pendingReleases{0};
std::atomic<bool> leftToExit{false};

// What the texts held when the process was ending: still reachable, so that no leak checker
// counts it, and never freed.
struct LeftToExit {
    std::mutex mutex;
    std::vector<std::unique_ptr<LoadBlock>> blocks;
    std::vector<GapVector<LineSlot>> tables;
};

// Hands the table and the blocks to the end of the process; false, and nothing taken, when there
// is no room to note them.
bool LeaveToExit(GapVector<LineSlot>& table, std::vector<std::unique_ptr<LoadBlock>>& blocks)
{
    static auto* left = new LeftToExit;
    const std::lock_guard lock(left->mutex);
    try {
        left->tables.reserve(left->tables.size() + 1);
        left->blocks.reserve(left->blocks.size() + blocks.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    left->tables.push_back(std::move(table));
    std::move(blocks.begin(), blocks.end(), std::back_inserter(left->blocks));
    blocks.clear();
    return true;
}
}  // namespace

void TextStore::LeaveMemoryToExit() { leftToExit = true; }

void TextStore::WaitForReleases()
{
    while (pendingReleases > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void TextStore::ReleaseMemory(LineSet& lines, std::vector<std::unique_ptr<LoadBlock>> blocks, ProgressWindow* progress)
{
    // The process ends: the system takes every page back at once, far faster than they are
    // given back one buffer and one block at a time.
    if (leftToExit && LeaveToExit(lines.lines, blocks)) {
        lines.ownedLines = 0;  // their buffers go with the process too
        return;
    }
    // Giving a gigabyte of pages back to the system takes it a good part of a second, and the
    // lines copied where blocks meet lie all through the table; nobody needs to wait for that,
    // so large texts are given back on a helper thread.
    constexpr std::size_t kInlineBlocks = 4;
    if (blocks.size() > kInlineBlocks) {
        ++pendingReleases;
        try {
            auto set = std::make_unique<LineSet>();
            set->lines.Swap(lines.lines);
            set->ownedLines = std::exchange(lines.ownedLines, 0);
            std::thread([set = std::move(set), blocks = std::move(blocks)]() mutable {
                set.reset();
                blocks.clear();
                --pendingReleases;
            }).detach();
            return;
        } catch (const std::exception&) {
            // No thread to be had: what the thread was given is freed already, the rest below.
            --pendingReleases;
        }
    }
    FreeOwnedSlots(lines.lines, lines.ownedLines, progress);
    blocks.clear();
}

ByteOffset TextStore::SumOfLengths() const
{
    ByteOffset sum = 0;
    for (std::size_t i = 0; i < lines_.Size(); ++i)
        sum += lines_[i].Length();
    return sum;
}

}  // namespace quill
