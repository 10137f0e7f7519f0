// The one-value entry dialog.
#include "platform/qt/QtEntryDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "platform/qt/Cp1252.h"
#include "platform/qt/DialogWindow.h"

namespace quill {

std::optional<std::string> QtEntryDialog::AskValue(const std::string& label, const std::string& proposal)
{
    const QString title = FromCp1252(label);
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(title);
    dialog.setLabelText(title + QLatin1Char(':'));
    dialog.setTextValue(FromCp1252(proposal));
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ToCp1252(dialog.textValue());
}

bool QtEntryDialog::AskValues(const std::string& title, std::vector<EntryValue>& values)
{
    QDialog dialog(parent_);
    dialog.setWindowTitle(FromCp1252(title.empty() ? EntryTitle(values) : title));
    auto* form = new QFormLayout(&dialog);
    std::vector<QLineEdit*> edits;
    for (const EntryValue& value : values) {
        if (value.label.empty())
            continue;  // a second value without a label has no row
        auto* edit = new QLineEdit(FromCp1252(value.text), &dialog);
        // Numbers can only be typed as their mode reads them.
        if (value.mode == EntryMode::Decimal)
            edit->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\s*-?\\d{0,18}")), edit));
        else if (value.mode == EntryMode::Hex)
            edit->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\s*[0-9A-Fa-f]{0,16}")), edit));
        edit->selectAll();
        form->addRow(FromCp1252(value.label) + QLatin1Char(':'), edit);
        edits.push_back(edit);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (std::size_t i = 0; i < edits.size(); ++i)
        values[i].text = ToCp1252(edits[i]->text());
    return true;
}

}  // namespace quill
