// Every dialog opens on its model and hands the controls back on OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>

#include "app/ui/OptionsDialog.h"
#include "charset/ConversionDialogModel.h"
#include "charset/ConversionTable.h"
#include "document/CQVXDoc.h"
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
    CQVXDoc doc(DocumentContext{settings, prompter, progress, files, entry, dir.Path()});
    doc.OnNewDocument();
    AnswerNextDialog(QStringLiteral("8"));
    ASSERT_TRUE(RunOptionsDialog(nullptr, settings, doc));
    EXPECT_EQ(settings.tabSize, 8);
}

}  // namespace
}  // namespace quill::test
