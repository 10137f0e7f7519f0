// The one-value entry dialog.
#pragma once

#include "platform/EntryDialog.h"

class QWidget;

namespace quill {

class QtEntryDialog : public EntryDialog {
public:
    explicit QtEntryDialog(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> AskValue(const std::string& label, const std::string& proposal) override;
    bool AskValues(const std::string& title, std::vector<EntryValue>& values) override;

private:
    QWidget* parent_;
};

}  // namespace quill
