#include "print/HeaderFooter.h"

#include "common/Format.h"

namespace quill {

std::string SizeText(std::int64_t size)
{
    // One decimal of the quotient: the tenths of the remainder, not its first digit.
    const std::int64_t unit = size < 1048576 ? 1024 : 1048576;
    const auto whole = static_cast<long long>(size / unit);
    const auto tenths = static_cast<long long>(size % unit * 10 / unit);
    return Format(unit == 1024 ? "%lld.%lld kb" : "%lld.%lld Mb", whole, tenths);
}

std::string FormatHeaderFooter(const std::string& pattern, const PageFacts& facts)
{
    std::string text;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (pattern[k] != '&') {
            text += pattern[k];
            continue;
        }
        if (++k >= pattern.size())
            break;
        switch (pattern[k]) {
        case 'p': text += Format("%d", facts.page); break;
        case 'f': text += facts.path; break;
        case 's': text += SizeText(facts.size); break;
        case 'd': text += Format("%02d", facts.today.tm_mday); break;
        case 'm': text += Format("%02d", facts.today.tm_mon + 1); break;
        case 'y': text += Format("%04d", facts.today.tm_year + 1900); break;
        case 'D': text += Format("%02d", facts.fileTime.tm_mday); break;
        case 'M': text += Format("%02d", facts.fileTime.tm_mon + 1); break;
        case 'Y': text += Format("%04d", facts.fileTime.tm_year + 1900); break;
        case '&': text += '&'; break;
        default: break;  // an unknown placeholder prints nothing
        }
    }
    return text;
}

}  // namespace quill
