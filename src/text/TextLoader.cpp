// The byte loop of loading: chunks, line ends, cuts at the line length, what the bytes hold.
#include "text/TextLoader.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <new>
#include <poll.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "common/MemoryReserve.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "text/Decompressor.h"
#include "text/LoadBlock.h"
#include "text/MappedBytesGuard.h"
#include "text/TextStore.h"

namespace quill {

namespace {

// Blocks of 16 MB, a whole number of chunks each, so that a chunk never straddles two blocks; small
// enough that reading the next overlaps most of the work on this one.
constexpr std::int64_t kBlockChunks = TextLoader::kBlockBytes / TextLoader::kChunkSize;

// Fills buf from the file at offset until it is full or the file ends; returns the count, or -1
// on error.
std::int64_t ReadFully(int fd, char* buf, std::int64_t size, std::int64_t offset, int& error)
{
    std::int64_t got = 0;
    while (got < size) {
        ssize_t r = ::pread(fd, buf + got, static_cast<std::size_t>(size - got), offset + got);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return got > 0 ? got : -1;
        }
        if (r == 0)
            break;
        got += r;
    }
    return got;
}

// A pipe or device may never end, or pause for as long as it likes: it is waited for in short
// steps so that a stop request is seen, and whatever has arrived is handed over at once.
std::int64_t ReadAvailable(int fd, char* buf, std::int64_t size, int& error, const std::atomic<bool>& stop)
{
    std::int64_t got = 0;
    while (got < size && !stop) {
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, got > 0 ? 0 : 100);
        if (polled < 0 && errno != EINTR) {
            error = errno;
            break;
        }
        if (polled <= 0) {
            if (got > 0)
                break;
            continue;
        }
        const ssize_t r = ::read(fd, buf + got, static_cast<std::size_t>(size - got));
        if (r < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            error = errno;
            break;
        }
        if (r == 0)
            break;
        got += r;
    }
    return got == 0 && error ? -1 : got;
}

// Smaller reads (a followed file's growth) are copied: a mapping each would soon exhaust the
// number of mappings a process may have.
constexpr std::int64_t kMapAtLeast = 256 * 1024;

std::atomic<bool> mapFiles{true};

// Where the chunk that holds byte `off` of a block ends: chunks begin at multiples of the chunk
// size in the file, also where reading began in the middle of one, so that every read of a file
// cuts its lines alike.
std::int64_t ChunkEnd(std::int64_t blockOffset, std::int64_t off)
{
    return off + TextLoader::kChunkSize - (blockOffset + off) % TextLoader::kChunkSize;
}

// Adds the counts of the bytes [begin, end) to a histogram. Four tables let consecutive equal
// bytes count without waiting on each other; a gigabyte at a time fits their 32 bits.
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

// The counts of the first chunks of a block read from a file, on the helper thread that read it:
// the share that keeps both threads about equally busy, since the thread that cuts the lines
// counts the rest. every: each byte value's counts too.
void CountChunks(const char* data, std::int64_t got, std::int64_t blockOffset, bool every,
                 std::vector<TextLoader::ChunkCounts>& chunks, std::vector<ByteHistogram>& histograms)
{
    constexpr std::int64_t kHelperShare = 6;  // eighths
    const std::int64_t upTo = got / 8 * kHelperShare;
    for (std::int64_t off = 0; off < upTo; off = ChunkEnd(blockOffset, off)) {
        const char* begin = data + off;
        const char* end = data + std::min(ChunkEnd(blockOffset, off), got);
        chunks.push_back(TextLoader::Count(begin, end));
        if (every)
            CountEveryByte(begin, end, histograms.emplace_back());
    }
}

}  // namespace

void TextLoader::MapFiles(bool on) { mapFiles = on; }

TextLoader::TextLoader(TextStore& store, const LoadParams& params) : store_(store), params_(params)
{
    params_.cutLength = std::max<std::int64_t>(params_.cutLength, 1);
    params_.tabSize = std::max(params_.tabSize, 1);
}

TextLoader::~TextLoader() = default;

