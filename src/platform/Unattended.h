// Stand-ins for the dialogs of a run that nobody watches (printing from the command line): no
// file is chosen and no value entered.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/EntryDialog.h"
#include "platform/FileDialogs.h"

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

}  // namespace quill
