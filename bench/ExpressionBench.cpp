// Counting the hits of expressions in the varied log of 200 MiB and 1 GiB (the second argument,
// in MiB): the lines the automaton picks go to the expression. PeerBench runs rg and grep on the
// same files and expressions.
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchSupport.h"
#include "document/Document.h"

namespace quill::bench {
namespace {

struct VariedLog : QuietDocument {
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
    options.query.text = expression.pattern;
    options.query.matchCase = expression.matchCase;
    options.query.regex = true;
    CountFromTheTop(state, *log.doc, options);
    state.SetLabel(expression.pattern);
}
BENCHMARK(BM_CountExpression)->Apply(ExpressionCaseArguments);

}  // namespace
}  // namespace quill::bench
