// Memory figures of the system and of the control group.
#include "common/MemoryReserve.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace quill {

namespace {

std::function<std::optional<MemoryStatus>()>& Source()
{
    static std::function<std::optional<MemoryStatus>()> source;
    return source;
}

// A value of /proc/meminfo in bytes.
std::optional<std::int64_t> MemInfo(const std::string& text, const char* key)
{
    const std::size_t at = text.find(key);
    if (at == std::string::npos)
        return std::nullopt;
    const char* digits = text.c_str() + at + std::strlen(key);
    char* end = nullptr;
    errno = 0;
    const long long kilobytes = std::strtoll(digits, &end, 10);
    if (end == digits || errno == ERANGE || kilobytes < 0 || kilobytes > INT64_MAX / 1024)
        return std::nullopt;
    return static_cast<std::int64_t>(kilobytes) * 1024;
}

std::optional<std::int64_t> NumberIn(const std::string& path)
{
    std::ifstream file(path);
    std::string word;
    if (!(file >> word) || word == "max")
        return std::nullopt;
    try {
        return static_cast<std::int64_t>(std::stoll(word));
    } catch (...) {
        return std::nullopt;
    }
}

// A value of a control group's memory.stat (bytes), 0 when it is not there.
std::int64_t StatValue(const std::string& path, const std::string& key)
{
    std::ifstream file(path);
    std::string name;
    std::int64_t value = 0;
    while (file >> name >> value)
        if (name == key)
            return value;
    return 0;
}

// The limit and use of this process's memory control group (version 2, then version 1). The
// group's use counts the file pages in the cache, mapped ones too; the kernel drops them when
// memory runs short, so they count as available.
std::optional<MemoryStatus> GroupStatus()
{
    std::ifstream file("/proc/self/cgroup");
    std::string line;
    while (std::getline(file, line)) {
        const std::size_t colon = line.rfind(':');
        if (colon == std::string::npos)
            continue;
        const std::string group = line.substr(colon + 1);
        const bool v2 = line.rfind("0::", 0) == 0;
        if (!v2 && line.find(":memory:") == std::string::npos)
            continue;
        const std::string base = v2 ? "/sys/fs/cgroup" + group : "/sys/fs/cgroup/memory" + group;
        const auto limit = NumberIn(base + (v2 ? "/memory.max" : "/memory.limit_in_bytes"));
        const auto used = NumberIn(base + (v2 ? "/memory.current" : "/memory.usage_in_bytes"));
        if (!limit || !used || *limit >= (std::int64_t{1} << 60))
            continue;
        const std::string prefix = v2 ? "" : "total_";
        const std::string stat = base + "/memory.stat";
        const std::int64_t cached = StatValue(stat, prefix + "inactive_file") + StatValue(stat, prefix + "active_file");
        return MemoryStatus{*limit - std::max<std::int64_t>(*used - cached, 0), *limit};
    }
    return std::nullopt;
}

}  // namespace

std::optional<MemoryStatus> CurrentMemoryStatus()
{
    if (Source())
        return Source()();
    std::ifstream file("/proc/meminfo");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto available = MemInfo(text, "MemAvailable:");
    const auto total = MemInfo(text, "MemTotal:");
    if (!available || !total)
        return std::nullopt;
    MemoryStatus status{*available, *total};
    if (const auto group = GroupStatus(); group && group->total < status.total)
        status = MemoryStatus{std::min(group->available, status.available), group->total};
    return status;
}

bool MemoryAllows(std::int64_t bytes)
{
    const auto status = CurrentMemoryStatus();
    if (!status)
        return true;  // nothing known: the allocation itself tells
    const std::int64_t reserve = std::clamp<std::int64_t>(status->total / 16, 64 << 20, 512 << 20);
    return status->available - bytes >= reserve;
}

void SetMemoryStatusSource(std::function<std::optional<MemoryStatus>()> source) { Source() = std::move(source); }

}  // namespace quill
