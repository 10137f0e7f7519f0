// The one border where bytes of code page 1252 become Qt characters and back.
#pragma once

#include <QChar>
#include <QString>
#include <optional>
#include <string>

namespace quill {

QChar Cp1252ToChar(unsigned char byte);
/// The byte for a character, none when code page 1252 has no such character.
std::optional<unsigned char> CharToCp1252(QChar ch);

QString FromCp1252(const std::string& bytes);
/// Message and status texts: code page 1252 bytes that may carry file paths, which on this system
/// are UTF-8. Valid UTF-8 sequences are read as such, every other byte as code page 1252.
QString FromMessageBytes(const std::string& bytes);
/// Characters outside code page 1252 are left out.
std::string ToCp1252(const QString& text);

}  // namespace quill
