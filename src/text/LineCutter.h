// Cuts the bytes of a load into lines: at line ends, form feeds and the cut length.
#pragma once

#include <cstdint>

#include "text/ByteStatistics.h"
#include "text/LineRecord.h"
#include "text/LoadParams.h"

namespace quill {

class TextStore;

/// Appends the lines of the chunks it is given to the store, borrowing their bytes from the
/// blocks they were read into; a line that goes on in the next block is carried over as a line
/// of its own. Sets the store's terminator kind and widest line, and keeps the widest in cells.
class LineCutter {
public:
    /// statistics: what the load knows of the bytes, for telling how wide a line is in cells.
    LineCutter(TextStore& store, const LoadParams& params, const ByteStatistics& statistics);

    /// A load that goes on where another stopped: its first line is not the text's.
    void Continuing() { firstLine_ = false; }
    /// A block is about to be cut, its bytes starting at data.
    void BeginBlock(const char* data)
    {
        if (!lineStart_)
            lineStart_ = data;
    }
    /// Cuts the chunk [begin, end) with the counts of its bytes.
    void Cut(const char* begin, const char* end, const ChunkCounts& counts);
    /// The line in progress continues in the next block.
    void CarryOverBlock(const char* blockEnd);
    /// The last line, up to end (none: the line in progress as it stands).
    void FinishLastLine(const char* end);
    /// The load failed: a carried line head is not needed.
    void DropCarried() { carried_ = LineRecord(); }
    /// Where the line in progress begins.
    const char* LineStart() const { return lineStart_; }
    /// The widest line in cells when the text is shown as UTF-8.
    std::int64_t WidestCells() const { return widestCells_; }

private:
    void CutLine(const char*& p, const char* chunkBegin, const char* chunkEnd);
    void LookAheadAtCut(const char*& p, const char* chunkBegin, const char* chunkEnd);
    void Take(const char* from, const char* to);
    void EndLine(const char* end, const char* chunkBegin);
    /// Takes the line ending now (its tail of `tail` bytes from lineStart_) into the widest in cells.
    void MeasureCells(std::int64_t tail);

    TextStore& store_;
    LoadParams params_;
    const ByteStatistics& statistics_;
    const char* lineStart_ = nullptr;
    LineRecord carried_;  ///< the head of a line that began in an earlier block
    std::int64_t n_ = 0;  ///< bytes of the line in progress
    std::int64_t c_ = 0;  ///< its columns
    std::int64_t widestCells_ = 0;
    bool chunkHasTab_ = false;
    bool chunkHasHigh_ = false;  ///< the chunk holds a byte above 127
    bool lineHasHigh_ = false;   ///< the line being read may hold one (a chunk it lies in does)
    bool chunkHasFF_ = false;
    bool ffKnown_ = false;          ///< nextFF_ is valid for the chunk
    const char* nextFF_ = nullptr;  ///< next form feed in the chunk at or after the line start
    bool firstLine_ = true;
};

}  // namespace quill
