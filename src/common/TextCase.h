// Upper case of code page 1252 bytes.
#pragma once

#include <cstdint>
#include <string>

namespace quill {

/// The upper-case letter of a code page 1252 byte (a-z, the accented letters, š œ ž ÿ); other
/// bytes as they are.
std::uint8_t UpperCp1252(std::uint8_t byte);
std::string UpperCp1252(std::string text);

}  // namespace quill
