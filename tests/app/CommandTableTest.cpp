// The enable and check rules of the commands, on real documents.
#include <gtest/gtest.h>

#include <set>

#include "app/CommandTable.h"
#include "commands/FieldOperations.h"
#include "support/DocumentFixture.h"
#include "support/ScriptedStructureDialogs.h"

namespace quill::test {
namespace {

class CommandTableTest : public DocumentFixture {
protected:
    CommandState State() { return CommandState::Of(*doc, settings, fields); }
    bool Enabled(CommandId id) { return IsEnabled(id, State()); }

    ScriptedStructureDialogs structureDialogs;
    FieldOperations fields{*doc, structureDialogs};
};

TEST_F(CommandTableTest, EveryCommandOnceWithKeysNoOtherCommandUses)
{
    std::set<int> ids;
    std::set<std::string> keys;
    std::set<std::string> desktopKeys;  // no two commands share a key in the desktop scheme either
    for (const CommandEntry& command : CommandTable()) {
        if (command.id == CommandId::None)
            continue;
        EXPECT_TRUE(ids.insert(static_cast<int>(command.id)).second) << command.text;
        for (const std::string& key : command.keys)
            EXPECT_TRUE(keys.insert(key).second) << key;
        for (const std::string& key : KeysOf(command, KeyScheme::Desktop))
            EXPECT_TRUE(desktopKeys.insert(key).second) << key << " " << command.text;
        const bool inMenu = *command.menu != 0;
        EXPECT_TRUE(!inMenu || std::count(MenuTitles().begin(), MenuTitles().end(), command.menu) == 1) << command.text;
    }
    EXPECT_EQ(ids.size(), 93u);  // every entry of every menu and the two toolbar toggles
    for (CommandId id : ToolbarOrder())
        EXPECT_TRUE(id == CommandId::None || FindCommand(id)) << static_cast<int>(id);
    EXPECT_EQ(PlainText("Auto Reload  && File End"), "Auto Reload  & File End");
    EXPECT_EQ(PlainText("&S&um Field"), "Sum Field");
    EXPECT_EQ(FindCommand(CommandId::FindUndisplayable)->keys.front(), "Ctrl+#");
}

// The desktop scheme gives the keys desktop programs share; the command table's keys stay the
// default.
TEST_F(CommandTableTest, TheDesktopSchemeUsesTheKeysOfDesktopPrograms)
{
    const auto desktop = [](CommandId id) { return KeysOf(*FindCommand(id), KeyScheme::Desktop); };
    const auto table = [](CommandId id) { return KeysOf(*FindCommand(id), KeyScheme::CommandTable); };
    using Keys = std::vector<std::string>;
    EXPECT_EQ(desktop(CommandId::Exit), Keys{"Ctrl+Q"});
    EXPECT_EQ(desktop(CommandId::FileClose), Keys{"Ctrl+W"});
    EXPECT_EQ(desktop(CommandId::FileNew), Keys{"Ctrl+N"});
    EXPECT_EQ(desktop(CommandId::FileSaveAs), Keys{"Ctrl+Shift+S"});
    EXPECT_EQ(desktop(CommandId::Replace).front(), "Ctrl+H");
    EXPECT_EQ(desktop(CommandId::Redo), (Keys{"Ctrl+Y", "Ctrl+Shift+Z"}));
    EXPECT_EQ(desktop(CommandId::Find), Keys{"Ctrl+F"});
    EXPECT_EQ(desktop(CommandId::FindPrev), Keys{"Shift+F3"});
    EXPECT_FALSE(desktop(CommandId::AddField).empty());  // moved, not lost
    EXPECT_FALSE(desktop(CommandId::CurrentOffset).empty());
    EXPECT_EQ(table(CommandId::FileNew), Keys{"Ctrl+F4"});
    EXPECT_EQ(table(CommandId::AddField), Keys{"Ctrl+N"});
    EXPECT_TRUE(table(CommandId::Exit).empty());
}

TEST_F(CommandTableTest, ANewDocumentGreysWhatNeedsAFile)
{
    doc->New();
    for (CommandId id : {CommandId::Reload, CommandId::AutoReload, CommandId::AutoReloadFileEnd,
                         CommandId::LoadPrevFile, CommandId::LoadNextFile, CommandId::Bookmark})
        EXPECT_FALSE(Enabled(id)) << static_cast<int>(id);
    ASSERT_TRUE(OpenBytes("abc\ndef\n"));
    for (CommandId id : {CommandId::Reload, CommandId::AutoReload, CommandId::LoadNextFile, CommandId::Bookmark})
        EXPECT_TRUE(Enabled(id)) << static_cast<int>(id);
}

TEST_F(CommandTableTest, SaveAfterAChangeAndCopyOnlyWithAWidth)
{
    ASSERT_TRUE(OpenBytes("abc\ndef\n"));
    EXPECT_FALSE(Enabled(CommandId::FileSave));
    EXPECT_TRUE(Enabled(CommandId::FileSaveAs));
    EXPECT_FALSE(Enabled(CommandId::Undo));
    // An anchor where the cursor is: no selection.
    PutCursor(0, 1);
    doc->Selection().anchor.line = 0;
    doc->Selection().anchor.column = 1;
    EXPECT_FALSE(Enabled(CommandId::Copy));
    EXPECT_FALSE(Enabled(CommandId::Cut));
    EXPECT_FALSE(Enabled(CommandId::TrimLines));
    doc->Selection().anchor.column = 0;
    EXPECT_TRUE(Enabled(CommandId::Copy));
    EXPECT_TRUE(Enabled(CommandId::AddField));  // within one line, with a width
    EXPECT_TRUE(Enabled(CommandId::TrimLines));
    doc->Selection().anchor.line = 1;
    EXPECT_FALSE(Enabled(CommandId::AddField));
    doc->SwitchBinaryMode();
    EXPECT_FALSE(Enabled(CommandId::TrimLines));  // not in binary mode
    EXPECT_EQ(IsChecked(CommandId::BinaryMode, State()), true);
    doc->SwitchBinaryMode();
    doc->MarkModified();
    EXPECT_TRUE(Enabled(CommandId::FileSave));
    // Undo and Redo follow their lists.
    doc->Model().RaiseUndoGroup();
    doc->Model().ReplaceCurrentLine(LineRecord("x\n"));
    EXPECT_TRUE(Enabled(CommandId::Undo));
    EXPECT_FALSE(Enabled(CommandId::Redo));
    doc->Undo();
    EXPECT_FALSE(Enabled(CommandId::Undo));
    EXPECT_TRUE(Enabled(CommandId::Redo));
    EXPECT_EQ(FindCommand(CommandId::Redo)->keys.front(), "Ctrl+Shift+Z");
}

TEST_F(CommandTableTest, ChecksFollowTheSettings)
{
    ASSERT_TRUE(OpenBytes("abc\n"));
    settings.maxLineLen = 80;
    EXPECT_EQ(IsChecked(CommandId::WrapLinesAt, State()), true);
    settings.truncateAtBorder = 1;  // no mark while wrapping at the border, whatever the width
    EXPECT_EQ(IsChecked(CommandId::WrapLinesAt, State()), false);
    EXPECT_EQ(IsChecked(CommandId::WrapAtWindowBorder, State()), true);
    settings.maxLineLen = Settings::kNoLineLimit;
    settings.truncateAtBorder = 0;
    EXPECT_EQ(IsChecked(CommandId::WrapLinesAt, State()), false);
    EXPECT_EQ(IsChecked(CommandId::Find, State()), std::nullopt);
    settings.autoIndent = 0;
    EXPECT_EQ(IsChecked(CommandId::AutoIndent, State()), false);
    EXPECT_EQ(IsChecked(CommandId::LineNumbers, State()), false);
    settings.lineNumbers = 1;
    EXPECT_EQ(IsChecked(CommandId::LineNumbers, State()), true);
    doc->Follow().SetMode(AutoReload::ChangesAndEnd);
    EXPECT_EQ(IsChecked(CommandId::AutoReload, State()), false);
    EXPECT_EQ(IsChecked(CommandId::AutoReloadFileEnd, State()), true);
    // Field commands need an active structure and a field at the cursor.
    EXPECT_FALSE(Enabled(CommandId::ModifyField));
    EXPECT_FALSE(Enabled(CommandId::FindField));
    EXPECT_FALSE(Enabled(CommandId::StructureOff));
    EXPECT_FALSE(Enabled(CommandId::CharsetOff));  // a UTF-8 text without a table is that already
    EXPECT_EQ(IsChecked(CommandId::CharsetOff, State()), true);
    EXPECT_EQ(IsChecked(CommandId::CharsetEightBit, State()), false);
    doc->ReadTextAs(false);
    EXPECT_TRUE(Enabled(CommandId::CharsetOff));
    EXPECT_EQ(IsChecked(CommandId::CharsetEightBit, State()), true);
    doc->ReadTextAs(true);
    EXPECT_FALSE(Enabled(CommandId::SyntaxOff));
    EXPECT_FALSE(Enabled(CommandId::GoToOffsetPlusSelection));
    doc->Selection().value = 4;
    EXPECT_TRUE(Enabled(CommandId::GoToOffsetPlusSelection));
}

}  // namespace
}  // namespace quill::test
