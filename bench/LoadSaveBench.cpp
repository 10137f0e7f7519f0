// Opening a large file and saving it again: throughput and the memory the loaded text adds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "BenchSupport.h"
#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "settings/Settings.h"
#include "text/TextFileWriter.h"
#include "text/TextLoader.h"

namespace quill::bench {
namespace {

using Harness = QuietDocument;

// The open of a file in a document emptied first, timed; returns the resident memory before it,
// with the timing paused.
std::int64_t OpenAfresh(benchmark::State& state, Harness& harness, const std::string& path)
{
    state.PauseTiming();
    harness.doc->New();
    TextStore::WaitForReleases();
    const std::int64_t before = ResidentBytes();
    state.ResumeTiming();
    if (!harness.doc->Open(path) || harness.doc->File().LoadAborted())
        state.SkipWithError("cannot open the benchmark file");
    state.PauseTiming();
    return before;
}

void BM_Load(benchmark::State& state)
{
    const std::string path = BenchFile();
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    Harness harness;
    std::int64_t added = 0;
    for (auto _ : state) {
        const std::int64_t before = OpenAfresh(state, harness, path);
        added = ResidentBytes() - before;
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["added_rss_bytes"] = static_cast<double>(added);
    state.counters["added_per_file_byte"] = static_cast<double>(added) / static_cast<double>(size);
    state.counters["lines"] = static_cast<double>(harness.doc->Text().LineCount());
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime();

// The generated log as an 8-bit file (code page 1252): " ms" becomes " \xB5s", so the text is not
// UTF-8 and its bytes are counted to choose a table. Made once beside the log.
std::string EightBitBenchFile()
{
    const std::string plain = BenchFile();
    const std::string path = plain + ".cp1252";
    if (std::filesystem::exists(path))
        return path;
    std::ifstream in(plain, std::ios::binary);
    std::ofstream out(path + ".part", std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (const std::size_t ms = line.find(" ms "); ms != std::string::npos)
            line.replace(ms, 4, " \xB5s ");
        out << line << '\n';
    }
    out.close();
    std::filesystem::rename(path + ".part", path);
    return path;
}

// The open of that 8-bit file: the load and the count of its bytes for the table's choice.
void BM_LoadEightBit(benchmark::State& state)
{
    const std::string path = EightBitBenchFile();
    Harness harness;
    for (auto _ : state) {
        OpenAfresh(state, harness, path);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
    state.counters["utf8"] = harness.doc->Utf8Text() ? 1 : 0;
}
BENCHMARK(BM_LoadEightBit)->Unit(benchmark::kMillisecond)->UseRealTime();

// A file larger than many machines' memory, opened at once (no window): with its blocks mapped
// (argument 1) or read into memory of the program's own (0, as loads did before). Counters: the
// resident memory after the open and after the last screen was read (Ctrl+End), for each byte of
// the file. The first argument is the size in MiB (6144: a 6 GiB log).
void BM_LoadLargeFile(benchmark::State& state)
{
    const std::int64_t size = state.range(0) << 20;
    const std::string path = BenchFile(size);
    TextLoader::MapFiles(state.range(1) != 0);
    Harness harness;
    std::int64_t afterOpen = 0;
    std::int64_t afterEnd = 0;
    for (auto _ : state) {
        const std::int64_t before = OpenAfresh(state, harness, path);
        afterOpen = ResidentBytes() - before;
        // The last screen as the view reads it: the last 60 lines' bytes.
        const TextStore& text = harness.doc->Text();
        std::int64_t sum = 0;
        for (LineIndex i = std::max<LineIndex>(text.LineCount() - 60, 0); i < text.LineCount(); ++i)
            for (const char c : text.Line(i).Text())
                sum += static_cast<unsigned char>(c);
        benchmark::DoNotOptimize(sum);
        afterEnd = ResidentBytes() - before;
        state.ResumeTiming();
    }
    TextLoader::MapFiles(true);
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["resident_after_open_per_file_byte"] = static_cast<double>(afterOpen) / static_cast<double>(size);
    state.counters["resident_after_end_per_file_byte"] = static_cast<double>(afterEnd) / static_cast<double>(size);
    state.counters["lines"] = static_cast<double>(harness.doc->Text().LineCount());
    harness.doc->New();
}
BENCHMARK(BM_LoadLargeFile)
    ->Args({1024, 1})
    ->Args({1024, 0})
    ->Args({6144, 1})
    ->Args({6144, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

// The first screen of a large file in the program: the open returns with its first part, the
// rest is read in steps from the window's event loop (here all steps at once, to the end). The
// argument is the size in MiB (4096: a 4 GiB log).
void BM_FirstScreen(benchmark::State& state)
{
    const std::string path = BenchFile(state.range(0) << 20);
    Harness harness;
    NoView view;
    harness.doc->SetView(&view);
    double rest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        harness.doc->New();
        TextStore::WaitForReleases();
        state.ResumeTiming();
        if (!harness.doc->Open(path) || !harness.doc->LoadingInBackground())
            state.SkipWithError("the file did not load in the background");
        state.PauseTiming();
        const auto started = std::chrono::steady_clock::now();
        while (harness.doc->LoadMore()) {
        }
        rest += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        state.ResumeTiming();
    }
    state.counters["rest_ms"] = rest / static_cast<double>(state.iterations());
    state.counters["lines"] = static_cast<double>(harness.doc->Text().LineCount());
    harness.doc->New();
}
BENCHMARK(BM_FirstScreen)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Leaving a gigabyte document for a new one, as File New or opening another file does.
void BM_CloseAGigabyteDocument(benchmark::State& state)
{
    const std::string path = BenchFile(1000ll << 20);
    Harness harness;
    for (auto _ : state) {
        state.PauseTiming();
        if (!harness.doc->Open(path))
            state.SkipWithError("cannot open the benchmark file");
        state.ResumeTiming();
        harness.doc->New();
    }
    state.counters["lines"] = static_cast<double>(harness.doc->Text().LineCount());
}
BENCHMARK(BM_CloseAGigabyteDocument)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void Save(benchmark::State& state, bool durable)
{
    const std::string path = BenchFile();
    Harness harness;
    if (!harness.doc->Open(path)) {
        state.SkipWithError("cannot open the benchmark file");
        return;
    }
    const std::string target = path + ".saved";
    SilentProgress progress;
    for (auto _ : state) {
        if (int error = WriteTextFile(target, harness.doc->Text(), progress, WriteOptions{durable, {}}))
            state.SkipWithError(std::strerror(error));
    }
    state.SetBytesProcessed(state.iterations() * harness.doc->Text().FileSize());
    std::filesystem::remove(target);
}

// Into the page cache, as an editor's save is felt; the durable variant adds the flush to disk.
void BM_Save(benchmark::State& state) { Save(state, false); }
void BM_SaveDurable(benchmark::State& state) { Save(state, true); }
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveDurable)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The peer of BM_Save in the same run: cp of the same file, into the page cache.
void BM_SaveByCp(benchmark::State& state)
{
    const std::string path = BenchFile();
    const std::string target = path + ".copied";
    const std::string command = "cp '" + path + "' '" + target + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp failed");
    state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(path));
    std::filesystem::remove(target);
}
BENCHMARK(BM_SaveByCp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quill::bench
