// Persistent key/value storage for the settings and the recent-file list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quill {

/// Values grouped in sections. Texts are UTF-8, as the file that holds them is.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::optional<std::int64_t> ReadInt(const std::string& section, const std::string& key) = 0;
    virtual std::optional<std::string> ReadString(const std::string& section, const std::string& key) = 0;
    virtual std::optional<std::vector<std::uint8_t>> ReadBinary(const std::string& section, const std::string& key) = 0;
    virtual void WriteInt(const std::string& section, const std::string& key, std::int64_t value) = 0;
    virtual void WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;
    virtual void WriteBinary(const std::string& section, const std::string& key,
                             const std::vector<std::uint8_t>& value) = 0;
    virtual void Remove(const std::string& section, const std::string& key) = 0;
};

}  // namespace quill
