// The block loop of loading: blocks read on a helper thread from a source, cut chunk by chunk.
#include "text/TextLoader.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <future>
#include <new>
#include <sys/stat.h>
#include <vector>

#include "common/MemoryReserve.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "text/DecompressedSource.h"
#include "text/FileSource.h"
#include "text/LoadBlock.h"
#include "text/MappedBytesGuard.h"
#include "text/PipeSource.h"
#include "text/TextStore.h"

namespace quill {

namespace {

// Blocks of 16 MB, a whole number of chunks each, so that a chunk never straddles two blocks; small
// enough that reading the next overlaps most of the work on this one.
constexpr std::int64_t kBlockChunks = TextLoader::kBlockBytes / TextLoader::kChunkSize;

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

// The counts of the first chunks of a block read from a file, on the helper thread that read it:
// the share that keeps both threads about equally busy, since the thread that cuts the lines
// counts the rest. every: each byte value's counts too.
void CountChunks(const char* data, std::int64_t got, std::int64_t blockOffset, bool every,
                 std::vector<ChunkCounts>& chunks, std::vector<ByteHistogram>& histograms)
{
    constexpr std::int64_t kHelperShare = 6;  // eighths
    const std::int64_t upTo = got / 8 * kHelperShare;
    for (std::int64_t off = 0; off < upTo; off = ChunkEnd(blockOffset, off)) {
        const char* begin = data + off;
        const char* end = data + std::min(ChunkEnd(blockOffset, off), got);
        chunks.push_back(CountChunk(begin, end));
        if (every)
            CountEveryByte(begin, end, histograms.emplace_back());
    }
}

LoadParams Sound(LoadParams params)
{
    params.cutLength = std::max<std::int64_t>(params.cutLength, 1);
    params.tabSize = std::max(params.tabSize, 1);
    return params;
}

}  // namespace

void TextLoader::MapFiles(bool on) { mapFiles = on; }

TextLoader::TextLoader(TextStore& store, const LoadParams& params)
    : store_(store),
      cutter_(store, Sound(params), statistics_)
{
}

TextLoader::~TextLoader() = default;

std::future<TextLoader::BlockRead> TextLoader::StartRead(std::int64_t size)
{
    const std::int64_t offset = readOffset_;
    readOffset_ += size;
    if (LoadBlock* block = MapForReading(offset, size)) {
        // The file's own pages: the helper thread brings them in while the block before is cut.
        return std::async(std::launch::async | std::launch::deferred, [this, block, size, offset] {
            block->Prefetch();
            const auto got = static_cast<std::int64_t>(block->Size());
            BlockRead read{block->Data(), size, got, 0, block, {}, {}};
            CountChunks(block->Data(), got, offset, statistics_.CountingAll(), read.counts, read.every);
            return read;
        });
    }
    // Endless input (a device, a pipe that never ends) would take all memory and then the
    // program: reading stops as out of memory while a reserve is left, every few megabytes.
    CheckMemory(size);
    const std::size_t room = BlockRoom(size);
    char* data = spare_ && spare_->Size() == room ? store_.AdoptBlock(std::move(spare_)) : store_.NewBlock(room);
    // Where no thread can be started (a tight address-space limit), the block is read on demand.
    return std::async(std::launch::async | std::launch::deferred, [this, data, size, offset] {
        BlockRead block{data, size, 0, 0, nullptr, {}, {}};
        block.got = source_->Read(data, size, offset, block.error, stop_);
        if (source_->CountsOnHelper() && block.got > 0)
            CountChunks(data, block.got, offset, statistics_.CountingAll(), block.counts, block.every);
        return block;
    });
}

LoadBlock* TextLoader::MapForReading(std::int64_t offset, std::int64_t size)
{
    const int fd = source_->MappableFile();
    if (fd < 0 || !mapFiles || size < kMapAtLeast)
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

std::size_t TextLoader::BlockRoom(std::int64_t size) const { return static_cast<std::size_t>(size) + source_->Slack(); }

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

bool TextLoader::AbortRequested(ProgressScope& bar, std::int64_t total, Prompter& prompter)
{
    if (bar.Step(source_->Progress(total)) && prompter.Ask("Abort load?", Buttons::YesNo) == Answer::Yes)
        outcome_.status = LoadOutcome::Status::Aborted;
    return outcome_.status == LoadOutcome::Status::Aborted;
}

LoadOutcome TextLoader::Load(int fd, std::int64_t expectedSize, ProgressWindow& progress, Prompter& prompter)
{
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        FileSource file(fd);
        return Run(file, expectedSize, progress, prompter);
    }
    PipeSource pipe(fd);
    return Run(pipe, expectedSize, progress, prompter);
}

LoadOutcome TextLoader::Load(Decompressor& source, std::int64_t compressedSize, ProgressWindow& progress,
                             Prompter& prompter)
{
    DecompressedSource text(source);
    return Run(text, compressedSize, progress, prompter);
}

LoadOutcome TextLoader::Continue(int fd, std::int64_t offset, std::int64_t expectedSize, ProgressWindow& progress,
                                 Prompter& prompter)
{
    fileOffset_ = offset;
    cutter_.Continuing();
    return Load(fd, expectedSize, progress, prompter);
}

std::int64_t TextLoader::NextBlockSize(std::int64_t start, std::int64_t& requested, std::int64_t expectedSize) const
{
    // Blocks end on chunk edges of the file, except where the expected end comes first: a small
    // read on a followed file takes no more memory than its bytes. Beyond the expected end (a
    // pipe, or a file still growing) the reads go on a chunk at a time; text of a length unknown
    // ahead comes in whole blocks until it ends.
    const std::int64_t at = start + requested;
    const std::int64_t remaining = source_->LengthUnknown()   ? kBlockBytes
                                   : expectedSize > requested ? expectedSize - requested
                                                              : kChunkSize;
    const std::int64_t toEdge = kChunkSize - at % kChunkSize;
    std::int64_t size = toEdge + (kBlockChunks - 1) * kChunkSize;
    if (remaining < size)
        size = start == 0 ? (remaining + kChunkSize - 1) / kChunkSize * kChunkSize : remaining;
    requested += size;
    return size;
}

LoadOutcome TextLoader::Run(LoadSource& source, std::int64_t expectedSize, ProgressWindow& progress, Prompter& prompter)
{
    source_ = &source;
    readOffset_ = fileOffset_;
    linesChecked_ = static_cast<std::int64_t>(store_.LineCount());
    ProgressScope bar(progress, expectedSize);
    std::int64_t total = 0;
    std::int64_t requested = 0;
    const char* lastEnd = nullptr;
    const std::int64_t start = fileOffset_;
    // The next block is read on a helper thread while this one is cut into lines.
    std::future<BlockRead> pending;
    int blocks = 1;
    const std::uint64_t faultsBefore = MappedBytesGuard::Faults();
    try {
        pending = StartRead(NextBlockSize(start, requested, expectedSize));
        while (pending.valid() && WaitForBlock(pending, bar, total, prompter)) {
            BlockRead block = pending.get();
            if (block.got < 0) {
                FailRead(block.error);
                break;
            }
            const bool more = block.error == 0 && (source.Streams() ? block.got > 0 : block.got == block.size) &&
                              (maxBlocks_ < 0 || blocks++ < maxBlocks_);
            if (more)
                pending = StartRead(NextBlockSize(start, requested, expectedSize));
            CutBlock(block, total, lastEnd, bar, prompter);
            if (outcome_.status == LoadOutcome::Status::Aborted)
                break;
            if (block.mapped && MappedBytesGuard::Faults() != faultsBefore)
                block.error = EIO;  // the file was shortened under the mapping: what came is zeros
            if (block.error) {
                FailRead(block.error);
                break;
            }
            if (more)
                cutter_.CarryOverBlock(block.data + block.got);
            if (block.mapped)
                block.mapped->ForgetTouchedPages();
        }
        StopPendingRead(pending);
        cutter_.FinishLastLine(lastEnd ? lastEnd : cutter_.LineStart());
        outcome_.validUtf8 = statistics_.Utf8().MostlyUtf8();
        outcome_.histogramComplete = statistics_.CountingAll();
    } catch (const std::bad_alloc&) {
        stop_ = true;
        if (pending.valid())
            pending.wait();
        cutter_.DropCarried();
        outcome_.status = LoadOutcome::Status::OutOfMemory;
    }
    outcome_.unusualAscii = statistics_.UnusualAscii();
    outcome_.histogram = statistics_.Histogram();
    outcome_.widestCells = cutter_.WidestCells();
    source_ = nullptr;
    return outcome_;
}

bool TextLoader::WaitForBlock(const std::future<BlockRead>& pending, ProgressScope& bar, std::int64_t total,
                              Prompter& prompter)
{
    PrepareSpareWhileWaiting(pending);
    // A source that keeps the reader waiting must not keep Escape from working.
    while (pending.wait_for(std::chrono::milliseconds(50)) == std::future_status::timeout)
        if (AbortRequested(bar, total, prompter))
            return false;
    return true;
}

void TextLoader::FailRead(int error)
{
    outcome_.status = LoadOutcome::Status::ReadError;
    outcome_.error = error;
}

void TextLoader::CutBlock(const BlockRead& block, std::int64_t& total, const char*& lastEnd, ProgressScope& bar,
                          Prompter& prompter)
{
    cutter_.BeginBlock(block.data);
    lastEnd = block.data;
    std::size_t chunk = 0;
    for (std::int64_t off = 0; off < block.got; ++chunk) {
        const std::int64_t next = ChunkEnd(fileOffset_, off);
        const char* begin = block.data + off;
        const char* end = block.data + std::min(next, block.got);
        total += end - begin;
        if (AbortRequested(bar, total, prompter))
            break;
        TakeChunk(begin, end, chunk < block.counts.size() ? &block.counts[chunk] : nullptr,
                  chunk < block.every.size() ? &block.every[chunk] : nullptr);
        lastEnd = end;
        off = next;
    }
    fileOffset_ += block.got;
}

void TextLoader::TakeChunk(const char* begin, const char* end, const ChunkCounts* counted, const ByteHistogram* every)
{
    const ChunkCounts counts = counted ? *counted : CountChunk(begin, end);
    statistics_.Take(begin, end, counts, every);
    cutter_.Cut(begin, end, counts);
}

void TextLoader::PrepareSpareWhileWaiting(const std::future<BlockRead>& pending)
{
    if (!source_->HelperBusy())
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

}  // namespace quill
