// The syntax and conversion dialogs as windows: thin views over their models.
#pragma once

#include "syntax/SyntaxDialogs.h"

class QWidget;

namespace quill {

class QtSyntaxDialogs : public SyntaxDialogs {
public:
    explicit QtSyntaxDialogs(QWidget* parent = nullptr) : parent_(parent) {}

    bool EditSyntax(SyntaxDialogModel& model) override;
    bool EditItem(SyntaxItemDialogModel& model) override;
    bool EditConversion(ConversionDialogModel& model) override;
    std::optional<std::string> OpenDescription(const std::string& folder, const std::string& filter,
                                               const std::string& extension) override;
    std::optional<std::string> SaveDescription(const std::string& folder, const std::string& filter,
                                               const std::string& extension) override;

private:
    QWidget* parent_;
};

}  // namespace quill
