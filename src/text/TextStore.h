// The text of the open file: its display lines in order, the cursor cache and the sizes.
#pragma once

#include <cassert>
#include <cstdint>
#include <memory>
#include <vector>

#include "text/DisplayRules.h"
#include "text/FileLineIndex.h"
#include "text/GapVector.h"
#include "text/LineRecord.h"
#include "text/LineWatcher.h"
#include "text/LoadBlock.h"
#include "text/TextTypes.h"

namespace quill {

class ProgressWindow;

/// A whole sequence of lines taken out of a text store, kept as one undo step (Extract Lines).
/// It frees the bytes its lines own; borrowed bytes stay with the store's load blocks.
struct LineSet {
    LineSet() = default;
    LineSet(const LineSet&) = delete;
    LineSet& operator=(const LineSet&) = delete;
    ~LineSet();

    GapVector<LineSlot> lines;
    std::size_t ownedLines = 0;
    ByteOffset fileSize = 0;
    std::int64_t widest = 0;
};

/// The file is always the concatenation of all lines in order. Lines borrow their bytes from the
/// blocks of a load (the file's own pages, mapped, or memory a pipe was read into), until a change
/// gives a line bytes of its own, so a loaded file costs 8 bytes of bookkeeping per line.
class TextStore {
public:
    TextStore() : fileLines_(lines_) {}
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;
    ~TextStore();

    LineIndex LineCount() const { return static_cast<LineIndex>(lines_.Size()); }
    LineView Line(LineIndex i) const { return lines_[static_cast<std::size_t>(i)].View(); }
    /// Line i and the lines after it whose records lie next to it in memory, for fast walks.
    std::pair<const LineSlot*, std::size_t> SlotsFrom(LineIndex i) const
    {
        return lines_.StretchFrom(static_cast<std::size_t>(i));
    }
    /// Whether a line has bytes of its own (edited) rather than borrowed from a load block.
    bool IsOwned(LineIndex i) const { return lines_[static_cast<std::size_t>(i)].Owned(); }

    // Cursor cache: the line that single-line operations work on. Moves do nothing at the ends.
    LineIndex CurrentIndex() const { return current_; }
    LineView CurrentLine() const
    {
        assert(current_ < LineCount());  // a removal below the current line must move it
        return current_ >= 0 ? Line(current_) : LineView();
    }
    void FirstLine()
    {
        if (LineCount() > 0)
            current_ = 0;
    }
    void LastLine()
    {
        if (LineCount() > 0)
            current_ = LineCount() - 1;
    }
    void NextLine()
    {
        if (current_ >= 0 && current_ + 1 < LineCount())
            ++current_;
    }
    void PreviousLine()
    {
        if (current_ > 0)
            --current_;
    }
    /// A line outside the text is a caller's bug: it asserts in debug builds and changes nothing
    /// in others.
    void SetCurrentLine(LineIndex i)
    {
        assert(i >= 0 && i < LineCount());
        if (i >= 0 && i < LineCount())
            current_ = i;
    }
    /// Keeps the index of the current line; returns it as the position to restore.
    LineIndex SavePosition()
    {
        savedIndex_ = current_;
        return current_;
    }
    void RestorePosition(LineIndex position)
    {
        if (position >= 0)
            SetCurrentLine(position);
    }

    // Changes of the sequence. The store keeps the file size; widest line and current line are
    // the callers' business.
    void AppendLine(LineRecord line);
    void InsertLine(LineIndex before, LineRecord line);
    /// Inserts `rest` after line `row`, told as the split of that line at byte `at` (see LineWatcher).
    void SplitLine(LineIndex row, std::uint32_t at, LineRecord rest);
    /// Removes line row + 1, told as joined to the end of line `row` (see LineWatcher).
    LineRecord JoinLine(LineIndex row);
    LineRecord ReplaceLine(LineIndex i, LineRecord line);
    LineRecord RemoveLine(LineIndex i);

