// The SIGBUS handler behind mapped file bytes.
#include "text/MappedBytesGuard.h"

#include <atomic>
#include <csignal>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace quill {

namespace {

// Enough for 256 GB in load blocks of 16 MB; a file beyond that is read instead of mapped.
constexpr std::size_t kRanges = 16384;

struct Range {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
};

Range ranges[kRanges];
std::atomic<std::uint64_t> faults{0};
std::uintptr_t pageSize = 4096;
struct sigaction previous {};
std::mutex tableLock;  // for Guard and Release; the handler only reads

void OnBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Range& range : ranges) {
        const std::uintptr_t begin = range.begin.load(std::memory_order_acquire);
        const std::uintptr_t end = range.end.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address >= end)
            continue;
        // Zero pages from the faulting one to the mapping's end: the instruction is retried and
        // reads zeros, and so does every later touch of the pages the file no longer has.
        const std::uintptr_t page = address & ~(pageSize - 1);
        void* zeros = ::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) {
            faults.fetch_add(1, std::memory_order_release);
            return;
        }
        break;
    }
    // Not a fault of the guard's: what was there before handles it, as if the guard were not.
    if (previous.sa_flags & SA_SIGINFO) {
        if (previous.sa_sigaction) {
            previous.sa_sigaction(signal, info, context);
            return;
        }
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    ::signal(SIGBUS, SIG_DFL);
    if (info->si_code <= 0)
        ::raise(SIGBUS);  // sent by somebody: returning would lose it; a fault comes again by itself
}

void Install()
{
    static std::once_flag once;
    std::call_once(once, [] {
        pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previous);
    });
}

}  // namespace

bool MappedBytesGuard::Guard(const void* begin, std::size_t size)
{
    Install();
    const auto from = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t to = (from + size + pageSize - 1) & ~(pageSize - 1);
    std::lock_guard<std::mutex> lock(tableLock);
    for (Range& range : ranges) {
        if (range.begin.load(std::memory_order_relaxed) != 0)
            continue;
        range.end.store(to, std::memory_order_release);
        range.begin.store(from, std::memory_order_release);
        return true;
    }
    return false;
}

void MappedBytesGuard::Release(const void* begin)
{
    const auto from = reinterpret_cast<std::uintptr_t>(begin);
    std::lock_guard<std::mutex> lock(tableLock);
    for (Range& range : ranges) {
        if (range.begin.load(std::memory_order_relaxed) != from)
            continue;
        range.begin.store(0, std::memory_order_release);
        range.end.store(0, std::memory_order_release);
        return;
    }
}

std::uint64_t MappedBytesGuard::Faults() { return faults.load(std::memory_order_acquire); }

}  // namespace quill
