// The Options and Font dialogs.
#include "app/ui/OptionsDialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <algorithm>

#include "document/CQVXDoc.h"
#include "platform/qt/Cp1252.h"
#include "settings/Settings.h"
#include "structure/ProfileFile.h"
#include "structure/ui/DialogParts.h"

namespace quill {

bool RunOptionsDialog(QWidget* parent, Settings& settings, CQVXDoc& doc)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Options"));
    auto* form = new QFormLayout(&dialog);
    auto* tabSize = new QLineEdit(QString::number(settings.tabSize), &dialog);
    auto* ffLine = new QCheckBox(QStringLiteral("Visible line at Form Feed characters"), &dialog);
    ffLine->setChecked(settings.ffLine != 0);
    auto* tabAsSpace = new QCheckBox(QStringLiteral("Tab as space"), &dialog);
    tabAsSpace->setChecked(settings.tabAsSpace != 0);
    form->addRow(QStringLiteral("Tab Size:"), tabSize);
    form->addRow(ffLine);
    form->addRow(tabAsSpace);
    form->addRow(OkCancel(dialog));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settings.ffLine = ffLine->isChecked();
    settings.tabAsSpace = tabAsSpace->isChecked();
    doc.ChangeTabSize(static_cast<int>(ProfileFile::ParseInt(ToCp1252(tabSize->text()))));
    return true;
}

bool RunFontDialog(QWidget* parent, Settings& settings)
{
    QFont current(FromCp1252(settings.font));
    current.setPointSizeF(settings.fontSize / 10.0);
    current.setWeight(QFont::Weight(std::clamp(settings.fontWeight, 1, 1000)));
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, current, parent, QStringLiteral("Font"), QFontDialog::MonospacedFonts);
    if (!ok)
        return false;
    settings.font = ToCp1252(chosen.family());
    settings.fontSize = static_cast<int>(chosen.pointSizeF() * 10);
    settings.fontWeight = chosen.weight();
    return true;
}

}  // namespace quill
