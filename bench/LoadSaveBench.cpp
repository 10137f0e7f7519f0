// Opening a large file and saving it again: throughput and the memory the loaded text adds.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "BenchSupport.h"
#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "settings/Settings.h"
#include "text/TextFileWriter.h"

namespace quill::bench {
namespace {

using Harness = QuietDocument;

void BM_Load(benchmark::State& state)
{
    const std::string path = BenchFile();
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    Harness harness;
    std::int64_t added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        harness.doc->New();
        TextStore::WaitForReleases();
        const std::int64_t before = ResidentBytes();
        state.ResumeTiming();
        if (!harness.doc->Open(path))
            state.SkipWithError("cannot open the benchmark file");
        state.PauseTiming();
        added = ResidentBytes() - before;
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["added_rss_bytes"] = static_cast<double>(added);
    state.counters["added_per_file_byte"] = static_cast<double>(added) / static_cast<double>(size);
    state.counters["lines"] = static_cast<double>(harness.doc->Text().LineCount());
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime();

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
        if (int error = WriteTextFile(target, harness.doc->Text(), progress, WriteOptions{durable}))
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

}  // namespace
}  // namespace quill::bench
