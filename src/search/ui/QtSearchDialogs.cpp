// The search dialog: a thin layer over its model.
#include "search/ui/QtSearchDialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/FileDialogs.h"
#include "platform/qt/Cp1252.h"
#include "platform/qt/DialogWindow.h"
#include "structure/ui/DialogParts.h"

namespace quill {

namespace {

// The find and replace texts: UTF-8, or the code page 1252 codes an 8-bit table shows.
QString Shown(const std::string& text, bool utf8) { return utf8 ? QString::fromStdString(text) : FromCp1252(text); }

std::string Typed(const QString& text, bool utf8) { return utf8 ? text.toStdString() : ToCp1252(text); }

}  // namespace

std::optional<SearchDialogModel::Button> QtSearchDialogs::Show(SearchDialogModel& model)
{
    QDialog dialog(parent_);
    dialog.setWindowTitle(FromCp1252(model.Title()));
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    QLineEdit* find = TextEdit({}, SearchDialogModel::kFindTip, &dialog);
    QLineEdit* replace = TextEdit({}, SearchDialogModel::kReplaceTip, &dialog);
    find->setText(Shown(model.findWhat, model.utf8Texts));
    replace->setText(Shown(model.replaceWith, model.utf8Texts));
    replace->setEnabled(model.ReplaceEnabled());
    form->addRow(QStringLiteral("Find what:"), find);
    form->addRow(QStringLiteral("Replace with:"), replace);
    layout->addLayout(form);

    auto* up = Check(QStringLiteral("Up"), model.up, SearchDialogModel::kUpTip, &dialog);
    auto* down = Check(QStringLiteral("Down"), !model.up, SearchDialogModel::kDownTip, &dialog);
    QObject::connect(up, &QCheckBox::clicked, &dialog, [&](bool on) { down->setChecked(!on); });
    QObject::connect(down, &QCheckBox::clicked, &dialog, [&](bool on) { up->setChecked(!on); });
    auto* matchCase = Check(QStringLiteral("Match case"), model.matchCase, SearchDialogModel::kMatchCaseTip, &dialog);
    auto* inField = Check(FromCp1252(model.InFieldLabel()), model.inField, SearchDialogModel::kInFieldTip, &dialog);
    inField->setEnabled(model.InFieldEnabled());
    auto* regex = Check(QStringLiteral("&Interpret as regular expression"), model.useRegEx,
                        SearchDialogModel::kRegExTip, &dialog);
    auto* backslashes =
        Check(QStringLiteral("Interpret backslashes"), model.useBackslashes, SearchDialogModel::kBackslashTip, &dialog);
    backslashes->setEnabled(model.BackslashesEnabled());
    QObject::connect(regex, &QCheckBox::toggled, &dialog, [&](bool on) {
        model.useRegEx = on;
        backslashes->setEnabled(model.BackslashesEnabled());
    });
    auto* counter = Check(QString::fromUtf8("Replace \u00b5[0{digits}]d"), model.counterOn,
                          SearchDialogModel::kCounterTip, &dialog);
    counter->setEnabled(model.CounterEnabled());
    QLineEdit* counterStart = TextEdit(model.counterStart, SearchDialogModel::kCounterStartTip, &dialog);
    counterStart->setEnabled(model.CounterStartEnabled());
    QObject::connect(counter, &QCheckBox::toggled, &dialog, [&](bool on) {
        model.counterOn = on;
        counterStart->setEnabled(model.CounterStartEnabled());
    });
    auto* directions = new QHBoxLayout;
    directions->addWidget(up);
    directions->addWidget(down);
    up->setVisible(model.DirectionShown());
    down->setVisible(model.DirectionShown());
    layout->addLayout(directions);
    for (QWidget* widget : std::initializer_list<QWidget*>{matchCase, inField, regex, backslashes})
        layout->addWidget(widget);
    auto* counterRow = new QHBoxLayout;
    counterRow->addWidget(counter);
    counterRow->addWidget(counterStart);
    layout->addLayout(counterRow);

    std::optional<SearchDialogModel::Button> pressed;
    auto* buttons = new QHBoxLayout;
    for (auto button : {SearchDialogModel::kButton1, SearchDialogModel::kButton3, SearchDialogModel::kButton4}) {
        if (!model.ButtonVisible(button))
            continue;
        auto* push = new QPushButton(FromCp1252(model.ButtonText(button)), &dialog);
        push->setToolTip(FromCp1252(model.ButtonTip(button)));
        push->setDefault(button == SearchDialogModel::kButton1);
        QObject::connect(push, &QPushButton::clicked, &dialog, [&pressed, &dialog, button] {
            pressed = button;
            dialog.accept();
        });
        buttons->addWidget(push);
    }
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    find->selectAll();
    find->setFocus();
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || !pressed)
        return std::nullopt;
    model.findWhat = Typed(find->text(), model.utf8Texts);
    model.replaceWith = Typed(replace->text(), model.utf8Texts);
    model.up = up->isChecked();
    model.matchCase = matchCase->isChecked();
    model.inField = inField->isChecked();
    model.useRegEx = regex->isChecked();
    model.useBackslashes = backslashes->isChecked();
    model.counterOn = counter->isChecked();
    model.counterStart = ToCp1252(counterStart->text());
    return pressed;
}

