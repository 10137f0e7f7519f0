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

private:
    QWidget* parent_;
};

}  // namespace quill
