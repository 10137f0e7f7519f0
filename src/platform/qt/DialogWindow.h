// The window decoration of the program's dialogs.
#pragma once

#include <Qt>

namespace quill {

/// A dialog has a title and a close button, and no minimise or maximise buttons: it is answered,
/// not kept aside.
inline Qt::WindowFlags DialogWindowFlags()
{
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

}  // namespace quill
