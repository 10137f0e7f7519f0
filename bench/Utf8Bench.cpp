// Counting texts and expressions on a multilingual UTF-8 log of 100 MiB and 500 MiB (the second
// argument): case-blind letters beyond ASCII, "." and classes on characters of several bytes.
// PeerBench runs rg and grep on the same files.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "document/Document.h"

namespace quill::bench {
namespace {

void BM_CountUtf8(benchmark::State& state)
{
    const Utf8Case& search = kUtf8Cases[state.range(0)];
    QuietDocument& log = OpenLog(MultilingualBenchFile(state.range(1) << 20));
    SearchOptions options;
    options.query.text = search.text;
    options.query.matchCase = search.matchCase;
    options.query.regex = search.regex;
    CountFromTheTop(state, *log.doc, options);
    state.SetLabel(search.text);
}
BENCHMARK(BM_CountUtf8)->Apply(Utf8CaseArguments);

}  // namespace
}  // namespace quill::bench
