// The window decoration of the program's dialogs.
#pragma once

#include <Qt>

class QDialog;

namespace quill {

/// A dialog has a title and a close button, and no minimise or maximise buttons: it is answered,
/// not kept aside.
inline Qt::WindowFlags DialogWindowFlags()
{
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

/// Gives a dialog of the toolkit's own (file, font, colour, print, message boxes) the decoration
/// above and the width its title needs next to the window manager's buttons, so that the title
/// is never cut. resizable: a maximise button too, for a dialog that shows a page (print preview).
void DecorateDialog(QDialog& dialog, bool resizable = false);

}  // namespace quill
