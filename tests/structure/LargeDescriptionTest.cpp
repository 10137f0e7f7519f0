// A description of tens of thousands of fields opens with its file like a small one.
#include <gtest/gtest.h>

#include "structure/FieldDef.h"
#include "support/DocumentFixture.h"

namespace quill::test {
namespace {

class LargeDescriptionTest : public DocumentFixture {};

TEST_F(LargeDescriptionTest, SixtyThousandFieldsAreReadWholeWhenTheirFileOpens)
{
    constexpr int kFields = 60000;
    std::string ini = "[<General>]\r\nRecordLength=0;\r\nType=0;\r\nMask=*.wide;\r\n";
    for (int i = 0; i < kFields; ++i) {
        const std::string section = "F" + std::to_string(i) + "_" + std::to_string(10000 + i).substr(1);
        ini += "[" + section + "]\r\nOffset=" + std::to_string(i * 2) +
               ";\r\nLength=2;\r\nColor=" + std::to_string(i % 7) + ";\r\nType=0;\r\nTypeValue=;\r\nComment=field " +
               std::to_string(i) + ";\r\n";
    }
    dir.Write("QVXData/wide.ini", ini);
    ASSERT_TRUE(OpenBytes(std::string(kFields * 2, 'x') + "\n", "data.wide"));
    ASSERT_TRUE(doc->Structure().IsActive());
    const auto& fields = doc->Structure().FieldsOf(doc->Text().Line(0), doc->Rules());
    ASSERT_EQ(fields.size(), static_cast<std::size_t>(kFields));
    EXPECT_EQ(fields.back()->offset, (kFields - 1) * 2);
    EXPECT_EQ(fields.back()->comment, "field " + std::to_string(kFields - 1));
    EXPECT_EQ(fields[1234]->name, "F1234");
}

}  // namespace
}  // namespace quill::test
