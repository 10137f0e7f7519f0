// The descriptions shipped with the program load and find their sample files.
#include <gtest/gtest.h>

#include "structure/PathMask.h"
#include "structure/StructureDescription.h"
#include "text/FileStatus.h"

namespace quill::test {
namespace {

const std::string kData = QUILL_SOURCE_DIR "/data/QVXData";
const std::string kSamples = QUILL_SOURCE_DIR "/data/samples";

TEST(ShippedDataTest, EveryStructureLoadsAndSavesTheSame)
{
    int structures = 0;
    for (const std::string& name : ListFiles(kData)) {
        if (name.size() < 4 || name.substr(name.size() - 4) != ".ini")
            continue;
        ++structures;
        StructureDescription description;
        ASSERT_TRUE(description.Load(kData + "/" + name)) << name;
        EXPECT_GT(description.FieldCount(), 0u) << name;
        EXPECT_FALSE(description.Masks().empty()) << name;
    }
    EXPECT_GE(structures, 2);
}

TEST(ShippedDataTest, SamplesPickTheirStructure)
{
    StructureDescription description;
    DisplayRules rules;
    ASSERT_TRUE(description.SelectForFile(kSamples + "/orders.ord", kData));
    EXPECT_EQ(description.Name(), "Orders (fixed width)");
    ASSERT_NE(description.RecordTypeField(), nullptr);
    std::string order = "0200100130246633Quill pen, steel nib   26000018616";
    auto fields = description.FieldsOf(LineView(order), rules);
    ASSERT_EQ(fields.size(), 6u);
    EXPECT_EQ(description.ContentOf(LineView(order), *fields.back(), rules), "000018616");

    ASSERT_TRUE(description.SelectForFile(kSamples + "/transactions-2026.csv", kData));
    std::string row = "2026-03-14;DE00012345;Books;1999;EUR";
    description.SplitRecord(LineView(row), rules);
    EXPECT_EQ(description.ContentOf(LineView(row), description.Field(3), rules), "1999");
}

}  // namespace
}  // namespace quill::test

#include "charset/ConversionTable.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "syntax/ColouringEngine.h"
#include "syntax/SyntaxDescription.h"

namespace quill::test {
namespace {

TEST(ShippedDataTest, EverySyntaxLoadsAndColoursItsOwnKind)
{
    int syntaxes = 0;
    for (const std::string& path : DescriptionFiles(kData, ".syn")) {
        ++syntaxes;
        SyntaxDescription syntax;
        ASSERT_TRUE(syntax.Load(path)) << path;
        EXPECT_GT(syntax.ItemCount(), 2u) << path;
        EXPECT_FALSE(syntax.Masks().empty()) << path;
    }
    EXPECT_GE(syntaxes, 7);
    SyntaxDescription c;
    ASSERT_TRUE(c.SelectForFile("/src/main.cpp", kData));
    ColouringEngine engine(c);
    const std::string line = "int x = 1; // \"not\" a string";
    engine.ColourLine(LineView(line), true);
    EXPECT_NE(engine.ItemOfByte(0), 0);                       // int
    EXPECT_EQ(engine.ItemOfByte(4), 0);                       // x
    EXPECT_EQ(engine.ItemOfByte(14), engine.ItemOfByte(11));  // the quote lies in the comment
}

TEST(ShippedDataTest, EveryTableRoundTripsThroughSaveAndLoad)
{
    TempDir dir;
    ScriptedPrompter prompter;
    int tables = 0;
    for (const std::string& path : DescriptionFiles(kData, ".tec")) {
        ++tables;
        ConversionTable table;
        ASSERT_TRUE(table.Load(path)) << path;
        ASSERT_TRUE(table.IsActive()) << path;
        ASSERT_TRUE(table.Save(dir.Path(), prompter)) << path;
        ConversionTable again;
        ASSERT_TRUE(again.Load(dir.File(table.Name() + ".tec")));
        for (int b = 0; b < 256; ++b)
            ASSERT_EQ(again.ToDisplay(static_cast<std::uint8_t>(b)), table.ToDisplay(static_cast<std::uint8_t>(b)));
    }
    EXPECT_GE(tables, 3);
}

TEST(ShippedDataTest, TheAutomaticChoiceFindsTheDosTableForUmlauts)
{
    ByteHistogram histogram{};
    for (char ch : std::string("Gr\x81\x94\xe1"
                               "e aus K\x94ln, sch\x94ne Gr\x81\xe1"
                               "e"))
        ++histogram[static_cast<std::uint8_t>(ch)];
    ConversionTable table;
    table.AutoSelect(histogram, kData);
    EXPECT_EQ(table.Name(), "DOS CP437");
    EXPECT_EQ(table.ToDisplay(0x81), 0xFC);

    ByteHistogram ascii{};
    for (char ch : std::string("Plain ASCII text, nothing to convert.\r\n"))
        ++ascii[static_cast<std::uint8_t>(ch)];
    table.AutoSelect(ascii, kData);
    EXPECT_FALSE(table.IsActive());
    EXPECT_EQ(table.Name(), "<ANSI>");
}

}  // namespace
}  // namespace quill::test
