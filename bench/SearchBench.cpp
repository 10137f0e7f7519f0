// Counting hits in the 200 MiB log: a literal, a literal without case, a regular expression.
// QUILL_BENCH_PATTERN replaces the pattern; QUILL_BENCH_FILE the file.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "BenchSupport.h"
#include "commands/Finder.h"
#include "commands/SearchCommands.h"
#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "search/SearchOptions.h"
#include "settings/Settings.h"
#include "view/ViewState.h"

namespace quill::bench {
namespace {

struct Log : QuietDocument {
    ViewState state{0, 0, 60, 120};

    Log() { doc->Open(BenchFile()); }
};

Log& TheLog()
{
    static Log log;
    return log;
}

void Count(benchmark::State& state, const char* fallback, bool matchCase, bool regex)
{
    Log& log = TheLog();
    const char* pattern = std::getenv("QUILL_BENCH_PATTERN");
    SearchOptions options;
    options.query.text = pattern ? pattern : fallback;
    options.query.matchCase = matchCase;
    options.query.regex = regex;
    CountFromTheTop(state, *log.doc, options);
}

void BM_CountLiteral(benchmark::State& state) { Count(state, "ERROR", true, false); }
void BM_CountLiteralIgnoreCase(benchmark::State& state) { Count(state, "error", false, false); }
void BM_CountRegex(benchmark::State& state) { Count(state, "ERROR \\[[a-z]+\\] pay", true, true); }
BENCHMARK(BM_CountLiteral)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CountLiteralIgnoreCase)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CountRegex)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Find Next from the top to a hit in the last line.
void BM_FindNextToTheLastLine(benchmark::State& state)
{
    Log& log = TheLog();
    TextStore& text = log.doc->Text();
    const LineIndex last = text.LineCount() - 2;
    const std::string marker = "needle-in-the-last-line";
    text.SetCurrentLine(last);
    const std::string kept(text.Line(last).Text());
    log.doc->Model().ReplaceCurrentLine(LineRecord(marker + kept));
    SearchOptions options;
    options.query.text = marker;
    options.query.matchCase = true;
    Finder search(*log.doc, log.state, options.query);
    for (auto _ : state) {
        log.doc->Selection().Clear();
        log.doc->Selection().cursor.line = 0;
        log.doc->Selection().cursor.column = log.doc->Selection().preferredColumn = 0;
        log.doc->Text().SetCurrentLine(0);
        if (!search.FindForward(false) || log.doc->Selection().cursor.line != last)
            state.SkipWithError("the last line was not found");
    }
    text.SetCurrentLine(last);
    log.doc->Model().ReplaceCurrentLine(LineRecord(kept));
}
BENCHMARK(BM_FindNextToTheLastLine)->Unit(benchmark::kMillisecond)->UseRealTime();

// Replace All and the one Undo that brings the text back: "ERROR" has about half a million hits
// here, "INFO " close to a million.
void ReplaceAllAndUndo(benchmark::State& state, const char* find, const char* replacement)
{
    Log& log = TheLog();
    SearchOptions options;
    options.query.text = find;
    options.replacement = replacement;
    options.query.matchCase = true;
    SearchCommands commands(*log.doc, log.state, options);
    double undo = 0;
    std::int64_t replaced = 0;
    for (auto _ : state) {
        log.doc->Selection().Clear();
        log.doc->Selection().cursor.line = 0;
        log.doc->Selection().cursor.column = log.doc->Selection().preferredColumn = 0;
        log.doc->Text().SetCurrentLine(0);
        log.doc->Model().RaiseUndoGroup();
        replaced = commands.ReplaceText(true);
        state.PauseTiming();
        const auto started = std::chrono::steady_clock::now();
        log.doc->Undo();
        undo += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        state.ResumeTiming();
    }
    state.counters["items"] = static_cast<double>(replaced);
    state.counters["undo_ms"] = undo / static_cast<double>(state.iterations());
}
void BM_ReplaceAllAndUndo(benchmark::State& state) { ReplaceAllAndUndo(state, "ERROR", "FAULT"); }
void BM_ReplaceAllAndUndoNearAMillion(benchmark::State& state) { ReplaceAllAndUndo(state, "INFO ", "NOTE "); }
BENCHMARK(BM_ReplaceAllAndUndo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ReplaceAllAndUndoNearAMillion)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace quill::bench
