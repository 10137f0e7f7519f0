// The visible codes dialog's logic.
#include <gtest/gtest.h>

#include "settings/Settings.h"
#include "view/VisibleCodesModel.h"

namespace quill::test {
namespace {

TEST(VisibleCodesModelTest, BoxesFollowTheSettingAndCodeZeroKeepsItsValue)
{
    std::string visible = Settings::DefaultVisible();
    visible[0] = '1';  // code 0 is not offered and must stay as it is
    VisibleCodesModel model(visible);
    EXPECT_FALSE(model.Checked(0xA0));
    EXPECT_TRUE(model.Checked(0xE9));
    EXPECT_EQ(VisibleCodesModel::Label(0x41), "41=A");
    EXPECT_EQ(VisibleCodesModel::Label(0xE9), "E9=\xE9");
    model.SetChecked(0xA0, true);
    model.SetChecked(0x41, false);
    model.SetChecked(0, false);  // ignored
    const std::string applied = model.Apply(visible);
    ASSERT_EQ(applied.size(), 256u);
    EXPECT_EQ(applied[0], '1');
    EXPECT_EQ(applied[0xA0], '1');
    EXPECT_EQ(applied[0x41], '0');
    EXPECT_EQ(applied[0x42], '1');
}

}  // namespace
}  // namespace quill::test
