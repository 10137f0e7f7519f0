// Structure dialogs answered by test scripts: each call takes the next scripted step.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "structure/AssociateDialogModel.h"
#include "structure/FieldDialogModel.h"
#include "structure/SortDialogModel.h"
#include "structure/StructureDialogModel.h"
#include "structure/StructureDialogs.h"

namespace quill::test {

class ScriptedStructureDialogs : public StructureDialogs {
public:
    template <class Model> using Step = std::function<bool(Model&)>;

    bool EditStructure(StructureDialogModel& model) override { return Next(structure, model); }
    bool EditField(FieldDialogModel& model) override { return Next(field, model); }
    bool Associate(AssociateDialogModel& model) override { return Next(associate, model); }
    bool ChooseSortFields(SortDialogModel& model) override { return Next(sort, model); }
    std::optional<std::string> OpenStructureFile(const std::string&) override { return openPath; }
    std::optional<std::string> SaveStructureFile(const std::string&) override { return savePath; }

    std::deque<Step<StructureDialogModel>> structure;
    std::deque<Step<FieldDialogModel>> field;
    std::deque<Step<AssociateDialogModel>> associate;
    std::deque<Step<SortDialogModel>> sort;
    std::optional<std::string> openPath;
    std::optional<std::string> savePath;
    int unscripted = 0;  ///< dialogs that came without a step: cancelled

private:
    template <class Model> bool Next(std::deque<Step<Model>>& steps, Model& model)
    {
        if (steps.empty()) {
            ++unscripted;
            return false;
        }
        Step<Model> step = std::move(steps.front());
        steps.pop_front();
        return step(model);
    }
};

}  // namespace quill::test
