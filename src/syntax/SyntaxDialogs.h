// The dialogs of the syntax and charset commands, as the core asks for them.
#pragma once

#include <optional>
#include <string>

namespace quill {

class SyntaxDialogModel;
class SyntaxItemDialogModel;
class ConversionDialogModel;

class SyntaxDialogs {
public:
    virtual ~SyntaxDialogs() = default;

    virtual bool EditSyntax(SyntaxDialogModel& model) = 0;
    virtual bool EditItem(SyntaxItemDialogModel& model) = 0;
    virtual bool EditConversion(ConversionDialogModel& model) = 0;
    /// File dialogs for description files ("Syntax (*.syn)", "Conversions (*.tec)") in the data folder.
    virtual std::optional<std::string> OpenDescription(const std::string& folder, const std::string& filter,
                                                       const std::string& extension) = 0;
    virtual std::optional<std::string> SaveDescription(const std::string& folder, const std::string& filter,
                                                       const std::string& extension) = 0;
};

}  // namespace quill
