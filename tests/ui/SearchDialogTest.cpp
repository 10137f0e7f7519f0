// Find driven through the real search dialog, as a user fills it in.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "commands/SearchMenu.h"
#include "search/ui/QtSearchDialogs.h"
#include "support/DocumentFixture.h"
#include "support/Fakes.h"
#include "view/EditorInput.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

class SearchDialogTest : public DocumentFixture {
protected:
    // Fills in the next search dialog: the find text, the check boxes named, then a button.
    void AnswerDialog(const QString& findText, const QStringList& checks, const QString& button)
    {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->findChildren<QLineEdit*>().front()->setText(findText);
            for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
                if (checks.contains(box->text()))
                    box->click();
            for (QPushButton* push : dialog->findChildren<QPushButton*>())
                if (push->text() == button) {
                    push->click();
                    return;
                }
            ADD_FAILURE() << "no button " << button.toStdString();
            dialog->reject();
        });
    }

    ViewState state{0, 0, 20, 80};
    FakeClipboard clipboard;
    FakeFileDialogs files;
    EditorInput input{*doc, state, clipboard};
    QtSearchDialogs dialogs{nullptr, files};
    SearchMenu menu{*doc, state, dialogs, input};
};

TEST_F(SearchDialogTest, FindThroughTheDialogSelectsTheHitAndFindNextGoesOn)
{
    ASSERT_TRUE(OpenAsText("one Two\nthree two\n"));
    PutCursor(0, 0);
    AnswerDialog("two", {}, "&Find");
    menu.Find();
    EXPECT_EQ(doc->Selection().cursor.line, 0);  // without match case "Two" is a hit
    EXPECT_EQ(doc->Selection().anchor.column, 4);
    EXPECT_EQ(doc->Selection().cursor.column, 7);
    menu.FindNext();
    EXPECT_EQ(doc->Selection().cursor.line, 1);
    EXPECT_EQ(doc->Selection().cursor.column, 9);

    // With match case and a regular expression from the check boxes.
    PutCursor(0, 0);
    AnswerDialog("t[a-z]o", {"Match case", "&Interpret as regular expression"}, "&Find");
    menu.Find();
    EXPECT_EQ(doc->Selection().cursor.line, 1);
    EXPECT_EQ(doc->Selection().anchor.column, 6);
    EXPECT_TRUE(menu.Options().query.regex);
    EXPECT_TRUE(menu.Options().query.matchCase);
}

TEST_F(SearchDialogTest, CancelLeavesTheCursorWhereItWas)
{
    ASSERT_TRUE(OpenAsText("one two\n"));
    PutCursor(0, 1);
    AnswerDialog("two", {}, "Cancel");
    menu.Find();
    EXPECT_EQ(doc->Selection().cursor.column, 1);
    EXPECT_FALSE(doc->Selection().Active());
}

}  // namespace
}  // namespace quill::test
