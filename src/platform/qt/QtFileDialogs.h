// The save-file dialog.
#pragma once

#include "platform/FileDialogs.h"

class QWidget;

namespace quill {

class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> AskSavePath(const std::string& proposedName, const std::string& extension) override;
    std::optional<std::string> AskFolder(const std::string& title, const std::string& start) override;

private:
    QWidget* parent_;
};

/// The files the open and save dialogs offer: every file first, logs among the texts.
inline constexpr char kTextFileFilter[] = "All files (*);;Text files (*.txt *.log)";

/// A path chosen in the open-file dialog, or empty when cancelled.
std::string AskOpenFile(QWidget* parent, const std::string& folder, const std::string& filter);
/// A path chosen in the save-file dialog (asking before overwriting), or empty when cancelled.
std::string AskSaveFile(QWidget* parent, const std::string& start, const std::string& filter,
                        const std::string& extension);

}  // namespace quill
