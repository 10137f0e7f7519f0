// Counting the hits of expressions in the varied log of 200 MiB and 1 GiB (the second argument,
// in MiB): the lines the automaton picks go to the expression. PeerBench runs rg and grep on the
// same files and expressions.
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchSupport.h"
#include "commands/SearchCommands.h"
#include "document/Document.h"
#include "view/ViewState.h"

namespace quill::bench {
namespace {

struct VariedLog : QuietDocument {
    ViewState state{0, 0, 60, 120};

    explicit VariedLog(std::int64_t size) { doc->Open(VariedBenchFile(size)); }
};

// One log open at a time: the 1 GiB one takes more than a gigabyte of memory.
VariedLog& TheVariedLog(std::int64_t size)
{
    static std::unique_ptr<VariedLog> log;
    static std::int64_t openSize = 0;
    if (!log || openSize != size) {
        log.reset();
        log = std::make_unique<VariedLog>(size);
        openSize = size;
    }
    return *log;
}

void BM_CountExpression(benchmark::State& state)
{
    const ExpressionCase& expression = kExpressionCases[state.range(0)];
    VariedLog& log = TheVariedLog(state.range(1) << 20);
    SearchOptions options;
    options.findText = expression.pattern;
    options.matchCase = expression.matchCase;
    options.useRegEx = true;
    SearchCommands commands(*log.doc, log.state, options);
    std::int64_t hits = 0;
    for (auto _ : state) {
        log.doc->Selection().Clear();
        log.doc->Selection().cursor.line = 0;
        log.doc->Selection().cursor.column = log.doc->Selection().preferredColumn = 0;
        log.doc->Text().SetCurrentLine(0);
        hits = commands.CountMatches();
    }
    state.SetLabel(expression.pattern);
    state.counters["items"] = static_cast<double>(hits);
    state.SetBytesProcessed(state.iterations() * log.doc->Text().FileSize());
}
BENCHMARK(BM_CountExpression)
    ->ArgsProduct({{0, 1, 2, 3}, {200, 1024}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
}  // namespace quill::bench
