// The open-file and save-file dialogs.
#include "platform/qt/QtFileDialogs.h"

#include <QFileDialog>

namespace quill {

std::string AskOpenFile(QWidget* parent, const std::string& folder, const std::string& filter)
{
    const QString chosen = QFileDialog::getOpenFileName(
        parent, QStringLiteral("Open"), QString::fromLocal8Bit(folder.c_str()), QString::fromLatin1(filter.c_str()));
    return chosen.toLocal8Bit().toStdString();
}

std::string AskSaveFile(QWidget* parent, const std::string& start, const std::string& filter,
                        const std::string& extension)
{
    QFileDialog dialog(parent, QStringLiteral("Save As"), QString::fromLocal8Bit(start.c_str()),
                       QString::fromLatin1(filter.c_str()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromStdString(extension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toLocal8Bit().toStdString();
}

std::optional<std::string> QtFileDialogs::AskSavePath(const std::string& proposedName, const std::string& extension)
{
    std::string chosen = AskSaveFile(parent_, proposedName, "Any File (*.txt);;All Files (*)", extension);
    return chosen.empty() ? std::nullopt : std::optional<std::string>(chosen);
}

std::optional<std::string> QtFileDialogs::AskFolder(const std::string& title, const std::string& start)
{
    const QString chosen = QFileDialog::getExistingDirectory(parent_, QString::fromLocal8Bit(title.c_str()),
                                                             QString::fromLocal8Bit(start.c_str()));
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toLocal8Bit().toStdString();
}

}  // namespace quill
