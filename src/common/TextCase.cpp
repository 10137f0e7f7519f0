// Upper case of code page 1252 bytes.
#include "common/TextCase.h"

namespace quill {

std::uint8_t UpperCp1252(std::uint8_t byte)
{
    if (byte >= 'a' && byte <= 'z')
        return static_cast<std::uint8_t>(byte - 32);
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)
        return static_cast<std::uint8_t>(byte - 32);
    switch (byte) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return byte;
    }
}

std::string UpperCp1252(std::string text)
{
    for (char& ch : text)
        ch = static_cast<char>(UpperCp1252(static_cast<std::uint8_t>(ch)));
    return text;
}

}  // namespace quill
