// The counts a load makes of the bytes it reads.
#include "text/ByteStatistics.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <future>
#include <system_error>

#include "text/TextStore.h"
#include "text/TextTypes.h"

namespace quill {

// Four tables let consecutive equal bytes count without waiting on each other; a gigabyte at a
// time fits their 32 bits.
void CountEveryByte(const char* begin, const char* end, ByteHistogram& histogram)
{
    constexpr std::ptrdiff_t kSlice = std::ptrdiff_t{1} << 30;
    for (const char* slice = begin; slice < end; slice += std::min(end - slice, kSlice)) {
        std::uint32_t counts[4][256] = {};
        const auto* p = reinterpret_cast<const std::uint8_t*>(slice);
        const auto* e = p + std::min(end - slice, kSlice);
        for (; e - p >= 4; p += 4) {
            ++counts[0][p[0]];
            ++counts[1][p[1]];
            ++counts[2][p[2]];
            ++counts[3][p[3]];
        }
        for (; p < e; ++p)
            ++counts[0][*p];
        for (std::size_t b = 0; b < histogram.size(); ++b)
            histogram[b] += std::uint64_t{counts[0][b]} + counts[1][b] + counts[2][b] + counts[3][b];
    }
}

bool IsUnusualAscii(std::uint8_t byte)
{
    if (byte >= 48 && byte <= 122)
        return false;
    switch (byte) {
    case 10:
    case 13:
    case ' ':
    case '*':
    case ',':
    case '-':
    case '.':
    case '/': return false;
    default: return byte < 0x80;
    }
}

namespace {

ByteHistogram CountLines(const TextStore& store, LineIndex from, LineIndex to)
{
    // Loaded lines lie one after another in memory: counted a run of them at a time.
    ByteHistogram histogram{};
    const char* runStart = nullptr;
    const char* runEnd = nullptr;
    for (LineIndex i = from; i < to;) {
        const auto [slots, available] = store.SlotsFrom(i);
        const auto count = std::min<std::size_t>(available, static_cast<std::size_t>(to - i));
        for (std::size_t k = 0; k < count; ++k) {
            const LineView line = slots[k].View();
            if (line.Bytes() != runEnd) {
                CountEveryByte(runStart, runEnd, histogram);
                runStart = line.Bytes();
            }
            runEnd = line.Bytes() + line.Length();
        }
        i += static_cast<LineIndex>(count);
    }
    CountEveryByte(runStart, runEnd, histogram);
    return histogram;
}

}  // namespace

ByteHistogram CountBytes(const TextStore& store)
{
    // A long text is counted on both cores, a half each.
    const LineIndex lines = store.LineCount();
    std::future<ByteHistogram> second;
    if (lines >= 200000) {
        try {
            second = std::async(std::launch::async, CountLines, std::cref(store), lines / 2, lines);
        } catch (const std::system_error&) {
            // No thread to be had: this one counts it all.
        }
    }
    ByteHistogram histogram = CountLines(store, 0, second.valid() ? lines / 2 : lines);
    if (second.valid()) {
        const ByteHistogram rest = second.get();
        for (std::size_t b = 0; b < histogram.size(); ++b)
            histogram[b] += rest[b];
    }
    return histogram;
}

namespace {

// The counts of [p, e) a vector of N bytes at a time (the compiler's vector types: the same code
// for 16 bytes on every x86-64 and for 32 where AVX2 is there). Most bytes are digits or letters;
// the few unusual ones are told by compares rather than counted one by one.
template <int N> struct VectorOf;
template <> struct VectorOf<16> {
    typedef signed char Type __attribute__((vector_size(16)));
    typedef unsigned char Counts __attribute__((vector_size(16)));  // counting wraps at 256
};
template <> struct VectorOf<32> {
    typedef signed char Type __attribute__((vector_size(32)));
    typedef unsigned char Counts __attribute__((vector_size(32)));
};

template <int N>
__attribute__((always_inline)) inline ChunkCounts CountVectors(const std::uint8_t*& p, const std::uint8_t* e)
{
    using Vector = typename VectorOf<N>::Type;
    using Counts = typename VectorOf<N>::Counts;
    ChunkCounts counts;
    Vector tabs{};
    Vector formFeeds{};
    Vector high{};
    while (e - p >= N) {
        // Each byte of the sum counts up to 255 vectors; then the bytes are added up.
        Counts sum{};
        for (int k = 0; k < 255 && e - p >= N; ++k, p += N) {
            Vector v;
            std::memcpy(&v, p, N);
            tabs |= v == static_cast<signed char>(kTab);
            formFeeds |= v == static_cast<signed char>(kFF);
            high |= v < 0;  // signed: above 127
            // Signed compares: bytes above 127 come out below 48 and are taken out again.
            const Vector low = v < 48;
            const Vector outside = low | (v > 122);
            // ". , - / *" lie in 42..47, where only "+" is unusual.
            const Vector punctuation = low & (v > 41) & (v != '+');
            const Vector ordinary = (v == 10) | (v == 13) | (v == ' ') | punctuation;
            sum += reinterpret_cast<Counts>(outside & ~ordinary & (v >= 0)) & 1;
        }
        for (int k = 0; k < N; ++k)
            counts.unusualAscii += sum[k];
    }
    for (int k = 0; k < N; ++k) {
        counts.tab = counts.tab || tabs[k] != 0;
        counts.formFeed = counts.formFeed || formFeeds[k] != 0;
        counts.beyondAscii = counts.beyondAscii || high[k] != 0;
    }
    return counts;
}

__attribute__((target("avx2"))) ChunkCounts CountAvx2(const std::uint8_t*& p, const std::uint8_t* e)
{
    return CountVectors<32>(p, e);
}

}  // namespace

ChunkCounts CountChunk(const char* begin, const char* end, bool wide)
{
    static const bool avx2 = __builtin_cpu_supports("avx2");
    const auto* p = reinterpret_cast<const std::uint8_t*>(begin);
    const auto* e = reinterpret_cast<const std::uint8_t*>(end);
    ChunkCounts counts = wide && avx2 ? CountAvx2(p, e) : CountVectors<16>(p, e);
    for (; p < e; ++p) {
        counts.tab = counts.tab || *p == kTab;
        counts.formFeed = counts.formFeed || *p == kFF;
        counts.beyondAscii = counts.beyondAscii || *p >= 0x80;
        counts.unusualAscii += IsUnusualAscii(*p) ? 1 : 0;
    }
    return counts;
}

void ByteStatistics::Take(const char* begin, const char* end, const ChunkCounts& counts, const ByteHistogram* every)
{
    unusualAscii_ += counts.unusualAscii;
    // Whether the text is UTF-8: only chunks with bytes above 127 (or a sequence still open) need
    // a look, so ASCII costs nothing more.
    if (counts.beyondAscii || !utf8_.Settled())
        utf8_.Feed(begin, end);
    // A text that is not UTF-8 needs every byte value counted, for the choice of its table: from
    // the moment that shows, the chunks before it too.
    if (!countingAll_ && counts.beyondAscii && !utf8_.MostlyUtf8()) {
        countingAll_ = true;
        for (const auto& [from, to] : uncounted_)
            CountEveryByte(from, to, histogram_);
        uncounted_.clear();
        uncounted_.shrink_to_fit();
    }
    if (!countingAll_) {
        uncounted_.emplace_back(begin, end);
    } else if (every) {
        for (std::size_t b = 0; b < every->size(); ++b)
            histogram_[b] += (*every)[b];
    } else {
        CountEveryByte(begin, end, histogram_);
    }
}

}  // namespace quill
