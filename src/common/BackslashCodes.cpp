// Interpreting backslash codes.
#include "common/BackslashCodes.h"

#include <cctype>

namespace quill {

int HexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

bool InterpretBackslashes(std::string& text)
{
    bool numeric = false;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '\\')
            continue;
        const char code = text[i + 1];
        char byte = 0;
        std::size_t used = 2;  // the characters the code takes, the backslash included
        switch (code) {
        case '\\': byte = '\\'; break;
        case 'n':
        case 'N': byte = 10; break;
        case 'r':
        case 'R': byte = 13; break;
        case 't':
        case 'T': byte = 9; break;
        case 'e':
        case 'E': byte = 27; break;
        case 'f':
        case 'F': byte = 12; break;
        case 'x':
        case 'X': {
            int value = 0;
            std::size_t digits = 0;
            for (; digits < 2 && i + 2 + digits < text.size() && HexValue(text[i + 2 + digits]) >= 0; ++digits)
                value = value * 16 + HexValue(text[i + 2 + digits]);
            if (digits == 0)
                continue;  // no digits: the text stays as it is
            byte = static_cast<char>(value);
            used += digits;
            numeric = true;
            break;
        }
        default:
            if (!std::isdigit(static_cast<unsigned char>(code)))
                continue;
            {
                int value = 0;
                std::size_t digits = 0;
                // Only the digits themselves are replaced, so the text after a short code stays.
                for (; digits < 3 && i + 1 + digits < text.size() &&
                       std::isdigit(static_cast<unsigned char>(text[i + 1 + digits]));
                     ++digits)
                    value = value * 10 + (text[i + 1 + digits] - '0');
                byte = static_cast<char>(value % 256);
                used = 1 + digits;
                numeric = true;
            }
            break;
        }
        text.replace(i, used, 1, byte);
    }
    return numeric;
}

}  // namespace quill
