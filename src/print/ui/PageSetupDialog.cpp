#include "print/ui/PageSetupDialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>

#include "platform/qt/Cp1252.h"
#include "platform/qt/DialogWindow.h"
#include "print/HeaderFooter.h"
#include "settings/Settings.h"
#include "structure/ui/DialogParts.h"

namespace quill {

bool RunPageSetupDialog(QWidget* parent, Settings& settings)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    auto* form = new QFormLayout(&dialog);
    const QString hint = QString::fromLatin1(kPlaceholderHint);
    auto* header = new QLineEdit(FromCp1252(settings.printHeader), &dialog);
    auto* footer = new QLineEdit(FromCp1252(settings.printFooter), &dialog);
    for (QLineEdit* edit : {header, footer}) {
        edit->setToolTip(hint);
        edit->setPlaceholderText(hint);
        edit->setMinimumWidth(420);
    }
    auto* left = new QLineEdit(QString::number(settings.printLeft), &dialog);
    left->setValidator(new QIntValidator(0, 500, left));
    auto* leftRow = new QHBoxLayout;
    leftRow->addWidget(left);
    leftRow->addWidget(new QLabel(QStringLiteral("[mm]"), &dialog));
    leftRow->addStretch();
    auto* formFeeds = new QCheckBox(QStringLiteral("Interpret Form Feeds"), &dialog);
    formFeeds->setChecked(settings.printFF != 0);
    auto* wrap = new QCheckBox(QStringLiteral("Wrap Long Lines"), &dialog);
    wrap->setToolTip(QStringLiteral("A line wider than the page goes on in the next rows, behind a \u21AA; "
                                    "otherwise it is cut at the right edge, marked with \u00BB."));
    wrap->setChecked(settings.printWrap != 0);
    form->addRow(QStringLiteral("Header:"), header);
    form->addRow(QStringLiteral("Footer:"), footer);
    form->addRow(QStringLiteral("Left:"), leftRow);
    form->addRow(formFeeds);
    form->addRow(wrap);
    auto* hintLabel = new QLabel(hint, &dialog);
    hintLabel->setWordWrap(true);
    form->addRow(hintLabel);
    form->addRow(OkCancel(dialog));
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settings.printHeader = ToCp1252(header->text());
    settings.printFooter = ToCp1252(footer->text());
    settings.printLeft = left->text().toInt();
    settings.printFF = formFeeds->isChecked() ? 1 : 0;
    settings.printWrap = wrap->isChecked() ? 1 : 0;
    return true;
}

}  // namespace quill
