#include "app/ui/DesktopEntryBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "tools/FileAssignments.h"

namespace quill {

DesktopEntryBar::DesktopEntryBar(Prompter& prompter, std::string programPath, QWidget* parent)
    : QFrame(parent),
      prompter_(prompter),
      programPath_(std::move(programPath)),
      add_(new QPushButton(QStringLiteral("Add to \"Open With\""), this)),
      dismiss_(new QPushButton(QStringLiteral("Not Now"), this))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 248, 208));
    setPalette(colours);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 3, 8, 3);
    layout->addWidget(
        new QLabel(QStringLiteral("Quillarium is not yet offered by the desktop for opening text files."), this), 1);
    for (QPushButton* button : {add_, dismiss_}) {
        button->setFocusPolicy(Qt::NoFocus);  // the text keeps the keyboard
        layout->addWidget(button);
    }
    connect(add_, &QPushButton::clicked, this, &DesktopEntryBar::Add);
    connect(dismiss_, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

bool DesktopEntryBar::Offer()
{
    if (!FileAssignments::NeedsDesktopEntry())
        return false;
    show();
    return true;
}

void DesktopEntryBar::Add()
{
    if (FileAssignments(prompter_, programPath_).InstallDesktopEntry())
        hide();  // a failure was told and the offer stays
}

}  // namespace quill
