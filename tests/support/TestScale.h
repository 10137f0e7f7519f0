// How much of a long randomized test to run. The sanitizers run the same code ten to twenty times
// slower and find their faults in the first rounds as well as in the last, so under them a
// fraction of the rounds is run: every case still runs, the run stays within its time.
#pragma once

#include <algorithm>

namespace quill::test {

#if defined(__SANITIZE_THREAD__)
inline constexpr int kSanitizerShare = 8;
#elif defined(__SANITIZE_ADDRESS__)
inline constexpr int kSanitizerShare = 4;
#else
inline constexpr int kSanitizerShare = 1;
#endif

/// Under ThreadSanitizer, a test of the document's own logic over a file of 67 MB takes minutes and
/// meets no thread the address sanitizer run does not cover: such a test is skipped there.
#if defined(__SANITIZE_THREAD__)
inline constexpr bool kThreadSanitizer = true;
#else
inline constexpr bool kThreadSanitizer = false;
#endif
#define QUILL_SKIP_UNDER_THREAD_SANITIZER()                                                                            \
    do {                                                                                                               \
        if (::quill::test::kThreadSanitizer)                                                                           \
            GTEST_SKIP() << "the document's logic over a large file: covered by the other sanitizer run";              \
    } while (false)

/// n rounds in a plain build, a share of them (at least one) under a sanitizer.
constexpr int Rounds(int n) { return std::max(1, n / kSanitizerShare); }

}  // namespace quill::test
