#include "app/ui/FileAssignmentsDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>
#include <vector>

#include "platform/qt/DialogWindow.h"
#include "structure/ui/DialogParts.h"
#include "tools/FileAssignments.h"

namespace quill {

void RunFileAssignmentsDialog(QWidget* parent, Prompter& prompter)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Assign File Extensions 2 Quillarium"));
    auto* layout = new QVBoxLayout(&dialog);
    std::vector<QCheckBox*> boxes;
    for (const char* label : FileAssignments::Labels()) {
        auto* box = new QCheckBox(QString::fromLatin1(label), &dialog);
        box->setChecked(true);
        layout->addWidget(box);
        boxes.push_back(box);
    }
    auto* warning = new QLabel(QStringLiteral("Be sure you want to use Quillarium as your text editor. Otherwise you "
                                              "have to manualy change the assignments to there original programs!"),
                               &dialog);
    warning->setWordWrap(true);
    layout->addWidget(warning);
    layout->addWidget(OkCancel(dialog));
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::array<bool, FileAssignments::kGroups> checked{};
    for (std::size_t k = 0; k < boxes.size(); ++k)
        checked[k] = boxes[k]->isChecked();
    FileAssignments(prompter, QCoreApplication::applicationFilePath().toLocal8Bit().toStdString()).Assign(checked);
}

}  // namespace quill
