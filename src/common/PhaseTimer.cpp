// Phase times since the process start.
#include "common/PhaseTimer.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace quill {

namespace {

bool enabled = false;

// The process start in seconds since boot: field 22 of /proc/self/stat, in clock ticks. The
// command name before it may hold blanks, so the fields are counted from its closing parenthesis.
double ProcessStartSinceBoot()
{
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22)
            return std::stod(field) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    return 0;
}

}  // namespace

void PhaseTimer::Enable() { enabled = true; }

bool PhaseTimer::Enabled() { return enabled; }

double PhaseTimer::SinceProcessStart()
{
    static const double start = ProcessStartSinceBoot();
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return (static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9 - start) * 1000.0;
}

void PhaseTimer::Mark(const char* phase)
{
    if (enabled)
        std::fprintf(stderr, "%8.1f ms  %s\n", SinceProcessStart(), phase);
}

}  // namespace quill
