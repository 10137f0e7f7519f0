// The empty conversion table and the measure of undisplayable bytes.
#include "charset/ConversionTable.h"

#include <cstring>

namespace quill {

void ConversionTable::Reset()
{
    for (int b = 0; b < 256; ++b)
        display_[b] = input_[b] = static_cast<std::uint8_t>(b);
    name_ = "<ANSI>";
    active_ = false;
}

bool ConversionTable::IsOrdinaryDisplayCode(std::uint8_t shown)
{
    // Digits to small z, CR and LF, and the German letters and punctuation of everyday text
    // (code page 1252: ä ö ü Ä Ö Ü ß . , blank / - * ×).
    static const char kExtra[] = "\xE4\xF6\xFC\xC4\xD6\xDC\xDF., /-*\xD7";
    if (shown >= 48 && shown <= 122)
        return true;
    if (shown == 13 || shown == 10)
        return true;
    return shown != 0 && std::memchr(kExtra, shown, sizeof kExtra - 1) != nullptr;
}

std::uint64_t ConversionTable::CountUndisplayable(const ByteHistogram& histogram) const
{
    std::uint64_t count = 0;
    for (int b = 0; b < 256; ++b)
        if (!IsOrdinaryDisplayCode(display_[b]))
            count += histogram[b];
    return count;
}

std::uint64_t ConversionTable::AutoSelect(const ByteHistogram& histogram, const std::string&)
{
    Reset();
    return CountUndisplayable(histogram);
}

}  // namespace quill
