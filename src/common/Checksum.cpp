#include "common/Checksum.h"

#include <cinttypes>
#include <cstdio>

namespace quill {

std::string Fingerprint(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016" PRIx64, hash);
    return hex;
}

}  // namespace quill
