// Benchmark inputs.
#include "BenchSupport.h"

#include "commands/SearchCommands.h"
#include "view/ViewState.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace quill::bench {

const ExpressionCase kExpressionCases[9] = {
    {"ERROR \\[[a-z]+\\] pay", "ERROR \\[[a-z]+\\] pay", true},
    {"[0-9]{4}-[a-z]", "[0-9]{4}-[a-z]", true},
    {"(timeout|refused) after \\d+ ?ms", "(timeout|refused) after [0-9]+ ?ms", true},
    {"user=\\w+", "user=\\w+", false},
    // No line holds it: what a search that finds nothing costs.
    {"(timeout|refused) before \\d+ ?ms", "(timeout|refused) before [0-9]+ ?ms", true},
    {"\\d{2} \\w+$", "[0-9]{2} [a-zA-Z0-9_]+$", true},
    {"(?i)error|warn", "error|warn", false},
    {"^\\s*$", "^[[:space:]]*$", true},
    {"\\b\\w+@\\w+\\.\\w+\\b", "\\b[a-zA-Z0-9_]+@[a-zA-Z0-9_]+\\.[a-zA-Z0-9_]+\\b", true},
};

void ExpressionCaseArguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7, 8}, {200, 1024}})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
}

void CountFromTheTop(benchmark::State& state, Document& doc, SearchOptions& options)
{
    ViewState view{0, 0, 60, 120};
    SearchCommands commands(doc, view, options);
    std::int64_t hits = 0;
    for (auto _ : state) {
        doc.Selection().Clear();
        doc.Selection().cursor.line = 0;
        doc.Selection().cursor.column = doc.Selection().preferredColumn = 0;
        doc.Text().SetCurrentLine(0);
        hits = commands.CountMatches();
    }
    state.counters["items"] = static_cast<double>(hits);
    state.SetBytesProcessed(state.iterations() * doc.Text().FileSize());
}

std::string LogLines::Message(long long i) const
{
    static const char* const kUsers[] = {"alice", "Bob", "carol", "dave_7", "EVE"};
    char text[120];
    const unsigned r = state_ >> 12;
    switch (r % 16) {
    case 12:
        std::snprintf(text, sizeof text, "[billing] payment %08lld refused after %u ms user=%s", i, r % 900,
                      kUsers[r % 5]);
        break;
    case 13:
        std::snprintf(text, sizeof text, "[gateway] upstream timeout after %ums ref=%04u-%c%c", r % 3000, r % 10000,
                      'a' + r % 26, 'a' + r / 26 % 26);
        break;
    case 14:
        std::snprintf(text, sizeof text, "[auth] login user=%s from 10.0.%u.%u", kUsers[r % 5], r % 256, r / 7 % 256);
        break;
    case 15: std::snprintf(text, sizeof text, "[billing] payment %08lld accepted in %u ms", i, r % 700); break;
    default: return {};
    }
    return text;
}

std::string LogLines::Next(std::int64_t size)
{
    std::string text;
    static const char* const kLevels[] = {"INFO ", "DEBUG", "WARN ", "INFO ", "ERROR"};
    while (static_cast<std::int64_t>(text.size()) < size) {
        if (pending_.empty()) {
            char line[160];
            state_ = state_ * 1103515245u + 12345u;
            const long long i = next_++;
            if (const std::string message = varied_ ? Message(i) : std::string(); !message.empty()) {
                const int n =
                    std::snprintf(line, sizeof line, "2026-12-07 %02lld:%02lld:%02lld.%03u %s %s\n", i / 3600000 % 24,
                                  i / 60000 % 60, i / 1000 % 60, state_ % 1000, kLevels[state_ % 5], message.c_str());
                pending_.assign(line, static_cast<std::size_t>(std::min<int>(n, sizeof line - 1)));
                continue;
            }
            const int n = std::snprintf(
                line, sizeof line,
                "2026-12-07 %02lld:%02lld:%02lld.%03u %s [worker-%u] request %08lld handled in %4u ms status=ok\n",
                i / 3600000 % 24, i / 60000 % 60, i / 1000 % 60, state_ % 1000, kLevels[state_ % 5], state_ % 16, i,
                (state_ >> 8) % 5000);
            pending_.assign(line, static_cast<std::size_t>(n));
        }
        // A line cut where the size ends goes on in the next call.
        const std::size_t take = std::min(pending_.size(), static_cast<std::size_t>(size) - text.size());
        text.append(pending_, 0, take);
        pending_.erase(0, take);
    }
    return text;
}

namespace {

void Generate(const std::string& path, std::int64_t size, bool varied)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    LogLines lines(varied);
    for (std::int64_t written = 0; written < size;) {
        const std::string piece = lines.Next(std::min<std::int64_t>(size - written, 16 << 20));
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        written += static_cast<std::int64_t>(piece.size());
    }
}

}  // namespace

namespace {

// A generated file in the temp folder, made once and reused while its size is right.
std::string GeneratedFile(const std::string& name, std::int64_t size, bool varied)
{
    std::string path = (std::filesystem::temp_directory_path() / name).string();
    std::error_code error;
    if (std::filesystem::file_size(path, error) != static_cast<std::uintmax_t>(size))
        Generate(path, size, varied);
    return path;
}

}  // namespace

std::string BenchFile(std::int64_t generatedSize)
{
    if (const char* named = std::getenv("QUILL_BENCH_FILE"); named && *named)
        return named;
    return GeneratedFile("quill-bench-" + std::to_string(generatedSize) + ".log", generatedSize, false);
}

std::string VariedBenchFile(std::int64_t generatedSize)
{
    return GeneratedFile("quill-bench-varied-" + std::to_string(generatedSize) + ".log", generatedSize, true);
}

std::int64_t ResidentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<std::int64_t>(resident) * ::sysconf(_SC_PAGESIZE);
}

}  // namespace quill::bench