    /// Bytes of a line to change in place (same length). The caller makes sure nothing else uses
    /// them: a borrowed line may share its bytes with undo records.
    char* MutableBytes(LineIndex i)
    {
        fileLines_.Invalidate();  // the line end may be among the bytes changed
        Tell([i](LineWatcher& watcher) { watcher.LineReplaced(i); });
        return lines_[static_cast<std::size_t>(i)].Data();
    }
    /// Replaces the last `count` bytes of a line by the one byte `last`, in place.
    void ShortenLineEnd(LineIndex i, std::uint32_t count, char last);
    /// Exchanges every line of the store with the lines of a set (the load blocks stay).
    void SwapLines(LineSet& other);
    /// Puts the lines in a new order: order[i] is the old index of the line that becomes line i.
    void Reorder(const std::vector<LineIndex>& order);
    /// A new block for loaded bytes that lines may borrow from until the next Clear.
    char* NewBlock(std::size_t size);
    /// The same with a block made beforehand.
    char* AdoptBlock(std::unique_ptr<LoadBlock> block);
    /// A block that maps `size` bytes of an open file from `offset`, for lines to borrow from
    /// until the next Clear; none when the file cannot be mapped.
    LoadBlock* MapBlock(int fd, std::int64_t offset, std::size_t size);
    /// Frees the newest block; no line may borrow from it.
    void DropLastBlock() { blocks_.pop_back(); }
    /// The bytes of the file with this identity that lines may borrow straight from its pages.
    std::size_t BytesMappedFrom(dev_t device, ino_t inode) const;
    /// Before that file is written in place: gives the pages lines borrow from it copies of their
    /// own, so that what the lines say stays as it was (const: no byte of the text changes, only
    /// where it lives). False, and nothing copied, when the memory for it cannot be had.
    bool KeepBytesApartFrom(dev_t device, ino_t inode) const;

    /// Destroys every line and block. Above 50,000 edited lines the progress window shows the
    /// remaining share on a range of 40, every 10,000 lines.
    void Clear(ProgressWindow* progress = nullptr);

    /// Waits until the memory of cleared texts is given back (for measurements of memory).
    static void WaitForReleases();
    /// From now on cleared texts leave their memory to the end of the process, which gives it
    /// back at once: for the program's last moments, after everything was written.
    static void LeaveMemoryToExit();

    ByteOffset FileSize() const { return fileSize_; }
    void SetFileSize(ByteOffset size) { fileSize_ = size; }
    std::int64_t WidestLine() const { return widest_; }
    void SetWidestLine(std::int64_t columns)
    {
        if (columns < widest_)
            ++narrowings_;
        widest_ = columns;
    }
    /// Counts the times the widest line was set lower. While it stays the same, a line that was
    /// in the text can come back (undo) without being measured: it is no wider than the widest.
    std::uint32_t Narrowings() const { return narrowings_; }
    void WidenTo(std::int64_t columns)
    {
        if (columns > widest_)
            widest_ = columns;
    }
    /// Widens to a line whose bytes with tab stops take `bound` columns (see WidestWith).
    void WidenToLine(std::int64_t bound, LineView line, const DisplayRules& rules)
    {
        widest_ = WidestWith(widest_, bound, line, rules);
    }
    TerminatorKind Terminator() const { return terminator_; }
    void SetTerminator(TerminatorKind kind) { terminator_ = kind; }

    /// The file's own lines among the display lines, counted by the byte that ends them (none:
    /// every display line counts as a line).
    const FileLineIndex& FileLines(std::optional<std::uint8_t> lineEnd) const
    {
        fileLines_.SetLineEnd(lineEnd);
        return fileLines_;
    }

    /// The sum of all line lengths, counted line by line (for checks and after an aborted load).
    ByteOffset SumOfLengths() const;

    /// Tells the watcher of every change of the lines from now on, until it is removed.
    void AddWatcher(LineWatcher* watcher) { watchers_.push_back(watcher); }
    void RemoveWatcher(LineWatcher* watcher) { std::erase(watchers_, watcher); }
    /// Around a whole re-cut: the watchers are told before and after, and of no line between.
    void BeginRecut();
    void EndRecut();

private:
    template <typename Told> void Tell(Told&& told)
    {
        if (recutting_)
            return;
        for (LineWatcher* watcher : watchers_)
            told(*watcher);
    }
    void TellReset()
    {
        Tell([](LineWatcher& watcher) { watcher.LinesReset(); });
    }

    void InsertSlot(LineIndex before, LineRecord line);
    LineRecord TakeLine(LineIndex i);
    static void ReleaseMemory(LineSet& lines, std::vector<std::unique_ptr<LoadBlock>> blocks, ProgressWindow* progress);

    GapVector<LineSlot> lines_;
    mutable FileLineIndex fileLines_;  ///< follows every change of lines_
    std::vector<LineWatcher*> watchers_;
    bool recutting_ = false;
    std::size_t ownedLines_ = 0;  ///< lines with bytes of their own, which Clear must free
    std::vector<std::unique_ptr<LoadBlock>> blocks_;
    LineIndex current_ = -1;
    LineIndex savedIndex_ = -1;
    std::int64_t widest_ = 0;
    std::uint32_t narrowings_ = 0;
    ByteOffset fileSize_ = 0;
    TerminatorKind terminator_ = TerminatorKind::CRLF;
};

}  // namespace quill
