// How much memory the system can still give, so that reading endless input stops in time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace quill {

struct MemoryStatus {
    std::int64_t available = 0;  ///< bytes that can still be had without pushing others out
    std::int64_t total = 0;      ///< the machine's memory, or the memory limit of this process's group
};

/// The system's figures (/proc/meminfo, and the cgroup's limit when it is lower); none when they
/// cannot be read.
std::optional<MemoryStatus> CurrentMemoryStatus();

/// Whether `bytes` more can be taken and still leave a reserve: a sixteenth of the total, at least
/// 64 MB and at most 512 MB, so that the program can still tell the user and go on working.
bool MemoryAllows(std::int64_t bytes);

/// For tests: where the figures come from (empty: the system).
void SetMemoryStatusSource(std::function<std::optional<MemoryStatus>()> source);

}  // namespace quill