std::future<TextLoader::BlockRead> TextLoader::StartRead(int fd, std::int64_t size)
{
    const std::int64_t offset = readOffset_;
    readOffset_ += size;
    if (LoadBlock* block = MapForReading(fd, offset, size)) {
        // The file's own pages: the helper thread brings them in while the block before is cut.
        return std::async(std::launch::async | std::launch::deferred, [this, block, size, offset] {
            block->Prefetch();
            const auto got = static_cast<std::int64_t>(block->Size());
            BlockRead read{block->Data(), size, got, 0, block, {}, {}};
            CountChunks(block->Data(), got, offset, countingAll_.load(), read.counts, read.every);
            return read;
        });
    }
    // Endless input (a device, a pipe that never ends) would take all memory and then the
    // program: reading stops as out of memory while a reserve is left, every few megabytes.
    CheckMemory(size);
    const std::size_t room = BlockRoom(size);
    char* data = spare_ && spare_->Size() == room ? store_.AdoptBlock(std::move(spare_)) : store_.NewBlock(room);
    // Where no thread can be started (a tight address-space limit), the block is read on demand.
    return std::async(std::launch::async | std::launch::deferred, [this, fd, data, size, offset] {
        BlockRead block{data, size, 0, 0, nullptr, {}, {}};
        // Decompressing keeps the helper thread busy: the thread that cuts the lines counts.
        if (source_) {
            block.got = source_->ReadBlock(data, size, block.error);
            return block;
        }
        block.got = streaming_ ? ReadAvailable(fd, data, size, block.error, stop_)
                               : ReadFully(fd, data, size, offset, block.error);
        // A pipe's blocks may come short, and where the next begins is known once this one is:
        // they are counted as they are cut.
        if (!streaming_ && block.got > 0)
            CountChunks(data, block.got, offset, countingAll_.load(), block.counts, block.every);
        return block;
    });
}

LoadBlock* TextLoader::MapForReading(int fd, std::int64_t offset, std::int64_t size)
{
    if (source_ || streaming_ || !mapFiles || size < kMapAtLeast)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size <= offset)
        return nullptr;
    LoadBlock* block =
        store_.MapBlock(fd, offset, static_cast<std::size_t>(std::min<std::int64_t>(size, st.st_size - offset)));
    // A mapped block costs no memory of the program's own, its lines their 8 bytes each: as many
    // as the block before gave (once more, for the lines this one will give) must still fit. A file
    // of empty lines takes twelve times its size.
    const auto lines = static_cast<std::int64_t>(store_.LineCount());
    if (block && lines > linesChecked_) {
        const auto table = (lines - linesChecked_) * static_cast<std::int64_t>(sizeof(LineSlot));
        linesChecked_ = lines;
        if (!MemoryAllows(2 * table))
            throw std::bad_alloc();
    }
    return block;
}

std::size_t TextLoader::BlockRoom(std::int64_t size) const
{
    return static_cast<std::size_t>(size + (source_ ? Decompressor::kBlockSlack : 0));
}

void TextLoader::CheckMemory(std::int64_t bytes)
{
    constexpr std::int64_t kCheckEvery = 8 << 20;
    uncheckedBytes_ += bytes;
    if (uncheckedBytes_ >= kCheckEvery) {
        if (!MemoryAllows(uncheckedBytes_))
            throw std::bad_alloc();
        uncheckedBytes_ = 0;
    }
}

std::int64_t TextLoader::Done(std::int64_t total) const { return source_ ? source_->Consumed() : total; }

bool TextLoader::AbortRequested(ProgressScope& bar, std::int64_t total, Prompter& prompter)
{
    if (bar.Step(Done(total)) && prompter.Ask("Abort load?", Buttons::YesNo) == Answer::Yes)
        outcome_.status = LoadOutcome::Status::Aborted;
    return outcome_.status == LoadOutcome::Status::Aborted;
}

LoadOutcome TextLoader::Load(int fd, std::int64_t expectedSize, ProgressWindow& progress, Prompter& prompter)
{
    return Run(fd, expectedSize, progress, prompter);
}

LoadOutcome TextLoader::Load(Decompressor& source, std::int64_t compressedSize, ProgressWindow& progress,
                             Prompter& prompter)
{
    source_ = &source;
    return Run(-1, compressedSize, progress, prompter);
}

LoadOutcome TextLoader::Continue(int fd, std::int64_t offset, std::int64_t expectedSize, ProgressWindow& progress,
                                 Prompter& prompter)
{
    fileOffset_ = offset;
    firstLine_ = false;
    return Run(fd, expectedSize, progress, prompter);
}

