// The Field dialog.
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/Cp1252.h"
#include "platform/qt/DialogWindow.h"
#include "structure/FieldDialogModel.h"
#include "structure/ui/DialogParts.h"
#include "structure/ui/QtStructureDialogs.h"

namespace quill {

bool QtStructureDialogs::EditField(FieldDialogModel& model)
{
    QDialog dialog(parent_);
    dialog.setWindowTitle(QStringLiteral("Field"));
    auto* form = new QFormLayout(&dialog);
    QLineEdit* name = TextEdit(model.name, FieldDialogModel::kNameTip, &dialog);
    QLineEdit* offset = TextEdit(model.offset, FieldDialogModel::kOffsetTip, &dialog);
    QLineEdit* length = TextEdit(model.length, FieldDialogModel::kLengthTip, &dialog);
    auto* recordType = new QCheckBox(QStringLiteral("Record Type Field"), &dialog);
    recordType->setToolTip(QString::fromLatin1(FieldDialogModel::kRecordTypeTip));
    recordType->setChecked(model.isRecordType);
    QLineEdit* typeValue = TextEdit(model.typeValue, FieldDialogModel::kTypeValueTip, &dialog);
    QLineEdit* comment = TextEdit(model.comment, FieldDialogModel::kCommentTip, &dialog);
    offset->setEnabled(model.OffsetAndLengthEnabled());
    length->setEnabled(model.OffsetAndLengthEnabled());

    auto* colours = new QHBoxLayout;
    QPushButton* buttons[8];
    auto refreshColours = [&] {
        for (int i = 0; i < 8; ++i)
            buttons[i]->setEnabled(model.ColourButtonEnabled(i));
    };
    for (int i = 0; i < 8; ++i) {
        buttons[i] = new QPushButton(QStringLiteral("COL%1").arg(i + 1, 2, 10, QLatin1Char('0')), &dialog);
        buttons[i]->setAutoDefault(false);  // Enter stays with OK after a colour was clicked
        const QColor colour(QRgb(FieldColour(i)));
        buttons[i]->setStyleSheet(QStringLiteral("background-color: %1; color: black").arg(colour.name()));
        QObject::connect(buttons[i], &QPushButton::clicked, &dialog, [&, i] {
            model.ChooseColour(i);
            refreshColours();
        });
        colours->addWidget(buttons[i]);
    }
    refreshColours();
    auto syncTypeValue = [&] {
        model.isRecordType = recordType->isChecked();
        typeValue->setEnabled(model.TypeValueEnabled());
    };
    QObject::connect(recordType, &QCheckBox::toggled, &dialog, syncTypeValue);
    syncTypeValue();

    form->addRow(QStringLiteral("Name:"), name);
    form->addRow(QStringLiteral("Offset:"), offset);
    form->addRow(QStringLiteral("Length:"), length);
    form->addRow(QString(), recordType);
    form->addRow(QStringLiteral("Type Value:"), typeValue);
    form->addRow(QStringLiteral("Color:"), colours);
    form->addRow(QStringLiteral("Description:"), comment);
    form->addRow(OkCancel(dialog));
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    model.name = ToCp1252(name->text());
    model.offset = ToCp1252(offset->text());
    model.length = ToCp1252(length->text());
    model.typeValue = ToCp1252(typeValue->text());
    model.comment = ToCp1252(comment->text());
    model.isRecordType = recordType->isChecked();
    return true;
}

}  // namespace quill
