// The colouring engine: sequences, escapes, keywords, exceptions, open items across lines.
#include <gtest/gtest.h>

#include <random>

#include "syntax/ColouringEngine.h"
#include "syntax/SyntaxDescription.h"

namespace quill::test {
namespace {

class EngineTest : public ::testing::Test {
protected:
    SyntaxItem& Add(const std::string& name, const std::string& start, const std::string& end,
                    const std::string& keywords = {})
    {
        auto item = std::make_unique<SyntaxItem>();
        item->name = name;
        item->start = start;
        item->end = end;
        item->keywords = keywords;
        item->color = static_cast<std::uint32_t>(description.ItemCount() + 1);
        SyntaxItem& added = *item;
        description.AddItem(std::move(item));
        return added;
    }
    // One digit per byte: the number of the item colouring it.
    std::string Colour(const std::string& line, bool full = true)
    {
        engine.ColourLine(LineView(line), full);
        std::string items;
        for (std::uint32_t i = 0; i < line.size(); ++i)
            items += static_cast<char>('0' + engine.ItemOfByte(i));
        return items;
    }
    SyntaxDescription description;
    ColouringEngine engine{description};
};

TEST_F(EngineTest, CommentsStayOpenAcrossLines)
{
    Add("COMMENT", "/*", "*/");
    EXPECT_EQ(Colour("a /* b"), "001111");
    EXPECT_EQ(engine.OpenItems()[0], 1);
    EXPECT_EQ(Colour("c */ d"), "111100");
    EXPECT_EQ(engine.OpenItems()[0], -1);
    EXPECT_EQ(Colour("/*/"), "111");  // the end search begins on the asterisk
    EXPECT_EQ(engine.OpenItems()[0], -1);
}

TEST_F(EngineTest, EscapedEndsAndDoubledEscapes)
{
    Add("STRING", "\"", "\"").ignor = "\\";
    EXPECT_EQ(Colour("\"\\\"x\""), "11111");
    EXPECT_EQ(Colour("\"\\\\\"x"), "11110");  // a doubled backslash escapes nothing
}

TEST_F(EngineTest, KeywordsOnlyAsWholeWords)
{
    Add("KEYWORD", "", "", "if else =").ignorCase = true;
    EXPECT_EQ(Colour("if(x)"), "11000");
    EXPECT_EQ(Colour("elif ifdef x_if"), std::string(15, '0'));
    EXPECT_EQ(Colour("a=b"), "010");  // a keyword of other characters matches anywhere
    EXPECT_EQ(Colour("IF x ELSE"), "110001111");
    EXPECT_EQ(Colour("ELSE", false), "0000");  // not in state-only mode
}

TEST_F(EngineTest, ExceptionsKeepCommentsOutOfStrings)
{
    Add("STRING", "\"", "\"");
    SyntaxItem& comment = Add("COMMENT", "//", "");
    comment.exceptIn = "string";
    description.PrepareExceptions(comment);
    // Only the first "//" of a line counts: inside a string it starts no comment at all.
    EXPECT_EQ(Colour("\"a//b\" // c"), "11111100000");
    EXPECT_EQ(Colour("x // \"s\""), "00222222");
}

TEST_F(EngineTest, TheEighthOpenItemReplacesTheSeventh)
{
    for (int i = 0; i < 8; ++i)
        Add("ITEM" + std::to_string(i), std::string(1, static_cast<char>('A' + i)), "!");
    Colour("ABCDEFGH");
    EXPECT_EQ(engine.OpenItems()[6], 8);
    for (int slot = 0; slot < 6; ++slot)
        EXPECT_GT(engine.OpenItems()[static_cast<std::size_t>(slot)], 0);
}

TEST_F(EngineTest, LineStartItemsAndRootAndSub)
{
    Add("HEAD", "", ":");
    EXPECT_EQ(Colour("key: value"), "1111000000");
    SyntaxItem& tag = Add("TAG", "<", ">");
    tag.root = true;
    SyntaxItem& attribute = Add("ATTR", "", "", "x");
    attribute.sub = true;
    EXPECT_EQ(Colour("x <a x> x"), "002223200");  // the keyword only inside the root item
}

TEST_F(EngineTest, RunsCoverTheLineAndStateOnlyKeepsTheSameOpenItems)
{
    Add("COMMENT", "/*", "*/");
    SyntaxItem& string = Add("STRING", "'", "'");
    string.ignor = "\\";
    Add("KEYWORD", "", "", "int return");
    Add("LINE", "--", "");
    std::mt19937 random(5);
    const char* pieces[] = {"int ", "x ", "/* ", "*/ ", "'a", "\\'", "' ", "-- ", "return", "\n"};
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i) {
        std::string line;
        for (int k = 0; k < 6; ++k)
            line += pieces[random() % 10];
        lines.push_back(line);
    }
    ColouringEngine fullEngine(description), stateEngine(description);
    for (const std::string& line : lines) {
        fullEngine.ColourLine(LineView(line), true);
        stateEngine.ColourLine(LineView(line), false);
        ASSERT_EQ(fullEngine.OpenItems(), stateEngine.OpenItems()) << line;
        // The runs, one after the other, give every byte its item.
        ColouringEngine::Run run;
        std::uint32_t covered = 0;
        while (fullEngine.NextRun(run)) {
            ASSERT_EQ(run.start, covered);
            for (std::uint32_t k = 0; k < run.length; ++k)
                ASSERT_EQ(fullEngine.ItemOfByte(run.start + k), run.item);
            covered += run.length;
        }
        ASSERT_EQ(covered, line.size());
    }
}

}  // namespace
}  // namespace quill::test
