// Benchmark inputs.
#include "BenchSupport.h"

#include "commands/SearchCommands.h"
#include "view/ViewState.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
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

// A generated file in the temp folder, made once and reused while its size is right; lines: what
// makes its text (LogLines or MultilingualLines).
template <typename Lines> std::string GeneratedFile(const std::string& name, std::int64_t size, Lines lines)
{
    std::string path = (std::filesystem::temp_directory_path() / name).string();
    std::error_code error;
    if (std::filesystem::file_size(path, error) == static_cast<std::uintmax_t>(size))
        return path;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::int64_t written = 0; written < size;) {
        const std::string piece = lines.Next(std::min<std::int64_t>(size - written, 16 << 20));
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        written += static_cast<std::int64_t>(piece.size());
    }
    return path;
}

}  // namespace

std::string BenchFile(std::int64_t generatedSize)
{
    if (const char* named = std::getenv("QUILL_BENCH_FILE"); named && *named)
        return named;
    return GeneratedFile("quill-bench-" + std::to_string(generatedSize) + ".log", generatedSize, LogLines(false));
}

std::string VariedBenchFile(std::int64_t generatedSize)
{
    return GeneratedFile("quill-bench-varied-" + std::to_string(generatedSize) + ".log", generatedSize, LogLines(true));
}

std::string MultilingualBenchFile(std::int64_t generatedSize)
{
    return GeneratedFile("quill-bench-utf8-" + std::to_string(generatedSize) + ".log", generatedSize,
                         MultilingualLines());
}

const Utf8Case kUtf8Cases[6] = {
    {"m\xc3\xbcller", false, false},
    {"J.rg", true, true},
    {"[\xc3\xa4\xc3\xb6\xc3\xbc]\\w+", true, true},
    {"\\w+@\\w+", true, true},
    {"best\xc3\xa4tigung", false, false},
    {"(?i)stra\xc3\x9f|\xcf\x83\xcf\x86\xce\xac\xce\xbb\xce\xbc\xce\xb1", true, true},
};

void Utf8CaseArguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgsProduct({{0, 1, 2, 3, 4, 5}, {100, 500}})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
}

std::string MultilingualLines::Next(std::int64_t size)
{
    // Messages of a service used across Europe and Asia: German, French, Greek, Russian and
    // Chinese, names in several cases, a combining accent, mail addresses with letters beyond
    // ASCII, and now and then a line a program cut in the middle of a character.
    static const char* const kMessages[] = {
        "Best\xc3\xa4tigung f\xc3\xbcr J\xc3\xb6rg M\xc3\xbcller erhalten, Gr\xc3\xb6\xc3\x9f"
        "e %u KB",
        "\xc3\x9c"
        "bertragung fehlgeschlagen: Verbindung zu stra\xc3\x9f"
        "e-%u.example.de abgelehnt",
        "Requ\xc3\xaate trait\xc3\xa9"
        "e pour Fran\xc3\xa7ois en %u ms, \xc3\xa9tat=r\xc3\xa9ussi",
        "\xce\xa3\xcf\x86\xce\xac\xce\xbb\xce\xbc\xce\xb1 "
        "\xcf\x83\xcf\x8d\xce\xbd\xce\xb4\xce\xb5\xcf\x83\xce\xb7\xcf\x82 "
        "\xce\xbc\xce\xb5 \xcf\x84\xce\xbf\xce\xbd "
        "\xce\xb4\xce\xb9\xce\xb1\xce\xba\xce\xbf\xce\xbc\xce\xb9\xcf\x83\xcf\x84\xce\xae %u",
        "\xd0\x9f\xd0\xbe\xd0\xbb\xd1\x8c\xd0\xb7\xd0\xbe\xd0\xb2\xd0\xb0\xd1\x82\xd0\xb5\xd0\xbb\xd1\x8c "
        "\xd0\x94\xd0\xbc\xd0\xb8\xd1\x82\xd1\x80\xd0\xb8\xd0\xb9 "
        "\xd0\xb2\xd0\xbe\xd1\x88\xd1\x91\xd0\xbb \xd1\x81 \xd0\xb0\xd0\xb4\xd1\x80\xd0\xb5\xd1\x81\xd0\xb0 10.0.%u.7",
        "\xe7\x94\xa8\xe6\x88\xb7 \xe5\xbc\xa0\xe4\xbc\x9f \xe7\x99\xbb\xe5\xbd\x95\xe6\x88\x90\xe5\x8a\x9f "
        "\xe8\x80\x97\xe6\x97\xb6 %u \xe6\xaf\xab\xe7\xa7\x92",
        "request %u handled in 12 ms status=ok",
        "mail from j\xc3\xb6rg.m\xc3\xbcller@b\xc3\xbc"
        "cher.example to anna@example.org id=%u",
        "MULLER and M\xc3\x9cLLER and Jorg asked for order %u",
        "Cafe\xcc\x81 order %u served to Zo\xc3\xab",
        "BEST\xc3\x84TIGUNG ausstehend f\xc3\xbcr Vorgang %u",
        "worker %u idle",
    };
    std::string text;
    while (static_cast<std::int64_t>(text.size()) < size) {
        if (pending_.empty()) {
            state_ = state_ * 1103515245u + 12345u;
            const long long i = next_++;
            char message[200];
            std::snprintf(message, sizeof message, kMessages[(state_ >> 8) % std::size(kMessages)], state_ % 100000);
            char line[260];
            const int n = std::snprintf(line, sizeof line, "2026-12-07 %02lld:%02lld:%02lld.%03u INFO  %s\n",
                                        i / 3600000 % 24, i / 60000 % 60, i / 1000 % 60, state_ % 1000, message);
            pending_.assign(line, static_cast<std::size_t>(std::min<int>(n, sizeof line - 1)));
            if ((state_ >> 4) % 4096 == 0)
                pending_.insert(pending_.size() - 1, "\xc3");  // a character cut short
        }
        const std::size_t take = std::min(pending_.size(), static_cast<std::size_t>(size) - text.size());
        text.append(pending_, 0, take);
        pending_.erase(0, take);
    }
    return text;
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

QuietDocument& OpenLog(const std::string& path)
{
    static std::unique_ptr<QuietDocument> log;
    static std::string openPath;
    if (!log || openPath != path) {
        log.reset();
        log = std::make_unique<QuietDocument>();
        log->doc->Open(path);
        openPath = path;
    }
    return *log;
}

}  // namespace quill::bench
