// Stand-ins for the dialogs and settings of a run that nobody watches (printing from the command
// line, measurements): no file is chosen, no value entered, no setting kept.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/EntryDialog.h"
#include "platform/FileDialogs.h"
#include "platform/SettingsStore.h"

namespace quill {

class NoFileDialogs : public FileDialogs {
public:
    std::optional<std::string> AskSavePath(const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::string> AskFolder(const std::string&, const std::string&) override { return std::nullopt; }
};

class NoEntryDialog : public EntryDialog {
public:
    std::optional<std::string> AskValue(const std::string&, const std::string&) override { return std::nullopt; }
    bool AskValues(const std::string&, std::vector<EntryValue>&) override { return false; }
};

/// Settings that start from the defaults and are forgotten at the end (measurements).
class NoSettingsStore : public SettingsStore {
public:
    std::optional<std::int64_t> ReadInt(const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::string> ReadString(const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::vector<std::uint8_t>> ReadBinary(const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    void WriteInt(const std::string&, const std::string&, std::int64_t) override {}
    void WriteString(const std::string&, const std::string&, const std::string&) override {}
    void WriteBinary(const std::string&, const std::string&, const std::vector<std::uint8_t>&) override {}
    void Remove(const std::string&, const std::string&) override {}
};

}  // namespace quill
