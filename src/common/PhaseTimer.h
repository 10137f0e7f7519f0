// The phases of start-up and exit in milliseconds since the process started, for `--timing`.
#pragma once

namespace quill {

class PhaseTimer {
public:
    static void Enable();
    static bool Enabled();
    /// Prints "<milliseconds since the process started>  <phase>" on standard error, when enabled.
    static void Mark(const char* phase);
    /// The milliseconds since the process was started (by the kernel's count, to 10 ms).
    static double SinceProcessStart();
};

}  // namespace quill
