#include "app/ui/DesktopEntryBar.h"

#include <QPushButton>

#include "tools/FileAssignments.h"

namespace quill {

DesktopEntryBar::DesktopEntryBar(Prompter& prompter, std::string programPath, QWidget* parent)
    : NoticeBar(QStringLiteral("Quillarium is not yet offered by the desktop for opening text files."), parent),
      prompter_(prompter),
      programPath_(std::move(programPath)),
      add_(NoticeBar::AddButton(QStringLiteral("Add to \"Open With\""))),
      dismiss_(NoticeBar::AddButton(QStringLiteral("Not Now")))
{
    connect(add_, &QPushButton::clicked, this, &DesktopEntryBar::Add);
    connect(dismiss_, &QPushButton::clicked, this, &QWidget::hide);
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
