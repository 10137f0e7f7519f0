// The Syntax, Syntax Item and Conversion dialogs.
#include "syntax/ui/QtSyntaxDialogs.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "charset/ConversionDialogModel.h"
#include "platform/qt/Cp1252.h"
#include "platform/qt/DialogWindow.h"
#include "platform/qt/QtFileDialogs.h"
#include "structure/ui/DialogParts.h"
#include "syntax/SyntaxDialogModels.h"

namespace quill {

namespace {

// Item colours are stored as red + 256 * green + 65536 * blue.
QColor ToQColor(std::uint32_t colour) { return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }
std::uint32_t FromQColor(const QColor& colour)
{
    return static_cast<std::uint32_t>(colour.red()) | static_cast<std::uint32_t>(colour.green()) << 8 |
           static_cast<std::uint32_t>(colour.blue()) << 16;
}

}  // namespace

bool QtSyntaxDialogs::EditItem(SyntaxItemDialogModel& model)
{
    QDialog dialog(parent_);
    dialog.setWindowTitle(QStringLiteral("Syntax Item"));
    auto* form = new QFormLayout(&dialog);
    QLineEdit* name = TextEdit(model.name, SyntaxItemDialogModel::kNameTip, &dialog);
    auto* colour = new QPushButton(QStringLiteral("Color"), &dialog);
    colour->setToolTip(QString::fromLatin1(SyntaxItemDialogModel::kColorTip));
    auto paint = [&] {
        colour->setStyleSheet(QStringLiteral("background-color: %1").arg(ToQColor(model.Colour()).name()));
    };
    paint();
    QObject::connect(colour, &QPushButton::clicked, &dialog, [&] {
        QColorDialog colours(ToQColor(model.Colour()), &dialog);
        DecorateDialog(colours);
        const QColor chosen = colours.exec() == QDialog::Accepted ? colours.selectedColor() : QColor();
        if (chosen.isValid()) {
            model.ChooseColour(FromQColor(chosen));
            paint();
        }
    });
    QLineEdit* start = TextEdit(model.start, SyntaxItemDialogModel::kStartTip, &dialog);
    QLineEdit* ignorStart = TextEdit(model.ignorStart, SyntaxItemDialogModel::kIgnorStartTip, &dialog);
    QLineEdit* end = TextEdit(model.end, SyntaxItemDialogModel::kEndTip, &dialog);
    QLineEdit* ignor = TextEdit(model.ignor, SyntaxItemDialogModel::kIgnorTip, &dialog);
    auto* keywords = new QPlainTextEdit(FromCp1252(model.keywords), &dialog);
    keywords->setToolTip(QString::fromLatin1(SyntaxItemDialogModel::kKeywordsTip));
    QCheckBox* ignorCase =
        Check(QStringLiteral("Ignor Case"), model.ignorCase, SyntaxItemDialogModel::kIgnorCaseTip, &dialog);
    QCheckBox* overwrite =
        Check(QStringLiteral("Overwrite except:"), model.overwrite, SyntaxItemDialogModel::kOverwriteTip, &dialog);
    QLineEdit* exceptIn = TextEdit(model.exceptIn, SyntaxItemDialogModel::kExceptInTip, &dialog);
    QCheckBox* root = Check(QStringLiteral("Root"), model.root, SyntaxItemDialogModel::kRootTip, &dialog);
    QCheckBox* sub = Check(QStringLiteral("Sub"), model.sub, SyntaxItemDialogModel::kSubTip, &dialog);
    auto* overwriteRow = new QHBoxLayout;
    overwriteRow->addWidget(overwrite);
    overwriteRow->addWidget(exceptIn);
    auto* flags = new QHBoxLayout;
    flags->addWidget(ignorCase);
    flags->addWidget(root);
    flags->addWidget(sub);
    form->addRow(QStringLiteral("Name:"), name);
    form->addRow(QString(), colour);
    form->addRow(QStringLiteral("Start:"), start);
    form->addRow(QStringLiteral("Ignor:"), ignorStart);
    form->addRow(QStringLiteral("End:"), end);
    form->addRow(QStringLiteral("Ignor:"), ignor);
    form->addRow(QStringLiteral("Keywords:"), keywords);
    form->addRow(overwriteRow);
    form->addRow(flags);
    form->addRow(OkCancel(dialog));
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    model.name = ToCp1252(name->text());
    model.start = ToCp1252(start->text());
    model.ignorStart = ToCp1252(ignorStart->text());
    model.end = ToCp1252(end->text());
    model.ignor = ToCp1252(ignor->text());
    // The keyword field has several lines; the words are separated by blanks.
    model.keywords = ToCp1252(keywords->toPlainText().replace(QLatin1Char('\n'), QLatin1Char(' ')));
    model.exceptIn = ToCp1252(exceptIn->text());
    model.ignorCase = ignorCase->isChecked();
    model.overwrite = overwrite->isChecked();
    model.root = root->isChecked();
    model.sub = sub->isChecked();
    return true;
}

bool QtSyntaxDialogs::EditSyntax(SyntaxDialogModel& model)
{
    QDialog dialog(parent_);
    dialog.setWindowTitle(QStringLiteral("Syntax"));
    auto* top = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    QLineEdit* name = TextEdit(model.name, SyntaxDialogModel::kNameTip, &dialog);
    form->addRow(QStringLiteral("Name:"), name);
    top->addLayout(form);
    top->addWidget(MaskGroup(model.masks, SyntaxDialogModel::kMaskTip, &dialog));
    auto* itemsBox = new QGroupBox(QStringLiteral("Items"), &dialog);
    auto* itemLayout = new QHBoxLayout(itemsBox);
    auto* items = new QListWidget(itemsBox);
    items->setToolTip(QString::fromLatin1(SyntaxDialogModel::kItemsTip));
    QFont fixed(QStringLiteral("DejaVu Sans Mono"));
    items->setFont(fixed);
    auto* buttons = new QVBoxLayout;
    itemLayout->addWidget(items);
    itemLayout->addLayout(buttons);
    auto refill = [&] { FillList(items, model.ItemLines(), model.selectedItem); };
    auto act = [&](auto action) {
        return [&, action] {
            model.selectedItem = items->currentRow();
            action();
            refill();
        };
    };
    QObject::connect(AddButton(QStringLiteral("New"), itemsBox, buttons), &QPushButton::clicked, &dialog, act([&] {
                         if (!model.NewItem()) {
                             QMessageBox box(QMessageBox::Information, QStringLiteral("Syntax"),
                                             QStringLiteral("No more than 255 items can be colored!"), QMessageBox::Ok,
                                             &dialog);
                             DecorateDialog(box);
                             box.exec();
                         }
                     }));
    QObject::connect(AddButton(QStringLiteral("Delete"), itemsBox, buttons), &QPushButton::clicked, &dialog,
                     act([&] { model.DeleteSelectedItem(); }));
    QObject::connect(AddButton(QStringLiteral("Up"), itemsBox, buttons), &QPushButton::clicked, &dialog,
                     act([&] { model.ItemUp(); }));
    QObject::connect(AddButton(QStringLiteral("Down"), itemsBox, buttons), &QPushButton::clicked, &dialog,
                     act([&] { model.ItemDown(); }));
    QObject::connect(items, &QListWidget::itemDoubleClicked, &dialog, act([&] { model.EditSelectedItem(); }));
    refill();
    top->addWidget(itemsBox);
    top->addWidget(OkCancel(dialog));
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    model.name = ToCp1252(name->text());
    return true;
}

bool QtSyntaxDialogs::EditConversion(ConversionDialogModel& model)
{
    QDialog dialog(parent_);
    dialog.setWindowTitle(QStringLiteral("Conversion"));
    auto* top = new QVBoxLayout(&dialog);
    QLineEdit* name = TextEdit(model.name, ConversionDialogModel::kNameTip, &dialog);
    top->addWidget(name);
    auto* entries = new QListWidget(&dialog);
    entries->setToolTip(QString::fromLatin1(ConversionDialogModel::kEntriesTip));
    QLineEdit* entry = TextEdit({}, ConversionDialogModel::kEntryTip, &dialog);
    top->addWidget(entries);
    top->addWidget(entry);
    auto* buttons = new QHBoxLayout;
    top->addLayout(buttons);
    auto refill = [&] {
        FillList(entries, model.EntryLines(), -1);
        entry->setText(FromCp1252(model.entryText));
    };
    auto act = [&](void (ConversionDialogModel::*action)()) {
        return [&, action] {
            model.entryText = ToCp1252(entry->text());
            (model.*action)();
            refill();
            entry->setFocus();
        };
    };
    QObject::connect(AddButton(QStringLiteral("New"), &dialog, buttons), &QPushButton::clicked, &dialog,
                     act(&ConversionDialogModel::NewEntry));
    QObject::connect(AddButton(QStringLiteral("Modify"), &dialog, buttons), &QPushButton::clicked, &dialog,
                     act(&ConversionDialogModel::ModifyEntry));
    QObject::connect(AddButton(QStringLiteral("Delete"), &dialog, buttons), &QPushButton::clicked, &dialog,
                     act(&ConversionDialogModel::DeleteEntry));
    QObject::connect(entries, &QListWidget::currentRowChanged, &dialog, [&](int row) {
        model.SelectEntry(row);
        entry->setText(FromCp1252(model.entryText));
    });
    refill();
    top->addWidget(OkCancel(dialog));
    DecorateDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    model.name = ToCp1252(name->text());
    return true;
}

std::optional<std::string> QtSyntaxDialogs::OpenDescription(const std::string& folder, const std::string& filter,
                                                            const std::string&)
{
    std::string chosen = AskOpenFile(parent_, folder, filter);
    return chosen.empty() ? std::nullopt : std::optional<std::string>(chosen);
}

std::optional<std::string> QtSyntaxDialogs::SaveDescription(const std::string& folder, const std::string& filter,
                                                            const std::string& extension)
{
    std::string chosen = AskSaveFile(parent_, folder, filter, extension);
    return chosen.empty() ? std::nullopt : std::optional<std::string>(chosen);
}

}  // namespace quill
