// Every dialog of the program decorated alike.
#include "platform/qt/DialogWindow.h"

#include <QDialog>
#include <QFontMetrics>

namespace quill {

namespace {

/// Room for the window manager's buttons and margins beside a title, in pixels.
constexpr int kTitleBarAllowance = 220;

}  // namespace

void DecorateDialog(QDialog& dialog, bool resizable)
{
    dialog.setWindowFlags(resizable ? DialogWindowFlags() | Qt::WindowMaximizeButtonHint : DialogWindowFlags());
    const int wanted = dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) + kTitleBarAllowance;
    if (dialog.minimumWidth() < wanted)
        dialog.setMinimumWidth(wanted);
}

}  // namespace quill