bool QtSearchDialogs::ShowFolderReplace(FolderReplaceModel& model)
{
    QDialog dialog(parent_);
    dialog.setWindowTitle(QStringLiteral("Replace in Folder"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    auto* folder = new QLineEdit(QString::fromLocal8Bit(model.folder.c_str()), &dialog);
    auto* pick = new QPushButton(QStringLiteral("..."), &dialog);
    QObject::connect(pick, &QPushButton::clicked, &dialog, [&] {
        if (auto chosen =
                files_.AskFolder(FolderReplaceModel::kPickerTitle, folder->text().toLocal8Bit().toStdString()))
            folder->setText(QString::fromLocal8Bit(chosen->c_str()));
    });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder);
    folderRow->addWidget(pick);
    form->addRow(QStringLiteral("Folder:"), folderRow);
    auto* wildcard = new QLineEdit(QString::fromLocal8Bit(model.wildcard.c_str()), &dialog);
    form->addRow(QStringLiteral("Wildcard:"), wildcard);
    QLineEdit* find = TextEdit({}, SearchDialogModel::kFindTip, &dialog);
    find->setText(Shown(model.typedText, true));
    form->addRow(QStringLiteral("Find what:"), find);
    QLineEdit* replace = TextEdit({}, SearchDialogModel::kReplaceTip, &dialog);
    replace->setText(Shown(model.replacement, true));
    form->addRow(QStringLiteral("Replace with:"), replace);
    layout->addLayout(form);
    auto* matchCase = Check(QStringLiteral("Match case"), model.matchCase, SearchDialogModel::kMatchCaseTip, &dialog);
    auto* regex = Check(QStringLiteral("&Interpret as regular expression"), model.useRegEx,
                        SearchDialogModel::kRegExTip, &dialog);
    auto* backslashes =
        Check(QStringLiteral("Interpret backslashes"), model.useBackslashes, SearchDialogModel::kBackslashTip, &dialog);
    backslashes->setEnabled(!model.useRegEx);
    QObject::connect(regex, &QCheckBox::toggled, &dialog, [backslashes](bool on) { backslashes->setEnabled(!on); });
    auto* subdirectories = new QCheckBox(QStringLiteral("Subdirectories"), &dialog);
    subdirectories->setChecked(model.subdirectories);
    for (QWidget* widget : std::initializer_list<QWidget*>{matchCase, regex, backslashes, subdirectories})
        layout->addWidget(widget);
    auto* buttons = new QHBoxLayout;
    auto* all = new QPushButton(QStringLiteral("Replace &All"), &dialog);
    all->setToolTip(QStringLiteral("Replace all occurrences from cursor or in selection"));
    all->setDefault(true);
    auto* one = new QPushButton(QStringLiteral("&Replace"), &dialog);
    one->setToolTip(QStringLiteral("Find next occurrence and ask for replacement"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    bool everyHit = true;
    QObject::connect(all, &QPushButton::clicked, &dialog, [&] {
        everyHit = true;
        dialog.accept();
    });
    QObject::connect(one, &QPushButton::clicked, &dialog, [&] {
        everyHit = false;
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    buttons->addWidget(all);
    buttons->addWidget(one);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    find->setFocus();
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    model.folder = folder->text().toLocal8Bit().toStdString();
    model.wildcard = wildcard->text().toLocal8Bit().toStdString();
    model.findText = model.typedText = Typed(find->text(), true);  // the files of a folder: UTF-8 text
    model.replacement = Typed(replace->text(), true);
    model.matchCase = matchCase->isChecked();
    model.useRegEx = regex->isChecked();
    model.useBackslashes = backslashes->isChecked();
    model.subdirectories = subdirectories->isChecked();
    model.replaceAll = everyHit;
    return true;
}

}  // namespace quill
