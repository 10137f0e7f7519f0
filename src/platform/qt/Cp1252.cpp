// Code page 1252 conversion.
#include "platform/qt/Cp1252.h"

#include "common/Utf8.h"

namespace quill {

QChar Cp1252ToChar(unsigned char byte) { return QChar(static_cast<char16_t>(Cp1252ToUnicode(byte))); }

std::optional<unsigned char> CharToCp1252(QChar ch) { return UnicodeToCp1252(ch.unicode()); }

QString FromCp1252(const std::string& bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char byte : bytes)
        text.append(Cp1252ToChar(static_cast<unsigned char>(byte)));
    return text;
}

QString FromMessageBytes(const std::string& bytes) { return QString::fromStdString(MessageToUtf8(bytes)); }

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
