// The Syntax and Charset menus on a document, with scripted dialogs.
#include <gtest/gtest.h>

#include "charset/ConversionDialogModel.h"
#include "commands/FieldOperations.h"
#include "commands/SyntaxCommands.h"
#include "support/DocumentFixture.h"
#include "support/ScriptedStructureDialogs.h"
#include "syntax/SyntaxDialogModels.h"
#include "syntax/SyntaxDialogs.h"

namespace quill::test {
namespace {

using LineList = std::vector<std::string>;

class ScriptedSyntaxDialogs : public SyntaxDialogs {
public:
    bool EditSyntax(SyntaxDialogModel& model) override { return syntax ? syntax(model) : false; }
    bool EditItem(SyntaxItemDialogModel& model) override { return item ? item(model) : false; }
    bool EditConversion(ConversionDialogModel& model) override { return conversion ? conversion(model) : false; }
    std::optional<std::string> OpenDescription(const std::string&, const std::string&, const std::string&) override
    {
        return openPath;
    }
    std::optional<std::string> SaveDescription(const std::string&, const std::string&, const std::string&) override
    {
        return savePath;
    }
    std::function<bool(SyntaxDialogModel&)> syntax;
    std::function<bool(SyntaxItemDialogModel&)> item;
    std::function<bool(ConversionDialogModel&)> conversion;
    std::optional<std::string> openPath, savePath;
};

class SyntaxCommandsTest : public DocumentFixture {
protected:
    std::string Data(const std::string& name) { return dir.File("QVXData/" + name); }
    ScriptedSyntaxDialogs dialogs;
    ScriptedStructureDialogs structureDialogs;
    FieldOperations fields{*doc, structureDialogs};
    SyntaxCommands commands{*doc, dialogs, [this](const std::string& path) { return fields.AskMask(path); }};
};

TEST_F(SyntaxCommandsTest, ALoadedFileFindsItsSyntaxUnlessAStructureMatches)
{
    dir.Write("QVXData/c.syn", "\r\n[<General>]\r\nMask=*.c;\r\n[COMMENT_0000]\r\nStart=/*;\r\nEnd=*/;\r\n");
    ASSERT_TRUE(OpenBytes("int x;\n", "main.c"));
    EXPECT_TRUE(doc->Syntax().IsActive());
    EXPECT_EQ(view.panes[StatusPane::Structure],
              "");  // written by the view; the fake only keeps what the document sent
    dir.Write("QVXData/c.ini", "\r\n[<General>]\r\nMask=*.c;\r\n[F_0000]\r\nLength=3;\r\n");
    ASSERT_TRUE(OpenBytes("int x;\n", "main.c"));
    EXPECT_TRUE(doc->Structure().IsActive());
    EXPECT_FALSE(doc->Syntax().IsActive());
}

TEST_F(SyntaxCommandsTest, OpeningASyntaxSwitchesTheStructureOffAndOffersAMask)
{
    dir.Write("QVXData/s.syn", "\r\n[<General>]\r\nMask=*.zzz;\r\n[KEY_0000]\r\nKeywords=if;\r\n");
    ASSERT_TRUE(OpenBytes("if x\n", "a.txt"));
    doc->Structure().SetActive(true);
    dialogs.openPath = Data("s.syn");
    structureDialogs.associate.push_back([](AssociateDialogModel& model) {
        model.Check(2);
        return true;
    });
    ASSERT_TRUE(commands.SyntaxOpen());
    EXPECT_TRUE(doc->Syntax().IsActive());
    EXPECT_FALSE(doc->Structure().IsActive());
    EXPECT_EQ(doc->Syntax().Masks(), (std::vector<std::string>{"*.zzz", "*.txt"}));
    EXPECT_NE(ReadFile(Data("s.syn")).find("Mask=*.txt;"), std::string::npos);
}

TEST_F(SyntaxCommandsTest, ModifyRenamesAndCancelReloads)
{
    dir.Write("QVXData/old.syn", "[ITEM_0000]\r\nStart=#;\r\n");
    ASSERT_TRUE(doc->Syntax().Load(Data("old.syn")));
    dialogs.syntax = [](SyntaxDialogModel& model) {
        model.name = "new";
        return true;
    };
    ASSERT_TRUE(commands.SyntaxModify());
    EXPECT_FALSE(FileExists(Data("old.syn")));
    EXPECT_TRUE(FileExists(Data("new.syn")));

    dialogs.item = [](SyntaxItemDialogModel& model) {
        model.name = "added";
        return true;
    };
    dialogs.syntax = [](SyntaxDialogModel& model) {
        model.NewItem();  // changes the description at once ...
        return false;     // ... but Cancel reloads it from its file
    };
    EXPECT_FALSE(commands.SyntaxModify());
    EXPECT_EQ(doc->Syntax().ItemCount(), 1u);

    SyntaxItem unnamed;
    dialogs.item = [](SyntaxItemDialogModel&) { return true; };
    EXPECT_FALSE(commands.EditItem(unnamed));  // an item without a name is not accepted
}

TEST_F(SyntaxCommandsTest, ATableThatShowsAnotherLineEndRecutsTheText)
{
    dir.Write("QVXData/nl.tec", "25=0A\n");
    // An 8-bit file (not UTF-8): under the table the "%" are line ends, not unusual bytes, so the
    // load chose it and re-cut.
    ASSERT_TRUE(OpenBytes("one%two%thr\xE9"));
    EXPECT_EQ(doc->Charset().Name(), "nl");
    EXPECT_EQ(Lines(), (LineList{"one%", "two%", "thr\xE9"}));
    doc->ReadTextAs(true);
    EXPECT_EQ(Lines(), LineList{"one%two%thr\xE9"});
    dialogs.openPath = Data("nl.tec");
    ASSERT_TRUE(commands.CharsetOpen());
    EXPECT_EQ(Lines(), (LineList{"one%", "two%", "thr\xE9"}));
    // The same text as ASCII is UTF-8: no table is chosen for it.
    ASSERT_TRUE(OpenBytes("one%two%three"));
    EXPECT_FALSE(doc->Charset().IsActive());
    EXPECT_EQ(doc->Charset().StatusName(), "UTF-8");
}

TEST_F(SyntaxCommandsTest, AMostlyUtf8TextReadAs8BitSaysSoAndCanBeReadAsUtf8AndBack)
{
    // A UTF-8 log with a few Latin-1 bytes too many for a damaged UTF-8 text: read as code page
    // 1252, and said so; the user may read it as UTF-8 (the stray bytes as boxes) and back.
    const std::string bytes = "Grüße aus Köln\nGr\xfc\xdf"
                              "e \xc4rger \xe9t\xe9\n";
    ASSERT_TRUE(OpenBytes(bytes));
    ASSERT_FALSE(doc->Charset().IsActive());
    EXPECT_FALSE(doc->Utf8Text());
    EXPECT_EQ(doc->EncodingName(), "8-bit (1252)");
    doc->ReadTextAs(true);
    EXPECT_TRUE(doc->Utf8Text());
    EXPECT_EQ(doc->EncodingName(), "UTF-8");
    EXPECT_EQ(doc->Text().WidestLine(), 16);  // the second line: a cell for each stray byte, and its line end
    EXPECT_EQ(AllBytes(), bytes);
    doc->ReadTextAs(false);
    EXPECT_FALSE(doc->Utf8Text());
    EXPECT_EQ(doc->EncodingName(), "8-bit (1252)");
    EXPECT_EQ(AllBytes(), bytes);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(SyntaxCommandsTest, ConvertRewritesTheBytesBothWays)
{
    dir.Write("QVXData/dos.tec", "84=E4\n94=F6\n");
    ASSERT_TRUE(OpenBytes("K\xF6ln \xE4"));
    dialogs.openPath = Data("dos.tec");
    ASSERT_TRUE(commands.CharsetConvert());  // no table yet: into the chosen one
    EXPECT_EQ(AllBytes(), "K\x94ln \x84");
    EXPECT_TRUE(doc->Charset().IsActive());
    prompter.Expect("Convert to ANSI?", Answer::Yes);
    ASSERT_TRUE(commands.CharsetConvert());
    EXPECT_EQ(AllBytes(), "K\xF6ln \xE4");
    EXPECT_FALSE(doc->Charset().IsActive());
    EXPECT_TRUE(doc->IsModified());
    EXPECT_FALSE(doc->Model().CanUndo());
}

TEST_F(SyntaxCommandsTest, EditingTheBuiltInTableNeedsANewName)
{
    ASSERT_TRUE(OpenBytes("abc"));
    dialogs.conversion = [](ConversionDialogModel& model) {
        model.entryText = "61=41";
        model.NewEntry();
        return true;
    };
    commands.CharsetModify();
    EXPECT_FALSE(doc->Charset().IsActive());
    dialogs.conversion = [](ConversionDialogModel& model) {
        model.entryText = "61=41";
        model.NewEntry();
        model.name = "upper-a";
        return true;
    };
    commands.CharsetModify();
    EXPECT_TRUE(doc->Charset().IsActive());
    EXPECT_EQ(doc->Charset().ToDisplay('a'), 'A');
    EXPECT_TRUE(FileExists(Data("upper-a.tec")));
}

TEST_F(SyntaxCommandsTest, CancelInTheConversionDialogWritesNothing)
{
    dir.Write("QVXData/dos.tec", "84=E4\r\n");
    ASSERT_TRUE(OpenBytes("Gr\x84\x84"
                          "e"));
    ASSERT_EQ(doc->Charset().Name(), "dos");
    dialogs.conversion = [](ConversionDialogModel& model) {
        model.entryText = "61=41";
        model.NewEntry();
        return false;
    };
    EXPECT_FALSE(commands.CharsetModify());
    EXPECT_EQ(ReadFile(Data("dos.tec")), "84=E4\r\n");
    EXPECT_TRUE(doc->Charset().IsActive());
    EXPECT_EQ(doc->Charset().ToDisplay('a'), 'a');  // the edit is dropped
}

TEST_F(SyntaxCommandsTest, BinaryModeSwitchesTheTableOffAndBack)
{
    dir.Write("QVXData/dos.tec", "84=E4\n");
    ASSERT_TRUE(OpenBytes("Gr\x84\x84"
                          "e"));
    ASSERT_TRUE(doc->Charset().IsActive());  // chosen automatically
    doc->SwitchBinaryMode();
    EXPECT_FALSE(doc->Charset().IsActive());
    doc->SwitchBinaryMode();
    EXPECT_TRUE(doc->Charset().IsActive());
    EXPECT_EQ(view.panes[StatusPane::Table], "");  // pane 5 is the view's; here the table itself tells
    EXPECT_EQ(doc->Charset().Name(), "dos");
}

}  // namespace
}  // namespace quill::test
