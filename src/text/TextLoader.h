// Cuts a file's bytes into display lines: the reading half of loading a document.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <vector>

#include "text/ByteStatistics.h"
#include "text/LineCutter.h"
#include "text/LoadParams.h"
#include "text/TextTypes.h"

namespace quill {

class Decompressor;
class LoadSource;
class LoadBlock;
class TextStore;
class ProgressWindow;
class ProgressScope;
class Prompter;

struct LoadOutcome {
    enum class Status { Complete, Aborted, OutOfMemory, ReadError };
    Status status = Status::Complete;
    int error = 0;  ///< errno of a read error
    /// Bytes read below 128 that are unusual (IsUnusualAscii).
    std::uint64_t unusualAscii = 0;
    /// Counts of every byte value read, made once the text turned out not to be UTF-8 (with the
    /// bytes before counted then); complete tells that they cover everything read.
    ByteHistogram histogram{};
    bool histogramComplete = false;
    /// The text read is UTF-8 (plain ASCII too), perhaps with a few bytes that are no character.
    bool validUtf8 = false;
    /// The widest line read in cells when the text is shown as UTF-8 (the store is widened by its
    /// bytes, which are its cells under a table), terminator bytes one column each.
    std::int64_t widestCells = 0;

    /// Takes in what the load of a further part told: the counts add up, the text stays UTF-8
    /// while every part is, the status is the part's.
    void Add(const LoadOutcome& part)
    {
        unusualAscii += part.unusualAscii;
        for (std::size_t b = 0; b < histogram.size(); ++b)
            histogram[b] += part.histogram[b];
        histogramComplete = histogramComplete && part.histogramComplete;
        validUtf8 = validUtf8 && part.validUtf8;
        widestCells = std::max(widestCells, part.widestCells);
        status = part.status;
        error = part.error;
    }
};

/// Reads a file in 50,000-byte chunks (the unit in which Escape is checked and beyond which no
/// look-ahead reaches) into large blocks that the lines borrow from. Appends the lines to the store,
/// always ending with a line without terminator, and sets the terminator kind and widest line.
class TextLoader {
public:
    static constexpr std::int64_t kChunkSize = 50000;

    TextLoader(TextStore& store, const LoadParams& params);
    ~TextLoader();
    TextLoader(const TextLoader&) = delete;
    TextLoader& operator=(const TextLoader&) = delete;

    /// Loads from a file descriptor open for reading; expectedSize sizes the progress bar (0: not
    /// known). Escape works from the start, also while a pipe keeps the reader waiting.
    LoadOutcome Load(int fd, std::int64_t expectedSize, ProgressWindow& progress, Prompter& prompter);
    /// Loads the text a compressed file holds, as it comes out of the decompressor; the bar goes
    /// by the compressed bytes taken, of compressedSize.
    LoadOutcome Load(Decompressor& source, std::int64_t compressedSize, ProgressWindow& progress, Prompter& prompter);
    /// Reads on where an earlier load of the same file stopped: the bytes from `offset`, the start
    /// of a line, of which about expectedSize are there. The lines are appended to the store and
    /// cut as a load of the whole file cuts them, since chunks keep to the same edges of the file.
    LoadOutcome Continue(int fd, std::int64_t offset, std::int64_t expectedSize, ProgressWindow& progress,
                         Prompter& prompter);
    /// A load of a part: no more than this many blocks (kBlockBytes each, the first from where the
    /// load starts to a chunk edge) are read; the line cut at the last block's end is then the
    /// last line, to be read again by the load that goes on (Continue from its start).
    void LimitBlocks(int blocks) { maxBlocks_ = blocks; }
    /// The bytes of a full block.
    static constexpr std::int64_t kBlockBytes = 320 * kChunkSize;
    /// Whether the blocks of a file are mapped (the default) or read into memory of the program's
    /// own; pipes and devices are always read. For measuring one against the other.
    static void MapFiles(bool on);

private:
    struct BlockRead {
        char* data;
        std::int64_t size;
        std::int64_t got;  ///< bytes read, -1 when nothing could be read
        int error;
        LoadBlock* mapped;  ///< the block, when it maps the file
        /// The counts of the block's chunks, made by the thread that read it (none for a pipe);
        /// of as many chunks every byte value's counts, when the text was known not to be UTF-8.
        std::vector<ChunkCounts> counts;
        std::vector<ByteHistogram> every;
    };
    LoadOutcome Run(LoadSource& source, std::int64_t expectedSize, ProgressWindow& progress, Prompter& prompter);
    /// The size of the next block to read, with `requested` bytes asked for since `start`.
    std::int64_t NextBlockSize(std::int64_t start, std::int64_t& requested, std::int64_t expectedSize) const;
    std::future<BlockRead> StartRead(std::int64_t size);
    /// A mapping of the next block of a file, or none when it is to be read.
    LoadBlock* MapForReading(std::int64_t offset, std::int64_t size);
    /// Throws std::bad_alloc when taking this many more bytes would leave too little memory.
    void CheckMemory(std::int64_t bytes);
    /// The memory a block of `size` bytes of text takes: a source may write beyond its end, into
    /// room it carries over to the next block.
    std::size_t BlockRoom(std::int64_t size) const;
    void StopPendingRead(std::future<BlockRead>& pending);
    /// While the helper is busy reading: the spare block's pages, a megabyte at a time, until the
    /// block being read is there.
    void PrepareSpareWhileWaiting(const std::future<BlockRead>& pending);
    /// Steps the bar; after Escape asks "Abort load?" and, on Yes, marks the load aborted.
    bool AbortRequested(ProgressScope& bar, std::int64_t total, Prompter& prompter);
    /// Waits for the block being read, with the bar going; false when the user stopped the load.
    bool WaitForBlock(const std::future<BlockRead>& pending, ProgressScope& bar, std::int64_t total,
                      Prompter& prompter);
    void FailRead(int error);
    /// Cuts the chunks of a block that has come, until Escape stops the load.
    void CutBlock(const BlockRead& block, std::int64_t& total, const char*& lastEnd, ProgressScope& bar,
                  Prompter& prompter);
    void TakeChunk(const char* begin, const char* end, const ChunkCounts* counted, const ByteHistogram* every);

    TextStore& store_;
    LoadOutcome outcome_;
    ByteStatistics statistics_;
    LineCutter cutter_;
    std::int64_t uncheckedBytes_ = 0;  ///< read since the memory still available was last looked at
    std::int64_t fileOffset_ = 0;      ///< where in the file the block being cut begins
    std::int64_t readOffset_ = 0;      ///< where in the file the next block to read begins
    std::int64_t linesChecked_ = 0;    ///< lines in the store when the memory was last looked at
    LoadSource* source_ = nullptr;     ///< where the text comes from, during a load
    /// The next block, its pages made while the helper reads (decompresses): the helper has the
    /// most to do, and clearing new pages is a good part of it.
    std::unique_ptr<LoadBlock> spare_;
    std::size_t sparePopulated_ = 0;  ///< its bytes that have their pages
    int maxBlocks_ = -1;              ///< blocks to read at most; -1: to the end
    std::atomic<bool> stop_{false};   ///< tells the reading thread to give up
};

}  // namespace quill
