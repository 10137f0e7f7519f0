// Benchmark inputs.
#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace quill::bench {

std::string LogLines::Next(std::int64_t size)
{
    std::string text;
    static const char* const kLevels[] = {"INFO ", "DEBUG", "WARN ", "INFO ", "ERROR"};
    while (static_cast<std::int64_t>(text.size()) < size) {
        if (pending_.empty()) {
            char line[160];
            state_ = state_ * 1103515245u + 12345u;
            const long long i = next_++;
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

void Generate(const std::string& path, std::int64_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    LogLines lines;
    for (std::int64_t written = 0; written < size;) {
        const std::string piece = lines.Next(std::min<std::int64_t>(size - written, 16 << 20));
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        written += static_cast<std::int64_t>(piece.size());
    }
}

}  // namespace

std::string BenchFile(std::int64_t generatedSize)
{
    if (const char* named = std::getenv("QUILL_BENCH_FILE"); named && *named)
        return named;
    std::string path =
        (std::filesystem::temp_directory_path() / ("quill-bench-" + std::to_string(generatedSize) + ".log")).string();
    std::error_code error;
    if (std::filesystem::file_size(path, error) != static_cast<std::uintmax_t>(generatedSize))
        Generate(path, generatedSize);
    return path;
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
