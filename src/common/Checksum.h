// A short fingerprint of bytes, for names and checks (not for security).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quill {

/// FNV-1a over the bytes, as 16 hexadecimal digits.
std::string Fingerprint(std::string_view bytes);

}  // namespace quill
