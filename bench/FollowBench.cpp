// Following a growing log: 1 MB appended to a followed 1 GB file, and a file that gains 10,000
// lines a second, looked at every 50 ms as the window does while the file keeps changing.
// QUILL_BENCH_FOLLOW_SIZE replaces the size of the followed file (bytes).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "BenchSupport.h"
#include "document/Document.h"

namespace quill::bench {
namespace {

// A copy of the generated log that may grow, followed by a document.
struct FollowedLog : QuietDocument {
    std::string path;
    LogLines more;

    explicit FollowedLog(std::int64_t size)
    {
        path = (std::filesystem::temp_directory_path() / "quill-bench-followed.log").string();
        std::filesystem::copy_file(BenchFile(size), path, std::filesystem::copy_options::overwrite_existing);
        doc->Open(path);
        doc->Follow().SetMode(AutoReload::ChangesAndEnd);
    }
    ~FollowedLog() { std::filesystem::remove(path); }

    void Grow(std::int64_t bytes)
    {
        const std::string text = more.Next(bytes);
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
};

std::int64_t FollowSize(std::int64_t fallback)
{
    const char* size = std::getenv("QUILL_BENCH_FOLLOW_SIZE");
    return size && *size ? std::atoll(size) : fallback;
}

// From the look at the file to the new lines in the text with the cursor on the last line.
void BM_FollowAppend1MBTo1GB(benchmark::State& state)
{
    FollowedLog log(FollowSize(1ll << 30));
    for (auto _ : state) {
        state.PauseTiming();
        log.Grow(1 << 20);
        state.ResumeTiming();
        if (log.doc->CheckFollowedFile() != Document::FollowStep::Appended)
            state.SkipWithError("the growth was not appended");
    }
    state.counters["lines"] = static_cast<double>(log.doc->Text().LineCount());
}
BENCHMARK(BM_FollowAppend1MBTo1GB)->Unit(benchmark::kMillisecond)->Iterations(20);

// 10,000 lines a second arrive as 500 lines per 50 ms look; the share of a core is the CPU time
// of one look over 50 ms.
void BM_Follow10000LinesPerSecond(benchmark::State& state)
{
    FollowedLog log(FollowSize(200ll << 20));
    constexpr std::int64_t kBytesPer50Ms = 500 * 88;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        log.Grow(kBytesPer50Ms);
        state.ResumeTiming();
        const std::clock_t start = std::clock();
        if (log.doc->CheckFollowedFile() != Document::FollowStep::Appended)
            state.SkipWithError("the growth was not appended");
        cpu += static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    }
    state.counters["core_share_percent"] = 100.0 * cpu / (0.050 * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Follow10000LinesPerSecond)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace
}  // namespace quill::bench