LoadOutcome TextLoader::Run(int fd, std::int64_t expectedSize, ProgressWindow& progress, Prompter& prompter)
{
    struct stat st {};
    streaming_ = !source_ && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode));
    readOffset_ = fileOffset_;
    linesChecked_ = static_cast<std::int64_t>(store_.LineCount());
    ProgressScope bar(progress, expectedSize);
    std::int64_t total = 0;
    std::int64_t requested = 0;
    const char* lastEnd = nullptr;
    // The next block is read on a helper thread while this one is cut into lines.
    // Blocks end on chunk edges of the file, except where the expected end comes first: a small
    // read on a followed file takes no more memory than its bytes.
    const std::int64_t start = fileOffset_;
    auto nextSize = [&] {
        const std::int64_t at = start + requested;
        // Beyond the expected end (a pipe, or a file still growing) the reads go on a chunk at a time.
        // Decompressed text is as long as it turns out: whole blocks until it ends.
        const std::int64_t remaining = source_                    ? kBlockBytes
                                       : expectedSize > requested ? expectedSize - requested
                                                                  : kChunkSize;
        const std::int64_t toEdge = kChunkSize - at % kChunkSize;
        std::int64_t size = toEdge + (kBlockChunks - 1) * kChunkSize;
        if (remaining < size)
            size = start == 0 ? (remaining + kChunkSize - 1) / kChunkSize * kChunkSize : remaining;
        requested += size;
        return size;
    };
    std::future<BlockRead> pending;
    int blocks = 1;
    const std::uint64_t faultsBefore = MappedBytesGuard::Faults();
    try {
        pending = StartRead(fd, nextSize());
        while (pending.valid()) {
            PrepareSpareWhileWaiting(pending);
            // A source that keeps the reader waiting must not keep Escape from working.
            while (pending.wait_for(std::chrono::milliseconds(50)) == std::future_status::timeout)
                if (AbortRequested(bar, total, prompter))
                    break;
            if (outcome_.status == LoadOutcome::Status::Aborted)
                break;
            BlockRead block = pending.get();
            if (block.got < 0) {
                outcome_.status = LoadOutcome::Status::ReadError;
                outcome_.error = block.error;
                break;
            }
            const bool more = block.error == 0 && (streaming_ ? block.got > 0 : block.got == block.size) &&
                              (maxBlocks_ < 0 || blocks++ < maxBlocks_);
            if (more)
                pending = StartRead(fd, nextSize());
            if (!lineStart_)
                lineStart_ = block.data;
            lastEnd = block.data;
            std::size_t chunk = 0;
            for (std::int64_t off = 0; off < block.got; ++chunk) {
                const std::int64_t next = ChunkEnd(fileOffset_, off);
                const char* begin = block.data + off;
                const char* end = block.data + std::min(next, block.got);
                total += end - begin;
                if (AbortRequested(bar, total, prompter))
                    break;
                ProcessChunk(begin, end, chunk < block.counts.size() ? &block.counts[chunk] : nullptr,
                             chunk < block.every.size() ? &block.every[chunk] : nullptr);
                lastEnd = end;
                off = next;
            }
            fileOffset_ += block.got;
            if (outcome_.status == LoadOutcome::Status::Aborted)
                break;

            if (block.mapped && MappedBytesGuard::Faults() != faultsBefore)
                block.error = EIO;  // the file was shortened under the mapping: what came is zeros
            if (block.error) {
                outcome_.status = LoadOutcome::Status::ReadError;
                outcome_.error = block.error;
                break;
            }
            if (more)
                CarryOverBlock(block.data + block.got);
            if (block.mapped)
                block.mapped->ForgetTouchedPages();
        }
        StopPendingRead(pending);
        FinishLastLine(lastEnd ? lastEnd : lineStart_);
        outcome_.validUtf8 = utf8_.MostlyUtf8();
        outcome_.histogramComplete = countingAll_;
    } catch (const std::bad_alloc&) {
        stop_ = true;
        if (pending.valid())
            pending.wait();
        carried_ = LineRecord();
        outcome_.status = LoadOutcome::Status::OutOfMemory;
    }
    return outcome_;
}

void TextLoader::PrepareSpareWhileWaiting(const std::future<BlockRead>& pending)
{
    if (!source_)
        return;
    if (!spare_) {
        spare_ = std::make_unique<LoadBlock>(BlockRoom(kBlockBytes));
        sparePopulated_ = 0;
    }
    constexpr std::size_t kStep = 1 << 20;
    while (sparePopulated_ < spare_->Size() && pending.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        spare_->Populate(sparePopulated_, sparePopulated_ + kStep);
        sparePopulated_ += kStep;
    }
}

