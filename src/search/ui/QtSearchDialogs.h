// The search dialog on the screen.
#pragma once

#include "search/SearchDialogs.h"

class QWidget;

namespace quill {

class QtSearchDialogs : public SearchDialogs {
public:
    explicit QtSearchDialogs(QWidget* parent) : parent_(parent) {}
    std::optional<SearchDialogModel::Button> Show(SearchDialogModel& model) override;

private:
    QWidget* parent_;
};

}  // namespace quill
