// The Structure dialog.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/Cp1252.h"
#include "platform/qt/DialogWindow.h"
#include "structure/StructureDialogModel.h"
#include "structure/ui/DialogParts.h"
#include "structure/ui/QtStructureDialogs.h"

namespace quill {

bool QtStructureDialogs::EditStructure(StructureDialogModel& model)
{
    QDialog dialog(parent_);
    dialog.setWindowTitle(QStringLiteral("Structure"));
    auto* top = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    auto* name = new QLineEdit(FromCp1252(model.name), &dialog);
    name->setToolTip(QString::fromLatin1(StructureDialogModel::kNameTip));
    auto* recordLength = new QLineEdit(FromCp1252(model.recordLength), &dialog);
    recordLength->setToolTip(QString::fromLatin1(StructureDialogModel::kRecordLengthTip));
    auto* type = new QComboBox(&dialog);
    type->addItems({QStringLiteral("Offset & Length"), QStringLiteral("Delimiter")});
    type->setCurrentIndex(model.type);
    type->setToolTip(QString::fromLatin1(StructureDialogModel::kTypeTip));
    auto* delimiter = new QLineEdit(FromCp1252(model.delimiter), &dialog);
    delimiter->setToolTip(QString::fromLatin1(StructureDialogModel::kDelimiterTip));
    auto syncType = [&] {
        model.type = type->currentIndex();
        delimiter->setEnabled(model.DelimiterEnabled());
    };
    QObject::connect(type, &QComboBox::currentIndexChanged, &dialog, syncType);
    syncType();
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(type);
    typeRow->addWidget(delimiter);
    form->addRow(QStringLiteral("Name:"), name);
    form->addRow(QStringLiteral("Record Length:"), recordLength);
    form->addRow(QStringLiteral("Field Type:"), typeRow);
    top->addLayout(form);

    top->addWidget(MaskGroup(model.masks, StructureDialogModel::kMaskTip, &dialog));

    auto* fieldsBox = new QGroupBox(QStringLiteral("Fields"), &dialog);
    auto* fieldLayout = new QHBoxLayout(fieldsBox);
    auto* fields = new QListWidget(fieldsBox);
    fields->setToolTip(QString::fromLatin1(StructureDialogModel::kFieldsTip));
    auto* fieldButtons = new QVBoxLayout;
    fieldLayout->addWidget(fields);
    fieldLayout->addLayout(fieldButtons);
    auto refillFields = [&] { FillList(fields, model.FieldLines(), model.selectedField); };
    auto fieldAction = [&](void (StructureDialogModel::*action)()) {
        return [&, action] {
            model.selectedField = fields->currentRow();
            (model.*action)();
            refillFields();
        };
    };
    QObject::connect(AddButton(QStringLiteral("New"), fieldsBox, fieldButtons), &QPushButton::clicked, &dialog,
                     fieldAction(&StructureDialogModel::NewField));
    QObject::connect(AddButton(QStringLiteral("Delete"), fieldsBox, fieldButtons), &QPushButton::clicked, &dialog,
                     fieldAction(&StructureDialogModel::DeleteSelectedField));
    QObject::connect(AddButton(QStringLiteral("Up"), fieldsBox, fieldButtons), &QPushButton::clicked, &dialog,
                     fieldAction(&StructureDialogModel::FieldUp));
    QObject::connect(AddButton(QStringLiteral("Down"), fieldsBox, fieldButtons), &QPushButton::clicked, &dialog,
                     fieldAction(&StructureDialogModel::FieldDown));
    QObject::connect(fields, &QListWidget::itemDoubleClicked, &dialog,
                     fieldAction(&StructureDialogModel::EditSelectedField));
    refillFields();
    top->addWidget(fieldsBox);

    top->addWidget(OkCancel(dialog));
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    model.name = ToCp1252(name->text());
    model.recordLength = ToCp1252(recordLength->text());
    model.delimiter = ToCp1252(delimiter->text());
    model.type = type->currentIndex();
    return true;
}

}  // namespace quill
