// The Options and Font dialogs.
#include "app/ui/OptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "document/Document.h"
#include "platform/qt/Cp1252.h"
#include "platform/qt/DialogWindow.h"
#include "settings/Settings.h"
#include "structure/ProfileFile.h"
#include "structure/ui/DialogParts.h"
#include "view/VisibleCodesModel.h"

namespace quill {

bool RunOptionsDialog(QWidget* parent, Settings& settings, Document& doc)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Options"));
    auto* form = new QFormLayout(&dialog);
    auto* tabSize = new QLineEdit(QString::number(doc.Config().Get(Layout::TabSize)), &dialog);
    auto* ffLine = new QCheckBox(QStringLiteral("Visible line at Form Feed characters"), &dialog);
    ffLine->setChecked(settings.ffLine != 0);
    auto* tabAsSpace = new QCheckBox(QStringLiteral("Tab as space"), &dialog);
    tabAsSpace->setChecked(settings.tabAsSpace != 0);
    auto* reloadUnchanged =
        new QCheckBox(QStringLiteral("Reload a file changed on disk at once when the text has no changes"), &dialog);
    reloadUnchanged->setChecked(settings.reloadUnchangedFiles != 0);
    form->addRow(QStringLiteral("Tab Size:"), tabSize);
    form->addRow(ffLine);
    form->addRow(tabAsSpace);
    form->addRow(reloadUnchanged);
    auto* keys = new QComboBox(&dialog);
    keys->addItem(QStringLiteral("Command table (Ctrl+F4 new, Ctrl+R replace, F-keys)"));
    keys->addItem(QStringLiteral("Desktop (Ctrl+N new, Ctrl+W close, Ctrl+Q quit, Ctrl+H replace, Ctrl+Y redo)"));
    keys->setCurrentIndex(settings.keyScheme == 1 ? 1 : 0);
    form->addRow(QStringLiteral("Keys:"), keys);
    form->addRow(OkCancel(dialog));
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settings.ffLine = ffLine->isChecked();
    settings.tabAsSpace = tabAsSpace->isChecked();
    settings.reloadUnchangedFiles = reloadUnchanged->isChecked();
    settings.keyScheme = keys->currentIndex();
    doc.ChangeTabSize(static_cast<int>(ProfileFile::ParseInt(ToCp1252(tabSize->text()))));
    return true;
}

bool RunFontDialog(QWidget* parent, Settings& settings)
{
    QFont current(FromCp1252(settings.font));
    current.setPointSizeF(settings.fontSize / 10.0);
    current.setWeight(QFont::Weight(std::clamp(settings.fontWeight, 1, 1000)));
    QFontDialog dialog(current, parent);
    dialog.setWindowTitle(QStringLiteral("Font"));
    dialog.setOption(QFontDialog::MonospacedFonts);
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QFont chosen = dialog.selectedFont();
    settings.font = ToCp1252(chosen.family());
    settings.fontSize = static_cast<int>(chosen.pointSizeF() * 10);
    settings.fontWeight = chosen.weight();
    return true;
}

}  // namespace quill

namespace quill {

bool RunVisibleCodesDialog(QWidget* parent, Settings& settings, const QFont& screenFont)
{
    VisibleCodesModel model(settings.visible);
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Visible Character Codes"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* area = new QScrollArea(&dialog);
    auto* page = new QWidget(area);
    auto* grid = new QGridLayout(page);
    std::vector<QCheckBox*> boxes(256, nullptr);
    for (int code = 1; code < 256; ++code) {
        // Each label shows the character itself, drawn in the screen font.
        auto* box = new QCheckBox(FromCp1252(VisibleCodesModel::Label(code)), page);
        box->setFont(screenFont);
        box->setChecked(model.Checked(code));
        grid->addWidget(box, (code - 1) / 8, (code - 1) % 8);
        boxes[static_cast<std::size_t>(code)] = box;
    }
    area->setWidget(page);
    area->setWidgetResizable(true);
    layout->addWidget(area);
    layout->addWidget(OkCancel(dialog));
    dialog.resize(720, 480);
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (int code = 1; code < 256; ++code)
        model.SetChecked(code, boxes[static_cast<std::size_t>(code)]->isChecked());
    settings.visible = model.Apply(settings.visible);
    return true;
}

}  // namespace quill
