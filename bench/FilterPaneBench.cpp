// The filter pane's list on the generated log (QUILL_BENCH_FILE for another, as the peer
// benchmarks): the run stepped as the window steps it, 15 ms at a time, until the count is complete.
// Counters: the lines listed, and the time of the first step (what shows the first screen of
// results). BM_PeerGrepCountLiteral counts the same literal with grep in the same run.
#include <benchmark/benchmark.h>

#include <chrono>

#include "BenchSupport.h"
#include "search/FilterRun.h"

namespace quill::bench {
namespace {

void BM_FilterPaneList(benchmark::State& state)
{
    QuietDocument harness;
    if (!harness.doc->Open(BenchFile()) || harness.doc->File().LoadAborted()) {
        state.SkipWithError("cannot open the benchmark file");
        return;
    }
    FilterOptions options;
    options.text = "ERROR";
    options.matchCase = true;
    double firstStep = 0;
    std::size_t listed = 0;
    for (auto _ : state) {
        FilterRun run(*harness.doc, options);
        const auto start = std::chrono::steady_clock::now();
        bool more = run.Step(std::chrono::milliseconds(15));
        firstStep = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        while (more)
            more = run.Step(std::chrono::milliseconds(15));
        listed = run.Lines().size();
    }
    state.counters["items"] = static_cast<double>(listed);
    state.counters["first_step_ms"] = firstStep;
}
BENCHMARK(BM_FilterPaneList)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
}  // namespace quill::bench
