// The search dialog as the search commands see it; the Qt dialog and the tests' scripts answer.
#pragma once

#include <optional>

#include "search/FolderReplaceModel.h"
#include "search/SearchDialogModel.h"

namespace quill {

class SearchDialogs {
public:
    virtual ~SearchDialogs() = default;
    /// Shows the dialog on the model; the button that closed it, none for Cancel.
    virtual std::optional<SearchDialogModel::Button> Show(SearchDialogModel& model) = 0;
    /// "Replace in Folder" on its state; false for Cancel. Both buttons store every field and set
    /// replaceAll: true for "Replace All", false for "Replace".
    virtual bool ShowFolderReplace(FolderReplaceModel& model) = 0;
};

}  // namespace quill
