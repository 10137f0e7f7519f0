// Code page 1252 conversion.
#include "platform/qt/Cp1252.h"

#include <array>

namespace quill {

namespace {

// 0x80-0x9F differ from Latin-1; the five unassigned codes map to the C1 controls of the same value.
constexpr std::array<char16_t, 32> kHigh = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QChar Cp1252ToChar(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(kHigh[byte - 0x80]);
    return QChar(byte);
}

std::optional<unsigned char> CharToCp1252(QChar ch)
{
    const char16_t code = ch.unicode();
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<unsigned char>(code);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == code)
            return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

QString FromCp1252(const std::string& bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char byte : bytes)
        text.append(Cp1252ToChar(static_cast<unsigned char>(byte)));
    return text;
}

namespace {

// Length of a well-formed UTF-8 sequence of two to four bytes at i, or 0.
std::size_t Utf8SequenceAt(const std::string& bytes, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + length > bytes.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

}  // namespace

QString FromMessageBytes(const std::string& bytes)
{
    QString text;
    for (std::size_t i = 0; i < bytes.size();) {
        if (std::size_t length = Utf8SequenceAt(bytes, i)) {
            text += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(length));
            i += length;
        } else {
            text += Cp1252ToChar(static_cast<unsigned char>(bytes[i++]));
        }
    }
    return text;
}

std::string ToCp1252(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (QChar ch : text)
        if (auto byte = CharToCp1252(ch))
            bytes.push_back(static_cast<char>(*byte));
    return bytes;
}

}  // namespace quill
