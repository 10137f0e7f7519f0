// The Associate and Sort dialogs and the structure file dialogs.
#include "structure/ui/QtStructureDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/qt/Cp1252.h"
#include "platform/qt/DialogWindow.h"
#include "platform/qt/QtFileDialogs.h"
#include "structure/AssociateDialogModel.h"
#include "structure/SortDialogModel.h"
#include "structure/StructureDescription.h"
#include "structure/ui/DialogParts.h"

namespace quill {

bool QtStructureDialogs::Associate(AssociateDialogModel& model)
{
    QDialog dialog(parent_);
    dialog.setWindowTitle(QStringLiteral("Associate"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* group = new QButtonGroup(&dialog);
    for (int i = 0; i < 3; ++i) {
        auto* choice = new QRadioButton(QString::fromLocal8Bit(model.proposal[i].c_str()), &dialog);
        group->addButton(choice, i);
        layout->addWidget(choice);
    }
    auto* own = new QRadioButton(QStringLiteral("Own mask:"), &dialog);
    group->addButton(own, 3);
    auto* ownText = new QLineEdit(QString::fromLocal8Bit(model.ownMask.c_str()), &dialog);
    layout->addWidget(own);
    layout->addWidget(ownText);
    group->button(model.choice)->setChecked(true);
    auto sync = [&] {
        model.Check(group->checkedId());
        ownText->setEnabled(model.OwnMaskEnabled());
    };
    QObject::connect(group, &QButtonGroup::idClicked, &dialog, sync);
    sync();
    layout->addWidget(OkCancel(dialog));
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    model.ownMask = ownText->text().toLocal8Bit().toStdString();
    return true;
}

bool QtStructureDialogs::ChooseSortFields(SortDialogModel& model)
{
    QDialog dialog(parent_);
    dialog.setWindowTitle(QStringLiteral("Sort by Fields"));
    auto* grid = new QGridLayout(&dialog);
    auto* available = new QListWidget(&dialog);
    auto* order = new QListWidget(&dialog);
    grid->addWidget(new QLabel(QStringLiteral("Available Fields"), &dialog), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Sort Order"), &dialog), 0, 2);
    grid->addWidget(available, 1, 0, 4, 1);
    grid->addWidget(order, 1, 2, 4, 1);
    auto* add = new QPushButton(QStringLiteral(">"), &dialog);
    auto* remove = new QPushButton(QStringLiteral("<"), &dialog);
    auto* up = new QPushButton(QStringLiteral("UP"), &dialog);
    auto* down = new QPushButton(QStringLiteral("DOWN"), &dialog);
    grid->addWidget(add, 1, 1);
    grid->addWidget(remove, 2, 1);
    grid->addWidget(up, 3, 1);
    grid->addWidget(down, 4, 1);
    for (const FieldDef* field : model.Available())
        available->addItem(FromCp1252(field->name));
    auto refresh = [&] {
        order->clear();
        for (const FieldDef* field : model.Order())
            order->addItem(FromCp1252(field->name));
        order->setCurrentRow(model.selectedOrder);
        available->setCurrentRow(model.selectedAvailable);
    };
    auto act = [&](void (SortDialogModel::*action)()) {
        return [&, action] {
            model.selectedAvailable = available->currentRow();
            model.selectedOrder = order->currentRow();
            (model.*action)();
            refresh();
        };
    };
    QObject::connect(add, &QPushButton::clicked, &dialog, act(&SortDialogModel::AddSelected));
    QObject::connect(available, &QListWidget::itemDoubleClicked, &dialog, act(&SortDialogModel::AddSelected));
    QObject::connect(remove, &QPushButton::clicked, &dialog, act(&SortDialogModel::RemoveSelected));
    QObject::connect(order, &QListWidget::itemDoubleClicked, &dialog, act(&SortDialogModel::RemoveSelected));
    QObject::connect(up, &QPushButton::clicked, &dialog, act(&SortDialogModel::MoveUp));
    QObject::connect(down, &QPushButton::clicked, &dialog, act(&SortDialogModel::MoveDown));
    refresh();
    grid->addWidget(OkCancel(dialog), 5, 0, 1, 3);
    DecorateDialog(dialog);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<std::string> QtStructureDialogs::OpenStructureFile(const std::string& folder)
{
    std::string chosen = AskOpenFile(parent_, folder, "Structures (*.ini)");
    return chosen.empty() ? std::nullopt : std::optional<std::string>(chosen);
}

std::optional<std::string> QtStructureDialogs::SaveStructureFile(const std::string& folder)
{
    std::string chosen = AskSaveFile(parent_, folder, "Structures (*.ini)", "ini");
    return chosen.empty() ? std::nullopt : std::optional<std::string>(chosen);
}

}  // namespace quill
