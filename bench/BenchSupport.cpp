// Benchmark inputs.
#include "BenchSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace quill::bench {

namespace {

// Lines like "2026-12-07 10:00:24.123 INFO  [worker-3] request 000024 handled in 786 ms status=ok\n".
void Generate(const std::string& path, std::int64_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::uint32_t state = 12345;
    char line[160];
    static const char* const kLevels[] = {"INFO ", "DEBUG", "WARN ", "INFO ", "ERROR"};
    std::int64_t written = 0;
    for (std::int64_t i = 0; written < size; ++i) {
        state = state * 1103515245u + 12345u;
        int n = std::snprintf(
            line, sizeof line,
            "2026-12-07 %02lld:%02lld:%02lld.%03u %s [worker-%u] request %08lld handled in %4u ms status=ok\n",
            static_cast<long long>(i / 3600000 % 24), static_cast<long long>(i / 60000 % 60),
            static_cast<long long>(i / 1000 % 60), state % 1000, kLevels[state % 5], state % 16,
            static_cast<long long>(i), (state >> 8) % 5000);
        n = static_cast<int>(std::min<std::int64_t>(n, size - written));
        out.write(line, n);
        written += n;
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
