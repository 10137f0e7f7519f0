// The dialogs of the structure commands, as the core asks for them.
#pragma once

#include <optional>
#include <string>

namespace quill {

class StructureDialogModel;
class FieldDialogModel;
class AssociateDialogModel;
class SortDialogModel;

/// Each dialog works on its model and tells whether it was confirmed; the desktop shows windows,
/// tests script the answers.
class StructureDialogs {
public:
    virtual ~StructureDialogs() = default;

    virtual bool EditStructure(StructureDialogModel& model) = 0;
    virtual bool EditField(FieldDialogModel& model) = 0;
    virtual bool Associate(AssociateDialogModel& model) = 0;
    virtual bool ChooseSortFields(SortDialogModel& model) = 0;
    /// The file dialogs for "Structures (*.ini)", starting in the data folder.
    virtual std::optional<std::string> OpenStructureFile(const std::string& folder) = 0;
    virtual std::optional<std::string> SaveStructureFile(const std::string& folder) = 0;
};

}  // namespace quill
