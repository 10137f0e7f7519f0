// The open-file and save-file dialogs.
#include "platform/qt/QtFileDialogs.h"

#include <QFileDialog>

#include "platform/qt/DialogWindow.h"

namespace quill {

std::string AskOpenFile(QWidget* parent, const std::string& folder, const std::string& filter)
{
    QFileDialog dialog(parent, QStringLiteral("Open"), QString::fromLocal8Bit(folder.c_str()),
                       QString::fromLatin1(filter.c_str()));
    dialog.setFileMode(QFileDialog::ExistingFile);
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toLocal8Bit().toStdString();
}

std::string AskSaveFile(QWidget* parent, const std::string& start, const std::string& filter,
                        const std::string& extension)
{
    QFileDialog dialog(parent, QStringLiteral("Save As"), QString::fromLocal8Bit(start.c_str()),
                       QString::fromLatin1(filter.c_str()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    DecorateDialog(dialog);
    // The extension is added to a name typed without one only while a filter of that extension
    // is chosen: under "All files" the name stays as the user typed it.
    const QString suffix = QString::fromStdString(extension);
    const auto suffixFor = [suffix](const QString& chosenFilter) {
        return !suffix.isEmpty() && chosenFilter.contains(QStringLiteral("*.") + suffix) ? suffix : QString();
    };
    dialog.setDefaultSuffix(suffixFor(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, [&dialog, suffixFor](const QString& chosenFilter) {
        dialog.setDefaultSuffix(suffixFor(chosenFilter));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toLocal8Bit().toStdString();
}

std::optional<std::string> QtFileDialogs::AskSavePath(const std::string& proposedName, const std::string& extension)
{
    std::string chosen = AskSaveFile(parent_, proposedName, kTextFileFilter, extension);
    return chosen.empty() ? std::nullopt : std::optional<std::string>(chosen);
}

std::optional<std::string> QtFileDialogs::AskFolder(const std::string& title, const std::string& start)
{
    QFileDialog dialog(parent_, QString::fromLocal8Bit(title.c_str()), QString::fromLocal8Bit(start.c_str()));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toLocal8Bit().toStdString();
}

}  // namespace quill