void TextLoader::StopPendingRead(std::future<BlockRead>& pending)
{
    if (!pending.valid())
        return;
    // Stopped early: the block being read holds nothing the text needs.
    stop_ = true;
    pending.wait();
    pending = {};
    store_.DropLastBlock();
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
__attribute__((always_inline)) inline TextLoader::ChunkCounts CountVectors(const std::uint8_t*& p,
                                                                           const std::uint8_t* e)
{
    using Vector = typename VectorOf<N>::Type;
    using Counts = typename VectorOf<N>::Counts;
    TextLoader::ChunkCounts counts;
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

__attribute__((target("avx2"))) TextLoader::ChunkCounts CountAvx2(const std::uint8_t*& p, const std::uint8_t* e)
{
    return CountVectors<32>(p, e);
}

}  // namespace

TextLoader::ChunkCounts TextLoader::Count(const char* begin, const char* end, bool wide)
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

void TextLoader::TakeCounts(const char* begin, const char* end, const ChunkCounts& counts, const ByteHistogram* every)
{
    outcome_.unusualAscii += counts.unusualAscii;
    chunkHasTab_ = counts.tab;
    chunkHasFF_ = counts.formFeed;
    chunkHasHigh_ = counts.beyondAscii;
    lineHasHigh_ = lineHasHigh_ || chunkHasHigh_;
    // Whether the text is UTF-8: only chunks with bytes above 127 (or a sequence still open) need
    // a look, so ASCII costs nothing more.
    if (counts.beyondAscii || !utf8_.Settled())
        utf8_.Feed(begin, end);
    // A text that is not UTF-8 needs every byte value counted, for the choice of its table: from
    // the moment that shows, the chunks before it too (their bytes stay where they were read).
    if (!countingAll_ && counts.beyondAscii && !utf8_.MostlyUtf8()) {
        countingAll_ = true;
        for (const auto& [from, to] : uncounted_)
            CountEveryByte(from, to, outcome_.histogram);
        uncounted_.clear();
        uncounted_.shrink_to_fit();
    }
    if (!countingAll_) {
        uncounted_.emplace_back(begin, end);
    } else if (every) {
        for (std::size_t b = 0; b < every->size(); ++b)
            outcome_.histogram[b] += (*every)[b];
    } else {
        CountEveryByte(begin, end, outcome_.histogram);
    }
}

void TextLoader::ProcessChunk(const char* begin, const char* end, const ChunkCounts* counted,
                              const ByteHistogram* every)
{
    TakeCounts(begin, end, counted ? *counted : Count(begin, end), every);
    // Most chunks hold no form feed; the counts say so without a search.
    nextFF_ = nullptr;
    ffKnown_ = !chunkHasFF_;
    const char* p = begin;
    while (p < end)
        ProcessLine(p, begin, end);
}

void TextLoader::ProcessLine(const char*& p, const char* chunkBegin, const char* chunkEnd)
{
    const std::int64_t room = params_.cutLength - n_;  // bytes until the line reaches the cut length
    const char* windowEnd = p + std::min<std::int64_t>(room, chunkEnd - p);
    if (!params_.ignoreFormatCodes) {
        const void* lf = std::memchr(p, kLF, static_cast<std::size_t>(windowEnd - p));
        const char* stop = lf ? static_cast<const char*>(lf) : windowEnd;
        if (!ffKnown_ || (nextFF_ && nextFF_ < p)) {
            const void* ff = std::memchr(p, kFF, static_cast<std::size_t>(chunkEnd - p));
            nextFF_ = ff ? static_cast<const char*>(ff) : nullptr;
            ffKnown_ = true;
        }
        if (nextFF_ && nextFF_ < stop)
            stop = nextFF_;
        if (stop < windowEnd) {  // an LF or FF ends the line
            Take(p, stop + 1);
            p = stop + 1;
            EndLine(p, chunkBegin);
            return;
        }
    }
    // A text line cut at the wrap width keeps its characters whole; records keep their bytes.
    const char* cut = windowEnd;
    if (n_ + (windowEnd - p) >= params_.cutLength && !params_.ignoreFormatCodes && !params_.binaryMode)
        cut = Utf8CutPoint(p, windowEnd, chunkEnd);
    Take(p, cut);
    p = cut;
    if (n_ >= params_.cutLength || cut < windowEnd)
        LookAheadAtCut(p, chunkBegin, chunkEnd);
}

void TextLoader::LookAheadAtCut(const char*& p, const char* chunkBegin, const char* chunkEnd)
{
    // The line has reached the cut length. A terminator right behind it stays with the line, as
    // far as this chunk shows; the last byte of a chunk has no look-ahead.
    while (p < chunkEnd) {
        if (static_cast<std::uint8_t>(*p) == kLF) {
            Take(p, p + 1);
            ++p;
            if (!params_.ignoreFormatCodes)
                break;
        } else if (static_cast<std::uint8_t>(*p) == kCR && p + 1 < chunkEnd && static_cast<std::uint8_t>(p[1]) == kLF) {
            Take(p, p + 1);
            ++p;
        } else {
            break;
        }
    }
    EndLine(p, chunkBegin);
}

void TextLoader::Take(const char* from, const char* to)
{
    n_ += to - from;
    if (!chunkHasTab_ || params_.binaryMode) {
        c_ += to - from;
        return;
    }
    // Columns as the load counts them: every byte one, then a tab jumps to T*((c+T)/T).
    const int t = params_.tabSize;
    while (from < to) {
        const void* tab = std::memchr(from, kTab, static_cast<std::size_t>(to - from));
        if (!tab) {
            c_ += to - from;
            return;
        }
        const char* at = static_cast<const char*>(tab);
        c_ += at - from + 1;
        c_ = NextTabStop(c_, t);
        from = at + 1;
    }
}

void TextLoader::EndLine(const char* end, const char* chunkBegin)
{
    const char* last = end - 1;
    // A line of nothing but its LF has no CR before it, even at the start of a chunk.
    if (static_cast<std::uint8_t>(*last) == kLF && (last != chunkBegin || n_ == 1))
        store_.SetTerminator(last != chunkBegin && static_cast<std::uint8_t>(last[-1]) == kCR ? TerminatorKind::CRLF
                                                                                              : TerminatorKind::LF);
    FinishLastLine(end);
}

void TextLoader::MeasureCells(std::int64_t tail)
{
    // Whether the text is UTF-8 is known only once it is read: its widest line in cells is kept
    // beside the widest in bytes. The bytes with tab stops bound the cells from above, so only a
    // line with bytes above 127 that could be the widest is measured, unit by unit.
    std::int64_t& widest = outcome_.widestCells;
    if (!lineHasHigh_ || c_ <= widest || params_.binaryMode) {
        widest = std::max(widest, c_);
        return;
    }
    std::string joined;
    LineView line(lineStart_, static_cast<std::uint32_t>(tail));
    if (carried_.Length() != 0) {
        joined.assign(carried_.Bytes(), carried_.Length());
        joined.append(lineStart_, static_cast<std::size_t>(tail));
        line = LineView(joined);
    }
    // In well-formed UTF-8 every character takes at most two cells, and one of a single byte at
    // most one: without tab stops to move, the bytes less the continuation bytes plus the lead
    // bytes bound the cells, as closely as a line of wide characters takes them.
    std::int64_t bound = c_;
    if (utf8_.NoStrays() && (!chunkHasTab_ || !std::memchr(line.Bytes(), kTab, line.Length()))) {
        const Utf8Shape shape = CountUtf8Shape(line.Bytes(), line.Bytes() + line.Length());
        bound = c_ - static_cast<std::int64_t>(shape.continuations) + static_cast<std::int64_t>(shape.leads);
    }
    DisplayRules rules;
    rules.utf8 = true;
    rules.tabSize = params_.tabSize;
    rules.ignoreFormatCodes = params_.ignoreFormatCodes;
    rules.terminator = store_.Terminator();
    widest = WidestWith(widest, bound, line, rules);
}

void TextLoader::FinishLastLine(const char* end)
{
    store_.WidenTo(c_);
    const std::int64_t tail = lineStart_ && end ? end - lineStart_ : 0;
    MeasureCells(tail);
    lineHasHigh_ = chunkHasHigh_;
    if (carried_.Length() == 0) {
        store_.AppendLine(LineRecord::Borrow(lineStart_, static_cast<std::uint32_t>(tail)));
    } else {
        carried_.Append(lineStart_, static_cast<std::size_t>(tail));
        store_.AppendLine(std::move(carried_));
        carried_ = LineRecord();
    }
    if (firstLine_) {
        store_.SetCurrentLine(0);
        firstLine_ = false;
    }
    lineStart_ = end;
    n_ = 0;
    c_ = 0;
}

void TextLoader::CarryOverBlock(const char* blockEnd)
{
    // The line in progress continues in the next block: keep its head as a line of its own.
    if (lineStart_ && blockEnd > lineStart_)
        carried_.Append(lineStart_, static_cast<std::size_t>(blockEnd - lineStart_));
    lineStart_ = nullptr;
}

}  // namespace quill
