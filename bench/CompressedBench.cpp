// Opening a compressed log against the format's own tool decompressing it to nothing, in the same
// run: gzip (argument 0) and zstd (1), of the generated log of the size given in MiB. The compressed
// files are made once with the tools' default levels, from the file as users make them (zstd then
// records the text's size), and kept beside the log.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "document/Document.h"

namespace quill::bench {
namespace {

struct Format {
    const char* tool;
    const char* ending;
};
const Format kFormats[] = {{"gzip", ".gz"}, {"zstd -q", ".zst"}};

// The generated log compressed by the tool; empty when the tool is missing or fails.
std::string CompressedFile(const benchmark::State& state)
{
    const Format& format = kFormats[state.range(0)];
    const std::string plain = BenchFile(state.range(1) << 20);
    const std::string packed = plain + format.ending;
    if (!std::filesystem::exists(packed) && std::system((std::string(format.tool) + " -c '" + plain + "' > '" + packed +
                                                         ".part' && mv '" + packed + ".part' '" + packed + "'")
                                                            .c_str()) != 0)
        return {};
    return packed;
}

void BM_OpenCompressed(benchmark::State& state)
{
    const std::string path = CompressedFile(state);
    if (path.empty()) {
        state.SkipWithError("cannot compress the benchmark file");
        return;
    }
    QuietDocument harness;
    for (auto _ : state) {
        state.PauseTiming();
        harness.doc->New();
        state.ResumeTiming();
        if (!harness.doc->Open(path) || harness.doc->File().LoadAborted())
            state.SkipWithError("cannot open the compressed file");
    }
    state.SetBytesProcessed(state.iterations() * harness.doc->Text().FileSize());
    state.counters["lines"] = static_cast<double>(harness.doc->Text().LineCount());
}

// The whole process of the tool, as `zcat FILE > /dev/null` and `zstd -dc FILE > /dev/null`.
void BM_PeerDecompress(benchmark::State& state)
{
    const std::string path = CompressedFile(state);
    if (path.empty()) {
        state.SkipWithError("cannot compress the benchmark file");
        return;
    }
    const std::string command = std::string(kFormats[state.range(0)].tool) + " -dc '" + path + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError(("failed: " + command).c_str());
}

void Arguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"format", "MiB"})->Args({0, 1024})->Args({1, 1024});
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
}

BENCHMARK(BM_OpenCompressed)->Apply(Arguments);
BENCHMARK(BM_PeerDecompress)->Apply(Arguments);

}  // namespace
}  // namespace quill::bench
