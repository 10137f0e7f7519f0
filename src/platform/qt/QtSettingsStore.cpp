// QSettings access.
#include "platform/qt/QtSettingsStore.h"

#include "common/Utf8.h"

namespace quill {

namespace {
QString KeyOf(const std::string& section, const std::string& key)
{
    return QString::fromStdString(section + "/" + key);
}
}  // namespace

std::optional<std::int64_t> QtSettingsStore::ReadInt(const std::string& section, const std::string& key)
{
    QVariant value = settings_.value(KeyOf(section, key));
    bool ok = false;
    qlonglong number = value.toLongLong(&ok);
    if (!value.isValid() || !ok)
        return std::nullopt;
    return number;
}

std::optional<std::string> QtSettingsStore::ReadString(const std::string& section, const std::string& key)
{
    QVariant value = settings_.value(KeyOf(section, key));
    if (!value.isValid())
        return std::nullopt;
    // Earlier versions wrote UTF-8 texts as if their bytes were code page 1252 characters.
    return UndoubledUtf8(value.toString().toStdString());
}

std::optional<std::vector<std::uint8_t>> QtSettingsStore::ReadBinary(const std::string& section, const std::string& key)
{
    QVariant value = settings_.value(KeyOf(section, key));
    if (!value.isValid())
        return std::nullopt;
    QByteArray bytes = value.toByteArray();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void QtSettingsStore::WriteInt(const std::string& section, const std::string& key, std::int64_t value)
{
    settings_.setValue(KeyOf(section, key), static_cast<qlonglong>(value));
}

void QtSettingsStore::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    settings_.setValue(KeyOf(section, key), QString::fromStdString(value));
}

void QtSettingsStore::WriteBinary(const std::string& section, const std::string& key,
                                  const std::vector<std::uint8_t>& value)
{
    settings_.setValue(KeyOf(section, key),
                       QByteArray(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size())));
}

void QtSettingsStore::Remove(const std::string& section, const std::string& key)
{
    settings_.remove(KeyOf(section, key));
}

}  // namespace quill
