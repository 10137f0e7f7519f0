// The one-value entry dialog.
#include "platform/qt/QtEntryDialog.h"

#include <QInputDialog>

#include "platform/qt/Cp1252.h"

namespace quill {

std::optional<std::string> QtEntryDialog::AskValue(const std::string& label, const std::string& proposal)
{
    bool ok = false;
    const QString title = FromCp1252(label);
    const QString text =
        QInputDialog::getText(parent_, title, title + QLatin1Char(':'), QLineEdit::Normal, FromCp1252(proposal), &ok);
    if (!ok)
        return std::nullopt;
    return ToCp1252(text);
}

}  // namespace quill
