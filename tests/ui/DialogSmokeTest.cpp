// Every dialog opens on its model and hands the controls back on OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <unistd.h>

#include "app/ui/DesktopEntryBar.h"
#include "app/ui/FileAssignmentsDialog.h"
#include "app/ui/OptionsDialog.h"
#include "charset/ConversionDialogModel.h"
#include "charset/ConversionTable.h"
#include "document/Document.h"
#include "print/ui/PageSetupDialog.h"
#include "settings/Settings.h"
#include "structure/AssociateDialogModel.h"
#include "structure/FieldDialogModel.h"
#include "structure/SortDialogModel.h"
#include "structure/StructureDescription.h"
#include "structure/StructureDialogModel.h"
#include "structure/ui/QtStructureDialogs.h"
#include "support/Fakes.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "syntax/SyntaxDescription.h"
#include "syntax/SyntaxDialogModels.h"
#include "syntax/ui/QtSyntaxDialogs.h"

namespace quill::test {
namespace {

// Types into the first line edit of the next modal dialog, then presses OK.
void AnswerNextDialog(const QString& firstText = {})
{
    QTimer::singleShot(0, [firstText] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (!firstText.isNull())
            dialog->findChildren<QLineEdit*>().front()->setText(firstText);
        dialog->accept();
    });
}

TEST(DialogSmokeTest, StructureDialogs)
{
    QtStructureDialogs dialogs;
    StructureDescription description;
    FieldDef field;
    FieldDialogModel fieldModel(field, false);
    AnswerNextDialog(QStringLiteral("amount"));
    ASSERT_TRUE(dialogs.EditField(fieldModel));
    EXPECT_EQ(fieldModel.name, "amount");

    StructureDialogModel structureModel(description, {}, {});
    AnswerNextDialog(QStringLiteral("orders"));
    ASSERT_TRUE(dialogs.EditStructure(structureModel));
    EXPECT_EQ(structureModel.name, "orders");

    AssociateDialogModel associate("/data/run7.log");
    AnswerNextDialog();
    ASSERT_TRUE(dialogs.Associate(associate));
    EXPECT_EQ(associate.Chosen(), "run7.log");

    SortDialogModel sort(description);
    AnswerNextDialog();
    EXPECT_TRUE(dialogs.ChooseSortFields(sort));
}

TEST(DialogSmokeTest, SyntaxAndConversionDialogs)
{
    QtSyntaxDialogs dialogs;
    SyntaxDescription syntax;
    SyntaxDialogModel syntaxModel(syntax, {}, {});
    AnswerNextDialog(QStringLiteral("C"));
    ASSERT_TRUE(dialogs.EditSyntax(syntaxModel));
    EXPECT_EQ(syntaxModel.name, "C");

    SyntaxItem item;
    SyntaxItemDialogModel itemModel(item);
    AnswerNextDialog(QStringLiteral("comment"));
    ASSERT_TRUE(dialogs.EditItem(itemModel));
    EXPECT_EQ(itemModel.name, "comment");

    ConversionTable table;
    ConversionDialogModel conversion(table);
    AnswerNextDialog(QStringLiteral("dos"));
    ASSERT_TRUE(dialogs.EditConversion(conversion));
    EXPECT_EQ(conversion.name, "dos");
}

TEST(DialogSmokeTest, OptionsDialogSetsTheTabSize)
{
    TempDir dir;
    Settings settings;
    ScriptedPrompter prompter;
    FakeProgress progress;
    FakeFileDialogs files;
    ScriptedEntry entry;
    TextSelection selection;
    Document doc(DocumentContext{settings, prompter, progress, files, entry, dir.Path(), selection});
    doc.New();
    AnswerNextDialog(QStringLiteral("8"));
    ASSERT_TRUE(RunOptionsDialog(nullptr, settings, doc));
    EXPECT_EQ(doc.Config().Get(Layout::TabSize), 8);
    EXPECT_EQ(settings.tabSize, 3);  // kept for the next start only when the program ends
}

// Runs `change` on the next modal dialog, then presses OK (or Cancel).
void ChangeNextDialog(std::function<void(QDialog&)> change, bool confirm = true)
{
    QTimer::singleShot(0, [change = std::move(change), confirm] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        change(*dialog);
        confirm ? dialog->accept() : dialog->reject();
    });
}

