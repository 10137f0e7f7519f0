// The search dialog on the screen.
#pragma once

#include "search/SearchDialogs.h"

class QWidget;

namespace quill {

class FileDialogs;

class QtSearchDialogs : public SearchDialogs {
public:
    QtSearchDialogs(QWidget* parent, FileDialogs& files) : parent_(parent), files_(files) {}
    std::optional<SearchDialogModel::Button> Show(SearchDialogModel& model) override;
    bool ShowFolderReplace(FolderReplaceModel& model) override;

private:
    QWidget* parent_;
    FileDialogs& files_;
};

}  // namespace quill
