// Syntax descriptions, their dialogs' models, and conversion tables.
#include <gtest/gtest.h>

#include "charset/ConversionDialogModel.h"
#include "charset/ConversionTable.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "syntax/SyntaxDescription.h"
#include "syntax/SyntaxDialogModels.h"
#include "text/FileStatus.h"

namespace quill::test {
namespace {

TEST(SyntaxDescriptionTest, FilesRoundTripWithDefaultsAndEscapes)
{
    TempDir dir;
    dir.Write("demo.syn", "[COMMENT_0000]\r\nStart=/*;\r\nEnd=*/;\r\n[COMMENT_0001]\r\nKeywords=a\x83"
                          "b c\x82"
                          "d;\r\n");
    SyntaxDescription syntax;
    ASSERT_TRUE(syntax.Load(dir.File("demo.syn")));
    EXPECT_TRUE(syntax.Masks().empty());  // never chosen automatically
    ASSERT_EQ(syntax.ItemCount(), 2u);
    EXPECT_EQ(syntax.Item(1).name, "COMMENT");
    EXPECT_TRUE(syntax.Item(0).overwrite);
    EXPECT_EQ(syntax.Item(0).color, 0u);
    EXPECT_EQ(syntax.Item(1).keywords, "a;b c=d");
    EXPECT_FALSE(syntax.SelectForFile("/x/demo.c", dir.Path()));

    SyntaxDescription saved;
    ASSERT_TRUE(saved.Load(dir.File("demo.syn")));
    saved.SetName("copy");
    saved.Masks().push_back("*.demo");
    ScriptedPrompter prompter;
    ASSERT_TRUE(saved.Save(dir.Path(), prompter));
    SyntaxDescription again;
    ASSERT_TRUE(again.SelectForFile("/x/y.demo", dir.Path()));
    EXPECT_EQ(again.Item(1).keywords, "a;b c=d");
    EXPECT_EQ(again.Item(0).start, "/*");
}

TEST(SyntaxDescriptionTest, ExceptionsFindOnlyEarlierItemsAtLoad)
{
    TempDir dir;
    dir.Write("e.syn", "[FIRST_0000]\r\nExceptIn=comment, string;\r\n[COMMENT_0001]\r\nStart=/*;\r\n[STRING_0002]\r\n"
                       "Start=\";\r\n[THIRD_0003]\r\nExceptIn=comment, string;\r\n");
    SyntaxDescription syntax;
    ASSERT_TRUE(syntax.Load(dir.File("e.syn")));
    EXPECT_EQ(syntax.Item(0).exceptionCount, 0);
    EXPECT_EQ(syntax.Item(3).exceptionCount, 2);
    EXPECT_EQ(syntax.Item(3).exceptions[0], 2);
    EXPECT_EQ(syntax.Item(3).exceptions[1], 3);
    syntax.PrepareExceptions(syntax.Item(0));  // as editing the item does
    EXPECT_EQ(syntax.Item(0).exceptionCount, 2);
}

TEST(SyntaxDialogModelTest, ItemLinesFlagsAndTheItemLimit)
{
    SyntaxDescription syntax;
    auto item = std::make_unique<SyntaxItem>();
    item->name = "COMMENT";
    item->start = "/*";
    item->end = "*/";
    item->overwrite = false;
    item->root = true;
    syntax.AddItem(std::move(item));
    int edits = 0;
    SyntaxDialogModel model(syntax,
                            [&](SyntaxItem& added) {
                                added.name = "N" + std::to_string(++edits);
                                return true;
                            },
                            {});
    EXPECT_EQ(model.ItemLines().front(), "-* COMMENT /* */");
    for (int i = 1; i < 255; ++i)
        ASSERT_TRUE(model.NewItem());
    EXPECT_EQ(syntax.ItemCount(), 255u);
    EXPECT_FALSE(model.NewItem());  // a 256th item could not be told from uncoloured text
    EXPECT_EQ(syntax.ItemCount(), 255u);

    SyntaxItem colourless;
    SyntaxItemDialogModel itemModel(colourless);
    itemModel.ChooseColour(0x0000FF);
    EXPECT_EQ(colourless.color, 0x0000FFu);  // at once, whatever happens to the dialog
}

TEST(ConversionTableTest, EntriesTabByteAndLineBreaks)
{
    std::uint8_t stored = 0, shown = 0;
    ASSERT_TRUE(ConversionTable::ParseEntry("84=E4", stored, shown));
    EXPECT_EQ(stored, 0x84);
    EXPECT_EQ(shown, 0xE4);
    ASSERT_TRUE(ConversionTable::ParseEntry("7=8", stored, shown));
    EXPECT_EQ(stored, '7');
    EXPECT_EQ(shown, '8');
    ASSERT_TRUE(ConversionTable::ParseEntry("3D==", stored, shown));
    EXPECT_EQ(shown, '=');
    ASSERT_TRUE(ConversionTable::ParseEntry("0x41", stored, shown));
    EXPECT_EQ(stored, 0x41);
    EXPECT_EQ(shown, 0);
    EXPECT_FALSE(ConversionTable::ParseEntry("=41", stored, shown));
    EXPECT_FALSE(ConversionTable::ParseEntry("zz=41", stored, shown));

    ConversionTable table;
    table.RememberLineBreaks();
    table.Entries() = {"41=61", "42=61", "05=09"};
    table.Rebuild();
    EXPECT_EQ(table.ToDisplay('A'), 'a');
    EXPECT_EQ(table.FromDisplay('a'), 'B');  // the later entry wins
    EXPECT_EQ(table.Tab(), 5);
    EXPECT_FALSE(table.LineBreaksChanged());
    table.Entries().push_back("25=0A");
    table.Rebuild();
    EXPECT_TRUE(table.LineBreaksChanged());

    TempDir dir;
    ScriptedPrompter prompter;
    table.SetName("<ANSI>");
    EXPECT_FALSE(table.Save(dir.Path(), prompter));
    EXPECT_FALSE(table.IsActive());
    EXPECT_TRUE(ListFiles(dir.Path()).empty());
}

TEST(ConversionTableTest, DialogModelEditsTheEntries)
{
    ConversionTable table;
    table.Entries() = {"94=F6", "84=E4"};
    ConversionDialogModel model(table);
    EXPECT_EQ(model.EntryLines(), (std::vector<std::string>{"84=E4", "94=F6"}));
    model.SelectEntry(0);
    EXPECT_EQ(model.entryText, "84=E4");
    model.entryText = "84=C4";
    model.ModifyEntry();
    model.entryText = "81=FC";
    model.NewEntry();
    model.SelectEntry(2);
    model.DeleteEntry();
    EXPECT_EQ(model.EntryLines(), (std::vector<std::string>{"81=FC", "84=C4"}));
}

}  // namespace
}  // namespace quill::test
