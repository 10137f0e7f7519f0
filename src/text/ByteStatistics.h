// What a load learns of the bytes it reads: whether they are UTF-8, how unusual, how many of each.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

#include "common/Utf8.h"

namespace quill {

class TextStore;

/// Counts of every byte value seen by a load.
using ByteHistogram = std::array<std::uint64_t, 256>;

/// What a load needs to know of the bytes of a chunk.
struct ChunkCounts {
    bool tab = false;
    bool formFeed = false;
    bool beyondAscii = false;  ///< a byte above 127
    std::uint32_t unusualAscii = 0;
};

/// The counts of the bytes [begin, end); wide: 32 bytes at a time where the machine can (16
/// otherwise, as every x86-64 machine can).
ChunkCounts CountChunk(const char* begin, const char* end, bool wide = true);

/// Adds the counts of the bytes [begin, end) to a histogram.
void CountEveryByte(const char* begin, const char* end, ByteHistogram& histogram);

/// Whether an ASCII byte is one that a text shown without a table rarely holds: anything but
/// digits to small z, CR, LF, and ". , blank / - *" (what a table's choice counts as ordinary).
bool IsUnusualAscii(std::uint8_t byte);

/// Counts of every byte value of a text (the loaded lines with their terminators). A load counts
/// only what it needs for every text; this is for the 8-bit texts that need a table chosen.
ByteHistogram CountBytes(const TextStore& store);

/// The counts of a load, chunk by chunk: the unusual bytes, whether the text is UTF-8, and, from
/// the moment it shows that it is not, every byte value (those of the chunks before too, whose
/// bytes stay where they were read).
class ByteStatistics {
public:
    /// Takes in a chunk's counts; every: its byte values, when the reading thread counted them.
    void Take(const char* begin, const char* end, const ChunkCounts& counts, const ByteHistogram* every);
    /// Whether every byte value is being counted: set by the cutting thread, read by the helper.
    bool CountingAll() const { return countingAll_.load(); }
    const Utf8Validator& Utf8() const { return utf8_; }
    std::uint64_t UnusualAscii() const { return unusualAscii_; }
    const ByteHistogram& Histogram() const { return histogram_; }

private:
    std::uint64_t unusualAscii_ = 0;
    ByteHistogram histogram_{};
    Utf8Validator utf8_;
    /// The chunks taken before the text turned out not to be UTF-8, to be counted in full then.
    std::vector<std::pair<const char*, const char*>> uncounted_;
    std::atomic<bool> countingAll_ = false;
};

}  // namespace quill
