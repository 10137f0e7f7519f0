// Settings in QSettings("Quillarium", "Quillarium").
#pragma once

#include <QSettings>

#include "platform/SettingsStore.h"

namespace quill {

class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore() : settings_(QStringLiteral("Quillarium"), QStringLiteral("Quillarium")) {}

    std::optional<std::int64_t> ReadInt(const std::string& section, const std::string& key) override;
    std::optional<std::string> ReadString(const std::string& section, const std::string& key) override;
    std::optional<std::vector<std::uint8_t>> ReadBinary(const std::string& section, const std::string& key) override;
    void WriteInt(const std::string& section, const std::string& key, std::int64_t value) override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    void WriteBinary(const std::string& section, const std::string& key,
                     const std::vector<std::uint8_t>& value) override;
    void Remove(const std::string& section, const std::string& key) override;

private:
    QSettings settings_;
};

}  // namespace quill
