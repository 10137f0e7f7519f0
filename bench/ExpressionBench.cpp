// Counting the hits of expressions in the varied log of 200 MiB and 1 GiB (the second argument,
// in MiB): the lines the automaton picks go to the expression. PeerBench runs rg and grep on the
// same files and expressions.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "document/Document.h"

namespace quill::bench {
namespace {

void BM_CountExpression(benchmark::State& state)
{
    const ExpressionCase& expression = kExpressionCases[state.range(0)];
    QuietDocument& log = OpenLog(VariedBenchFile(state.range(1) << 20));
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
