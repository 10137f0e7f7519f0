// The tools users compare the program with, run on the same file in the same run: ripgrep and
// grep counting the patterns of the count benchmarks. A tool that is missing is skipped
// (scripts/install-deps.sh --bench installs ripgrep).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include "BenchSupport.h"

namespace quill::bench {
namespace {

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// One whole process of the tool, as a user would start it; its printed count is the counter.
void RunTool(benchmark::State& state, const std::string& tool, const std::string& arguments, const std::string& pattern,
             const std::string& file = BenchFile(), const std::string& after = "")
{
    if (std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) != 0) {
        state.SkipWithError((tool + " is not installed").c_str());
        return;
    }
    const std::string command = tool + " " + arguments + " " + Quoted(pattern) + " " + Quoted(file) + after;
    long long count = 0;
    for (auto _ : state) {
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) {
            state.SkipWithError(("cannot start: " + command).c_str());
            return;
        }
        // Without a match ripgrep prints nothing; both tools then exit with 1.
        if (std::fscanf(pipe, "%lld", &count) != 1)
            count = 0;
        const int status = ::pclose(pipe);
        if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
    }
    state.counters["items"] = static_cast<double>(count);
}

void BM_PeerRgCountLiteral(benchmark::State& state) { RunTool(state, "rg", "-c -F", "ERROR"); }
void BM_PeerGrepCountLiteral(benchmark::State& state) { RunTool(state, "grep", "-c -F", "ERROR"); }
void BM_PeerRgCountLiteralIgnoreCase(benchmark::State& state) { RunTool(state, "rg", "-c -F -i", "error"); }
void BM_PeerRgCountRegex(benchmark::State& state) { RunTool(state, "rg", "-c", "ERROR \\[[a-z]+\\] pay"); }
void BM_PeerGrepCountRegex(benchmark::State& state) { RunTool(state, "grep", "-c -E", "ERROR \\[[a-z]+\\] pay"); }
// The expressions of BM_CountExpression on the same varied logs.
void PeerExpression(benchmark::State& state, const std::string& tool, const std::string& arguments)
{
    const ExpressionCase& expression = kExpressionCases[state.range(0)];
    const bool grep = tool == "grep";
    RunTool(state, tool, arguments + (expression.matchCase ? "" : " -i"),
            grep ? expression.grepPattern : expression.pattern, VariedBenchFile(state.range(1) << 20));
    state.SetLabel(expression.pattern);
}
void BM_PeerRgCountExpression(benchmark::State& state) { PeerExpression(state, "rg", "-c"); }
void BM_PeerGrepCountExpression(benchmark::State& state) { PeerExpression(state, "grep", "-c -E"); }

// The searches of BM_CountUtf8 on the same multilingual logs: matches counted (a line may hold
// several). grep runs in a UTF-8 locale and prints each match on a line of its own for wc.
void PeerUtf8(benchmark::State& state, const std::string& tool)
{
    const Utf8Case& search = kUtf8Cases[state.range(0)];
    const std::string file = MultilingualBenchFile(state.range(1) << 20);
    std::string text = search.text;
    bool matchCase = search.matchCase;
    if (tool == "grep" && text.starts_with("(?i)")) {
        text.erase(0, 4);
        matchCase = false;
    }
    std::string arguments = tool == "rg" ? "--count-matches" : "-o";
    arguments += search.regex ? (tool == "rg" ? "" : " -E") : " -F";
    arguments += matchCase ? "" : " -i";
    ::setenv("LC_ALL", "C.UTF-8", 1);
    RunTool(state, tool, arguments, text, file, tool == "grep" ? " | wc -l" : "");
    ::unsetenv("LC_ALL");
    state.SetLabel(search.text);
}
void BM_PeerRgCountUtf8(benchmark::State& state) { PeerUtf8(state, "rg"); }
void BM_PeerGrepCountUtf8(benchmark::State& state) { PeerUtf8(state, "grep"); }

BENCHMARK(BM_PeerRgCountLiteral)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_PeerGrepCountLiteral)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_PeerRgCountLiteralIgnoreCase)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_PeerRgCountRegex)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PeerGrepCountRegex)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PeerRgCountExpression)->Apply(ExpressionCaseArguments);
BENCHMARK(BM_PeerGrepCountExpression)->Apply(ExpressionCaseArguments);
BENCHMARK(BM_PeerRgCountUtf8)->Apply(Utf8CaseArguments);
BENCHMARK(BM_PeerGrepCountUtf8)->Apply(Utf8CaseArguments);

}  // namespace
}  // namespace quill::bench
