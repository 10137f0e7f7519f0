// The descriptions shipped with the program load and find their sample files.
#include <gtest/gtest.h>

#include "document/FileStatus.h"
#include "structure/StructureDescription.h"

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
    EXPECT_EQ(StructureDescription::ContentOf(LineView(order), *fields.back()), "000018616");

    ASSERT_TRUE(description.SelectForFile(kSamples + "/transactions-2026.csv", kData));
    std::string row = "2026-03-14;DE00012345;Books;1999;EUR";
    description.SplitDelimited(LineView(row), rules);
    EXPECT_EQ(StructureDescription::ContentOf(LineView(row), description.Field(3)), "1999");
}

}  // namespace
}  // namespace quill::test