TEST(DialogSmokeTest, PageSetupWritesAllFiveValuesOnOkAndNoneOnCancel)
{
    Settings settings;
    settings.printHeader = "&f";
    settings.printFF = 1;
    const auto typeInto = [](QDialog& dialog) {
        const QList<QLineEdit*> edits = dialog.findChildren<QLineEdit*>();
        ASSERT_EQ(edits.size(), 3);
        EXPECT_EQ(edits[0]->text(), QStringLiteral("&f"));
        EXPECT_FALSE(edits[0]->placeholderText().isEmpty());  // the placeholder hint
        edits[0]->setText(QStringLiteral("&f \u00B7 &d"));
        edits[1]->setText(QStringLiteral("Page &p"));
        edits[2]->setText(QStringLiteral("25"));
        const QList<QCheckBox*> boxes = dialog.findChildren<QCheckBox*>();
        ASSERT_EQ(boxes.size(), 2);
        EXPECT_TRUE(boxes[1]->isChecked());  // long lines wrap unless the user said otherwise
        boxes[0]->setChecked(false);
        boxes[1]->setChecked(false);
    };
    ChangeNextDialog(typeInto, false);
    EXPECT_FALSE(RunPageSetupDialog(nullptr, settings));
    EXPECT_EQ(settings.printHeader, "&f");
    EXPECT_EQ(settings.printFF, 1);
    EXPECT_EQ(settings.printWrap, 1);

    ChangeNextDialog(typeInto);
    ASSERT_TRUE(RunPageSetupDialog(nullptr, settings));
    EXPECT_EQ(settings.printHeader, "&f \xB7 &d");  // kept in the settings' code page
    EXPECT_EQ(settings.printFooter, "Page &p");
    EXPECT_EQ(settings.printLeft, 25);
    EXPECT_EQ(settings.printFF, 0);
    EXPECT_EQ(settings.printWrap, 0);
}

TEST(DialogSmokeTest, FileAssignmentsAssignsOnlyTheCheckedGroups)
{
    TempDir dir;
    ::setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", dir.File("system").c_str(), 1);
    ScriptedPrompter prompter;
    ChangeNextDialog([](QDialog& dialog) {
        const QList<QCheckBox*> boxes = dialog.findChildren<QCheckBox*>();
        ASSERT_EQ(boxes.size(), 9);
        for (QCheckBox* box : boxes) {
            EXPECT_TRUE(box->isChecked());
            box->setChecked(box == boxes[7]);  // Java only
        }
    });
    RunFileAssignmentsDialog(nullptr, prompter);
    const std::string list = ReadFile(dir.File("config/mimeapps.list"));
    EXPECT_NE(list.find("text/x-java=quillarium.desktop;"), std::string::npos);
    EXPECT_EQ(list.find("text/plain"), std::string::npos);
    EXPECT_TRUE(prompter.Texts().empty());

    // Cancel writes nothing.
    ::unlink(dir.File("config/mimeapps.list").c_str());
    ChangeNextDialog([](QDialog&) {}, false);
    RunFileAssignmentsDialog(nullptr, prompter);
    EXPECT_EQ(::access(dir.File("config/mimeapps.list").c_str(), F_OK), -1);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
        ::unsetenv(name);
}

TEST(DialogSmokeTest, TheDesktopEntryOfferWritesOnlyOnItsButtonAndLeavesTheKeyboard)
{
    TempDir dir;
    ::setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", dir.File("system").c_str(), 1);
    ScriptedPrompter prompter;
    const std::string entry = dir.File("data/applications/quillarium.desktop");
    DesktopEntryBar bar(prompter, "/opt/quillarium", nullptr);
    EXPECT_TRUE(bar.isHidden());
    ASSERT_TRUE(bar.Offer());
    EXPECT_FALSE(bar.isHidden());
    EXPECT_EQ(bar.AddButton()->focusPolicy(), Qt::NoFocus);
    bar.DismissButton()->click();
    EXPECT_TRUE(bar.isHidden());
    EXPECT_EQ(::access(entry.c_str(), F_OK), -1);

    ASSERT_TRUE(bar.Offer());
    bar.AddButton()->click();
    EXPECT_TRUE(bar.isHidden());
    EXPECT_NE(ReadFile(entry).find("Exec=\"/opt/quillarium\" %f"), std::string::npos);
    EXPECT_FALSE(bar.Offer());  // listed now
    EXPECT_TRUE(prompter.Texts().empty());
    for (const char* name : {"XDG_DATA_HOME", "XDG_DATA_DIRS"})
        ::unsetenv(name);
}

}  // namespace
}  // namespace quill::test
