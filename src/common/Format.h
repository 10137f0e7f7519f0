// printf-style formatting into std::string, for the program's message texts.
#pragma once

#include <string>

namespace quill {

/// Formats like printf. Message texts are code page 1252 bytes ("Can\xB4t").
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// A count with its thousands grouped: "6,442,451,011".
std::string GroupedNumber(long long number);

/// "%d:%s" of a system error: its number and the system's text for it.
std::string SystemErrorText(int error);

}  // namespace quill
