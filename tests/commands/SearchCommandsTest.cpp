// Count, Replace and the line filters as a user meets them.
#include <gtest/gtest.h>

#include "commands/SearchCommands.h"
#include "structure/FieldDef.h"
#include "support/DocumentFixture.h"
#include "view/ViewState.h"

namespace quill::test {
namespace {

class SearchCommandsTest : public DocumentFixture {
protected:
    ViewState state{0, 0, 20, 80};
    SearchOptions options;
    SearchCommands commands{*doc, state, options};
};

TEST_F(SearchCommandsTest, CountFromTheCursorOnAndEmptyMatchesOncePerPlace)
{
    ASSERT_TRUE(OpenBytes("ab ab\nab\nxx ab\n"));
    options.query.text = "ab";
    PutCursor(1, 0);
    EXPECT_EQ(commands.CountMatches(), 2);
    EXPECT_EQ(prompter.Texts().back(), "2 items found.");
    EXPECT_EQ(doc->Selection().cursor.line, 1);  // the cursor stays
    options.query.regex = true;
    options.query.text = "^";
    PutCursor(0, 0);
    EXPECT_EQ(commands.CountMatches(), 4);  // every line once, the empty last one too
}

TEST_F(SearchCommandsTest, ReplaceAllWithACounterIsUndoneInOneStep)
{
    ASSERT_TRUE(OpenBytes("x\nx\nx\n"));
    options.query.text = "x";
    options.replacement = "ID-\xB5"
                          "03d";
    options.counterOn = true;
    options.counterStart = 7;
    EXPECT_EQ(commands.ReplaceText(false), 3);
    EXPECT_EQ(AllBytes(), "ID-007\nID-008\nID-009\n");
    EXPECT_EQ(prompter.Texts().back(), "3 items replaced.");
    EXPECT_TRUE(doc->IsModified());
    doc->Undo();
    EXPECT_EQ(AllBytes(), "x\nx\nx\n");
}

TEST_F(SearchCommandsTest, ReplacingOneByOneAsksAndStopsOnCancel)
{
    ASSERT_TRUE(OpenBytes("a a a\n"));
    options.query.text = "a";
    options.replacement = "b";
    options.replaceAll = false;
    prompter.Expect("Replace?", Answer::Ok);
    prompter.Expect("Replace?", Answer::Cancel);
    EXPECT_EQ(commands.ReplaceText(true), 1);
    EXPECT_EQ(AllBytes(), "b a a\n");
}

TEST_F(SearchCommandsTest, ReplaceWithinASelectionLeavesHitsAcrossItsEnds)
{
    ASSERT_TRUE(OpenBytes("aa aa aa\naa aa aa\naa aa aa\n"));
    options.query.text = "aa";
    options.replacement = "X";
    doc->Selection().anchor.line = 0;
    doc->Selection().anchor.column = 4;
    PutCursor(2, 4);
    doc->Selection().anchor.line = 0;
    doc->Selection().anchor.column = 4;
    // Line 0 from column 4, line 2 up to column 4 of the text as it was: replacing the first hit
    // there must not pull the next one into the selection.
    EXPECT_EQ(commands.ReplaceText(true), 5);
    EXPECT_EQ(AllBytes(), "aa aa X\nX X X\nX aa aa\n");
}

TEST_F(SearchCommandsTest, RegularExpressionReplacesMendTheFaultsOfLoopsFieldsAndNulBytes)
{
    ASSERT_TRUE(OpenBytes(std::string("a b a\nab\0a tail\n", 16)));
    options.query.regex = true;
    options.query.text = "a";
    options.replacement = "aa";  // matches the expression again: must not loop
    EXPECT_EQ(commands.ReplaceText(true), 2);
    EXPECT_EQ(AllBytes(), std::string("aa b aa\naab\0aa taail\n", 21));  // past the NUL, too

    ASSERT_TRUE(OpenBytes("1111 2222 1111\n"));
    auto field = std::make_unique<FieldDef>();
    field->name = "MIDDLE";
    field->offset = 5;
    field->length = 4;
    options.query.field = &doc->Structure().AddField(std::move(field));
    doc->Structure().SetActive(true);
    options.query.text = "[0-9]";
    options.replacement = "x";
    PutCursor(0, 5);
    EXPECT_EQ(commands.ReplaceText(true), 1);
    EXPECT_EQ(AllBytes(), "1111 xxxx 1111\n");  // only the field's bytes changed
}

// The automaton that picks the lines keeps a final "$" only where every line ends with its line
// end; elsewhere (lines cut at a wrap width, a field, a NUL that ends what the search reads) the
// expression's own "$" decides.
TEST_F(SearchCommandsTest, AFinalDollarFindsTheSameLinesWhateverTheLinesEndWith)
{
    options.query.regex = true;
    options.query.text = "bc$";
    ASSERT_TRUE(OpenBytes("abc\nxbc\nbcx\nabcabc\n"));
    EXPECT_EQ(commands.CountMatches(), 3);
    ASSERT_TRUE(OpenBytes("abc\r\nxbc\r\nbcx\r\nbc"));
    EXPECT_EQ(commands.CountMatches(), 3);
    ASSERT_TRUE(OpenBytes(std::string("zz\nxbc\0z\nbc z\n", 15)));
    EXPECT_EQ(commands.CountMatches(), 1);
    // "abc" "abc\n" "xbc" "d\n": "$" stands at the end of every display line.
    ASSERT_TRUE(OpenBytes("zz\nabcabc\nxbcd\n"));
    entry.answers = {"3"};
    doc->WrapLinesAt();
    ASSERT_EQ(doc->Text().LineCount(), 6);
    EXPECT_EQ(commands.CountMatches(), 3);
}

TEST_F(SearchCommandsTest, LineAnchorsMatchOncePerLineInCountAndReplace)
{
    ASSERT_TRUE(OpenBytes("it is ok\nok not\nok\n"));
    options.query.regex = true;
    options.query.text = "ok$";
    EXPECT_EQ(commands.CountMatches(), 2);  // before the line feed
    options.query.text = "$";
    EXPECT_EQ(commands.CountMatches(), 4);  // every line once, the empty last one too
    options.replaceAll = true;
    options.replacement = ";";
    EXPECT_EQ(commands.ReplaceText(true), 4);
    EXPECT_EQ(AllBytes(), "it is ok;\nok not;\nok;\n;");
    ASSERT_TRUE(OpenBytes("ab\ncd"));
    options.query.text = "^";
    options.replacement = "> ";
    EXPECT_EQ(commands.ReplaceText(true), 2);
    EXPECT_EQ(AllBytes(), "> ab\n> cd");

    // In a CR LF text "$" matches before the CR LF, once per line, the last line without one too.
    ASSERT_TRUE(OpenBytes("it is ok\r\nok\r\n"));
    options.query.text = "ok$";
    EXPECT_EQ(commands.CountMatches(), 2);
    options.query.text = "ok\r$";
    EXPECT_EQ(commands.CountMatches(), 2);
    ASSERT_TRUE(OpenBytes("a1\r\nb2\r\nc3"));
    options.query.text = "$";
    EXPECT_EQ(commands.CountMatches(), 3);
    options.replacement = ";";
    EXPECT_EQ(commands.ReplaceText(true), 3);
    EXPECT_EQ(AllBytes(), "a1;\r\nb2;\r\nc3;");
}

TEST_F(SearchCommandsTest, DeleteLinesAndExtractLines)
{
    ASSERT_TRUE(OpenBytes("keep\ndrop 1\nkeep\ndrop 2 drop\n"));
    options.query.text = "drop";
    options.lineFilter = SearchOptions::kDeleteLines;
    EXPECT_EQ(commands.ApplyLineFilter(), 2);
    EXPECT_EQ(AllBytes(), "keep\nkeep\n");
    doc->Undo();
    EXPECT_EQ(AllBytes(), "keep\ndrop 1\nkeep\ndrop 2 drop\n");

    options.lineFilter = SearchOptions::kExtractLines;
    PutCursor(0, 0);
    EXPECT_EQ(commands.ApplyLineFilter(), 2);
    EXPECT_EQ(AllBytes(), "drop 1\ndrop 2 drop\n");  // a line with two hits once
    EXPECT_TRUE(doc->IsModified());
    doc->Undo();  // the whole text comes back in one step, and goes again with Redo
    EXPECT_EQ(AllBytes(), "keep\ndrop 1\nkeep\ndrop 2 drop\n");
    EXPECT_FALSE(doc->IsModified());
    doc->Redo();
    EXPECT_EQ(AllBytes(), "drop 1\ndrop 2 drop\n");
    EXPECT_EQ(doc->Text().FileSize(), 19);

    options.query.text = "nowhere";
    EXPECT_EQ(commands.ApplyLineFilter(), 0);
    EXPECT_EQ(prompter.Texts().back(), "No matching lines found!");

    ASSERT_TRUE(OpenBytes("x\nx\n"));
    options.query.text = "x";
    options.lineFilter = SearchOptions::kDeleteLines;
    commands.ApplyLineFilter();
    EXPECT_EQ(Lines(), std::vector<std::string>{""});  // one empty line is left
}

// Taken lines that were not edited go on borrowing the loaded bytes; an edited one is copied,
// since its bytes belong to the old text, which Undo keeps and the end of the undo history frees.
TEST_F(SearchCommandsTest, ExtractedLinesOutliveTheOldTextTheyCameFrom)
{
    ASSERT_TRUE(OpenBytes("keep\ndrop 1\nkeep\ndrop 2\n"));
    PutCursor(1, 0);
    doc->Model().ReplaceCurrentLine(LineRecord("drop edited\n"));
    options.query.text = "drop";
    options.lineFilter = SearchOptions::kExtractLines;
    PutCursor(0, 0);
    EXPECT_EQ(commands.ApplyLineFilter(), 2);
    EXPECT_FALSE(doc->Text().IsOwned(0));
    EXPECT_FALSE(doc->Text().IsOwned(1));
    doc->Model().ClearUndo();  // the old text and its edited line are freed
    EXPECT_EQ(AllBytes(), "drop edited\ndrop 2\n");
    doc->Undo();  // nothing left to take back
    EXPECT_EQ(AllBytes(), "drop edited\ndrop 2\n");
}

TEST_F(SearchCommandsTest, DeleteLinesKeepsOneLineAndMarksTheTextModified)
{
    ASSERT_TRUE(OpenBytes("only x"));
    options.query.text = "x";
    options.lineFilter = SearchOptions::kDeleteLines;
    EXPECT_EQ(commands.ApplyLineFilter(), 1);
    EXPECT_EQ(Lines(), std::vector<std::string>{""});
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(prompter.Texts().empty());
    // What follows works on the one empty line.
    EXPECT_EQ(commands.CountMatches(), 0);

    ASSERT_TRUE(OpenBytes("a\nb\nlast x"));
    EXPECT_EQ(commands.ApplyLineFilter(), 1);
    EXPECT_EQ(AllBytes(), "a\nb\n");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(prompter.Texts().back(), "0 items found.");  // no "No matching lines found!"

    // The line that moves up keeps its empty match at column 0.
    ASSERT_TRUE(OpenBytes("a\n\n\n\nb\n"));
    options.query.regex = true;
    options.query.text = "^$";
    EXPECT_EQ(commands.ApplyLineFilter(), 4);  // the three empty lines and the empty last one
    EXPECT_EQ(AllBytes(), "a\nb\n");
}

TEST_F(SearchCommandsTest, LineFiltersInAFieldLookOnlyInsideTheField)
{
    const auto inField = [this](const std::string& bytes) {
        EXPECT_TRUE(OpenBytes(bytes));
        auto field = std::make_unique<FieldDef>();
        field->name = "CODE";
        field->offset = 5;
        field->length = 2;
        options.query.field = &doc->Structure().AddField(std::move(field));
        doc->Structure().SetActive(true);
    };
    for (bool regex : {false, true}) {
        SCOPED_TRACE(regex);
        options.query.regex = regex;
        options.query.text = "ab";
        options.lineFilter = SearchOptions::kDeleteLines;
        inField("A ab ab\nA ab xx\nA xx ab\n");
        EXPECT_EQ(commands.ApplyLineFilter(), 2);
        EXPECT_EQ(AllBytes(), "A ab xx\n");  // the line that moved up had "ab" before the field only

        options.query.text = "a";
        options.lineFilter = SearchOptions::kExtractLines;
        inField("A xx aa\nA a  xx\n");
        EXPECT_EQ(commands.ApplyLineFilter(), 1);
        EXPECT_EQ(AllBytes(), "A xx aa\n");
    }
    options.query.field = nullptr;
}

TEST_F(SearchCommandsTest, ARegularExpressionReplaceThroughATableChangesOnlyTheMatchedBytes)
{
    // The table shows the stored q as a: "qa" looks like "aa", and mapping the whole line back
    // would turn one of the two into the other.
    ASSERT_TRUE(OpenBytes("qa xa\n"));
    dir.Write("QVXData/q-as-a.tec", "71=61\n");
    ASSERT_TRUE(doc->Charset().Load(dir.File("QVXData/q-as-a.tec")));
    options.query.regex = true;
    options.query.text = "x";
    options.replacement = "y";
    EXPECT_EQ(commands.ReplaceText(true), 1);
    EXPECT_EQ(AllBytes(), "qa ya\n");
    options.query.text = "a$";
    options.replacement = "!";
    EXPECT_EQ(commands.ReplaceText(true), 1);
    EXPECT_EQ(AllBytes(), "qa y!\n");
}

TEST_F(SearchCommandsTest, ReplaceAllKeepsLinesCutByLengthWhole)
{
    // Ignoring format codes, lines are cut by length with line feeds inside them: a replacement
    // must not split them there.
    ASSERT_TRUE(OpenBytes("xa\n\nya\n\nz"));
    doc->ToggleIgnoreFormatCodes();
    options.query = SearchQuery::Typed("a\\n\\n", false, true, false);
    options.useBackslashes = true;
    options.replacement = "#";
    const auto lines = doc->Text().LineCount();
    EXPECT_EQ(commands.CountMatches(), 2);
    EXPECT_EQ(commands.ReplaceText(true), 2);
    EXPECT_EQ(AllBytes(), "x#y#z");
    EXPECT_EQ(doc->Text().LineCount(), lines);
}

TEST_F(SearchCommandsTest, BackslashCodesAreReadOnceHoweverManyCommandsUseTheQuery)
{
    // "\\x41" typed is the four characters \x41 once read; read twice it would be "A".
    ASSERT_TRUE(OpenBytes("A \\x41 A \\x41\n"));
    options.query = SearchQuery::Typed("\\\\x41", false, true, false);
    options.useBackslashes = true;
    options.replacement = "#";
    EXPECT_EQ(options.query.text, "\\x41");
    EXPECT_EQ(commands.CountMatches(), 2);
    EXPECT_EQ(commands.CountMatches(), 2);
    doc->Selection() = TextSelection{};
    EXPECT_EQ(commands.ReplaceText(true), 2);
    EXPECT_EQ(AllBytes(), "A # A #\n");
}

}  // namespace
}  // namespace quill::test
