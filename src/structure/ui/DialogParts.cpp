// Shared dialog pieces.
#include "structure/ui/DialogParts.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "platform/qt/Cp1252.h"
#include "structure/MaskListModel.h"

namespace quill {

QCheckBox* Check(const QString& text, bool checked, const char* tip, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setChecked(checked);
    box->setToolTip(QString::fromLatin1(tip));
    return box;
}

QLineEdit* TextEdit(const std::string& text, const char* tooltip, QWidget* parent)
{
    auto* edit = new QLineEdit(FromCp1252(text), parent);
    edit->setToolTip(QString::fromLatin1(tooltip));
    return edit;
}

void FillList(QListWidget* list, const std::vector<std::string>& lines, int selected)
{
    list->clear();
    for (const std::string& line : lines)
        list->addItem(FromCp1252(line));
    list->setCurrentRow(selected);
}

QPushButton* AddButton(const QString& text, QWidget* parent, QLayout* layout)
{
    auto* button = new QPushButton(text, parent);
    layout->addWidget(button);
    return button;
}

QDialogButtonBox* OkCancel(QDialog& dialog)
{
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return box;
}

QGroupBox* MaskGroup(MaskListModel& model, const char* tooltip, QWidget* parent)
{
    auto* group = new QGroupBox(QStringLiteral("Associate"), parent);
    auto* layout = new QGridLayout(group);
    auto* masks = new QListWidget(group);
    auto* maskText = new QLineEdit(group);
    masks->setToolTip(QString::fromLatin1(tooltip));
    maskText->setToolTip(QString::fromLatin1(tooltip));
    auto* buttons = new QHBoxLayout;
    layout->addWidget(masks, 0, 0);
    layout->addWidget(maskText, 1, 0);
    layout->addLayout(buttons, 2, 0);
    auto refill = [&model, masks, maskText] {
        FillList(masks, model.MaskLines(), model.selectedMask);
        maskText->setText(FromCp1252(model.maskText));
    };
    auto action = [&model, maskText, refill](void (MaskListModel::*step)()) {
        return [&model, maskText, refill, step] {
            model.maskText = ToCp1252(maskText->text());
            (model.*step)();
            refill();
            maskText->setFocus();
        };
    };
    QObject::connect(AddButton(QStringLiteral("New"), group, buttons), &QPushButton::clicked, group,
                     action(&MaskListModel::NewMask));
    QObject::connect(AddButton(QStringLiteral("Modify"), group, buttons), &QPushButton::clicked, group,
                     action(&MaskListModel::ModifyMask));
    QObject::connect(AddButton(QStringLiteral("Delete"), group, buttons), &QPushButton::clicked, group,
                     action(&MaskListModel::DeleteMask));
    QObject::connect(AddButton(QStringLiteral("This"), group, buttons), &QPushButton::clicked, group,
                     action(&MaskListModel::ThisMask));
    QObject::connect(masks, &QListWidget::currentRowChanged, group, [&model, maskText](int row) {
        model.SelectMask(row);
        maskText->setText(FromCp1252(model.maskText));
    });
    refill();
    return group;
}

}  // namespace quill
