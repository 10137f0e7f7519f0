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
#include "structure/StructureDialogModel.h"
#include "structure/ui/QtStructureDialogs.h"

namespace quill {

namespace {

void Fill(QListWidget* list, const std::vector<std::string>& lines, int selected)
{
    list->clear();
    for (const std::string& line : lines)
        list->addItem(FromCp1252(line));
    list->setCurrentRow(selected);
}

QPushButton* Button(const QString& text, QWidget* parent, QLayout* layout)
{
    auto* button = new QPushButton(text, parent);
    layout->addWidget(button);
    return button;
}

}  // namespace

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

    auto* associate = new QGroupBox(QStringLiteral("Associate"), &dialog);
    auto* maskLayout = new QGridLayout(associate);
    auto* masks = new QListWidget(associate);
    masks->setToolTip(QString::fromLatin1(StructureDialogModel::kMaskTip));
    auto* maskText = new QLineEdit(associate);
    maskText->setToolTip(QString::fromLatin1(StructureDialogModel::kMaskTip));
    auto* maskButtons = new QHBoxLayout;
    maskLayout->addWidget(masks, 0, 0);
    maskLayout->addWidget(maskText, 1, 0);
    maskLayout->addLayout(maskButtons, 2, 0);
    auto refillMasks = [&] {
        Fill(masks, model.MaskLines(), model.selectedMask);
        maskText->setText(FromCp1252(model.maskText));
    };
    auto maskAction = [&](void (StructureDialogModel::*action)()) {
        return [&, action] {
            model.maskText = ToCp1252(maskText->text());
            (model.*action)();
            refillMasks();
            maskText->setFocus();
        };
    };
    QObject::connect(Button(QStringLiteral("New"), associate, maskButtons), &QPushButton::clicked, &dialog,
                     maskAction(&StructureDialogModel::NewMask));
    QObject::connect(Button(QStringLiteral("Modify"), associate, maskButtons), &QPushButton::clicked, &dialog,
                     maskAction(&StructureDialogModel::ModifyMask));
    QObject::connect(Button(QStringLiteral("Delete"), associate, maskButtons), &QPushButton::clicked, &dialog,
                     maskAction(&StructureDialogModel::DeleteMask));
    QObject::connect(Button(QStringLiteral("This"), associate, maskButtons), &QPushButton::clicked, &dialog,
                     maskAction(&StructureDialogModel::ThisMask));
    QObject::connect(masks, &QListWidget::currentRowChanged, &dialog, [&](int row) {
        model.SelectMask(row);
        maskText->setText(FromCp1252(model.maskText));
    });
    refillMasks();
    top->addWidget(associate);

    auto* fieldsBox = new QGroupBox(QStringLiteral("Fields"), &dialog);
    auto* fieldLayout = new QHBoxLayout(fieldsBox);
    auto* fields = new QListWidget(fieldsBox);
    fields->setToolTip(QString::fromLatin1(StructureDialogModel::kFieldsTip));
    auto* fieldButtons = new QVBoxLayout;
    fieldLayout->addWidget(fields);
    fieldLayout->addLayout(fieldButtons);
    auto refillFields = [&] { Fill(fields, model.FieldLines(), model.selectedField); };
    auto fieldAction = [&](void (StructureDialogModel::*action)()) {
        return [&, action] {
            model.selectedField = fields->currentRow();
            (model.*action)();
            refillFields();
        };
    };
    QObject::connect(Button(QStringLiteral("New"), fieldsBox, fieldButtons), &QPushButton::clicked, &dialog,
                     fieldAction(&StructureDialogModel::NewField));
    QObject::connect(Button(QStringLiteral("Delete"), fieldsBox, fieldButtons), &QPushButton::clicked, &dialog,
                     fieldAction(&StructureDialogModel::DeleteSelectedField));
    QObject::connect(Button(QStringLiteral("Up"), fieldsBox, fieldButtons), &QPushButton::clicked, &dialog,
                     fieldAction(&StructureDialogModel::FieldUp));
    QObject::connect(Button(QStringLiteral("Down"), fieldsBox, fieldButtons), &QPushButton::clicked, &dialog,
                     fieldAction(&StructureDialogModel::FieldDown));
    QObject::connect(fields, &QListWidget::itemDoubleClicked, &dialog,
                     fieldAction(&StructureDialogModel::EditSelectedField));
    refillFields();
    top->addWidget(fieldsBox);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    top->addWidget(box);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    model.name = ToCp1252(name->text());
    model.recordLength = ToCp1252(recordLength->text());
    model.delimiter = ToCp1252(delimiter->text());
    model.type = type->currentIndex();
    return true;
}

}  // namespace quill
