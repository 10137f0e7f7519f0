// Cuts a file's bytes into display lines: the reading half of loading a document.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <vector>

#include "common/Utf8.h"
#include "text/LineRecord.h"
#include "text/TextTypes.h"

namespace quill {

class Decompressor;
class LoadBlock;
class TextStore;
class ProgressWindow;
class ProgressScope;
class Prompter;

/// Counts of every byte value seen by a load.
using ByteHistogram = std::array<std::uint64_t, 256>;

struct LoadParams {
    std::int64_t cutLength = 99000;  ///< a line is cut when it reaches this many bytes
    int tabSize = 3;
    bool ignoreFormatCodes = false;  ///< LF and FF do not end lines
    bool binaryMode = false;         ///< tabs count one column

    bool operator==(const LoadParams&) const = default;
};

/// Whether an ASCII byte is one that a text shown without a table rarely holds: anything but
/// digits to small z, CR, LF, and ". , blank / - *" (what a table's choice counts as ordinary).
bool IsUnusualAscii(std::uint8_t byte);

/// Counts of every byte value of a text (the loaded lines with their terminators). A load counts
/// only what it needs for every text; this is for the 8-bit texts that need a table chosen.
ByteHistogram CountBytes(const TextStore& store);

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
    /// What a load needs to know of the bytes of a chunk.
    struct ChunkCounts {
        bool tab = false;
        bool formFeed = false;
        bool beyondAscii = false;  ///< a byte above 127
        std::uint32_t unusualAscii = 0;
    };
    /// The counts of the bytes [begin, end); wide: 32 bytes at a time where the machine can (16
    /// otherwise, as every x86-64 machine can).
    static ChunkCounts Count(const char* begin, const char* end, bool wide = true);

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
    LoadOutcome Run(int fd, std::int64_t expectedSize, ProgressWindow& progress, Prompter& prompter);
    std::future<BlockRead> StartRead(int fd, std::int64_t size);
    /// A mapping of the next block of a file, or none when it is to be read.
    LoadBlock* MapForReading(int fd, std::int64_t offset, std::int64_t size);
    /// Throws std::bad_alloc when taking this many more bytes would leave too little memory.
    void CheckMemory(std::int64_t bytes);
    /// The memory a block of `size` bytes of text takes: a decompressor may write beyond its end,
    /// into room it carries over to the next block.
    std::size_t BlockRoom(std::int64_t size) const;
    void StopPendingRead(std::future<BlockRead>& pending);
    /// While the helper decompresses: the spare block's pages, a megabyte at a time, until the
    /// block being decompressed is there.
    void PrepareSpareWhileWaiting(const std::future<BlockRead>& pending);
    /// How far the bar is, with `total` bytes of text cut.
    std::int64_t Done(std::int64_t total) const;
    /// Steps the bar; after Escape asks "Abort load?" and, on Yes, marks the load aborted.
    bool AbortRequested(ProgressScope& bar, std::int64_t total, Prompter& prompter);
    void ProcessChunk(const char* begin, const char* end, const ChunkCounts* counted, const ByteHistogram* every);
    void ProcessLine(const char*& p, const char* chunkBegin, const char* chunkEnd);
    void LookAheadAtCut(const char*& p, const char* chunkBegin, const char* chunkEnd);
    void Take(const char* from, const char* to);
    void EndLine(const char* end, const char* chunkBegin);
    void CarryOverBlock(const char* blockEnd);
    void FinishLastLine(const char* end);
    /// Adds a chunk's counts to the outcome and notes what the chunk holds (tabs, form feeds,
    /// bytes that may not be UTF-8).
    void TakeCounts(const char* begin, const char* end, const ChunkCounts& counts, const ByteHistogram* every);

    TextStore& store_;
    LoadParams params_;
    LoadOutcome outcome_;
    const char* lineStart_ = nullptr;
    LineRecord carried_;  ///< the head of a line that began in an earlier block
    /// Takes the line ending now (its tail of `tail` bytes from lineStart_) into the widest in cells.
    void MeasureCells(std::int64_t tail);
    std::int64_t n_ = 0;  ///< bytes of the line in progress
    std::int64_t c_ = 0;  ///< its columns
    bool chunkHasTab_ = false;
    bool chunkHasHigh_ = false;  ///< the chunk holds a byte above 127
    bool lineHasHigh_ = false;   ///< the line being read may hold one (a chunk it lies in does)
    bool chunkHasFF_ = false;
    bool ffKnown_ = false;          ///< nextFF_ is valid for the chunk
    const char* nextFF_ = nullptr;  ///< next form feed in the chunk at or after the line start
    bool firstLine_ = true;
    Utf8Validator utf8_;
    /// The chunks taken before the text turned out not to be UTF-8, to be counted in full then.
    std::vector<std::pair<const char*, const char*>> uncounted_;
    /// Set by this thread, read by the helper: it counts every byte value of the chunks too.
    std::atomic<bool> countingAll_ = false;
    std::int64_t uncheckedBytes_ = 0;  ///< read since the memory still available was last looked at
    std::int64_t fileOffset_ = 0;      ///< where in the file the block being cut begins
    std::int64_t readOffset_ = 0;      ///< where in the file the next block to read begins
    std::int64_t linesChecked_ = 0;    ///< lines in the store when the memory was last looked at
    bool streaming_ = false;           ///< a pipe or device: read what arrives, until it ends
    Decompressor* source_ = nullptr;   ///< where the text comes from, when the file is compressed
    /// The next block for decompressed text, its pages made while the helper decompresses: the
    /// helper has the most to do, and clearing new pages is a good part of it.
    std::unique_ptr<LoadBlock> spare_;
    std::size_t sparePopulated_ = 0;  ///< its bytes that have their pages
    int maxBlocks_ = -1;              ///< blocks to read at most; -1: to the end
    std::atomic<bool> stop_{false};   ///< tells the reading thread to give up
};

}  // namespace quill
