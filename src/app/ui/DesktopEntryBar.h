// The bar above the text that offers, at the first start, to list the program in the desktop's
// "Open With" menu for text files. It asks without stopping the user: nothing is written unless the
// user presses its button, and typing goes on into the text meanwhile.
#pragma once

#include <string>

#include "app/ui/NoticeBar.h"

class QPushButton;

namespace quill {

class Prompter;

class DesktopEntryBar : public NoticeBar {
    Q_OBJECT
public:
    /// programPath: what the entry starts; failures are told through the prompter.
    DesktopEntryBar(Prompter& prompter, std::string programPath, QWidget* parent);

    /// Shows the offer unless the desktop lists the program already; true when shown.
    bool Offer();
    QPushButton* AddButton() const { return add_; }
    QPushButton* DismissButton() const { return dismiss_; }

private:
    void Add();

    Prompter& prompter_;
    std::string programPath_;
    QPushButton* add_;
    QPushButton* dismiss_;
};

}  // namespace quill
