// The save-file dialog.
#include "platform/qt/QtFileDialogs.h"

#include <QFileDialog>

namespace quill {

std::optional<std::string> QtFileDialogs::AskSavePath(const std::string& proposedName, const std::string& extension)
{
    QFileDialog dialog(parent_, QStringLiteral("Save As"), QString::fromLocal8Bit(proposedName.c_str()),
                       QStringLiteral("Any File (*.txt);;All Files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromStdString(extension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toLocal8Bit().toStdString();
}

}  // namespace quill
