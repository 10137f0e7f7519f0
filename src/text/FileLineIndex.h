// Which of the file's own lines a display line belongs to, when wrapping cuts lines into several
// display lines.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "text/GapVector.h"
#include "text/LineRecord.h"
#include "text/TextTypes.h"

namespace quill {

/// A display line that ends with the line-end byte ends a line of the file; one cut at a wrap width
/// (or a form feed) goes on in the next display line. The user counts lines as grep and sed do, so
/// line numbers are counted here. The counts are kept in chunks of about a thousand display lines:
/// an edit changes the count of one chunk, a question scans one chunk. Without a line-end byte
/// (binary mode, records of a fixed length) every display line is a line of its own.
class FileLineIndex {
public:
    explicit FileLineIndex(const GapVector<LineSlot>& lines) : lines_(lines) {}

    /// Display lines and the file lines they end, summed over chunks.
    struct Sums {
        std::int64_t rows = 0;
        std::int64_t ends = 0;
    };

    /// How lines are counted from now on; a change counts everything again when next asked.
    void SetLineEnd(std::optional<std::uint8_t> lineEnd);
    std::optional<std::uint8_t> LineEnd() const { return lineEnd_; }

    // What the store tells of its changes, after it made them.
    void Inserted(std::size_t row);
    void Removed(std::size_t row, LineView old);
    void Replaced(std::size_t row, LineView old);
    /// Many lines changed (a new order, another set of lines, a cleared store).
    void Invalidate() { valid_ = false; }

    /// The 0-based file line of a display line.
    LineIndex FileLineOf(LineIndex row) const;
    /// The first display line of a file line; the last display line for a line beyond the text.
    LineIndex FirstRowOf(LineIndex fileLine) const;
    /// The number of file lines (the last display line always starts or continues one).
    LineIndex FileLineCount() const;
    /// Whether a display line goes on from the one before it, being part of the same file line.
    bool Continues(LineIndex row) const;

private:
    struct Chunk {
        std::uint32_t rows = 0;
        std::uint32_t ends = 0;  ///< rows that end a file line
    };
    static constexpr std::uint32_t kChunkRows = 1024;

    bool Counting() const { return lineEnd_.has_value(); }
    /// Whether a change is to be followed in the counts; false when they are to be counted again.
    bool Following();
    bool Ends(std::size_t row) const;
    std::uint32_t CountEnds(std::size_t from, std::size_t to) const;
    /// Counts every row again into fresh chunks.
    void Rebuild() const;
    /// Sums of the chunks in a Fenwick tree, for finding a row's or a file line's chunk by halving.
    void RebuildTree() const;
    void Ready() const;
    /// The chunk holding a row, and the first row of that chunk; a row at the end gives the last
    /// chunk.
    std::pair<std::size_t, std::size_t> ChunkOf(std::size_t row) const;
    void Add(std::size_t chunk, int rows, int ends);
    void Split(std::size_t chunk, std::size_t firstRow);

    const GapVector<LineSlot>& lines_;
    std::optional<std::uint8_t> lineEnd_;
    mutable bool valid_ = false;
    mutable bool treeValid_ = false;
    mutable std::vector<Chunk> chunks_;
    mutable std::vector<Sums> tree_;  ///< 1-based Fenwick tree over the chunks
    mutable std::int64_t totalRows_ = 0;
    mutable std::int64_t totalEnds_ = 0;
    mutable std::int64_t changes_ = 0;  ///< changes followed since the last question
};

}  // namespace quill
