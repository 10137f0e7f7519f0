// The structure dialogs as windows: thin views over their models.
#pragma once

#include "structure/StructureDialogs.h"

class QWidget;

namespace quill {

class QtStructureDialogs : public StructureDialogs {
public:
    explicit QtStructureDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    bool EditStructure(StructureDialogModel& model) override;
    bool EditField(FieldDialogModel& model) override;
    bool Associate(AssociateDialogModel& model) override;
    bool ChooseSortFields(SortDialogModel& model) override;
    std::optional<std::string> OpenStructureFile(const std::string& folder) override;
    std::optional<std::string> SaveStructureFile(const std::string& folder) override;

private:
    QWidget* parent_;
};

}  // namespace quill
