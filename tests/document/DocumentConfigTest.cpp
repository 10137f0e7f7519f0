// The layout values of one text over the global settings.
#include <gtest/gtest.h>

#include "document/DocumentConfig.h"
#include "settings/Settings.h"

namespace quill {
namespace {

TEST(DocumentConfigTest, ReadsTheGlobalValuesUntilTheTextHasItsOwnAndNeverWritesThem)
{
    Settings global;
    global.wordWrap = 1;
    global.tabSize = 0;  // a damaged profile: every tab computation divides by it
    DocumentConfig config(global);
    EXPECT_TRUE(config.On(Layout::WordWrap));
    EXPECT_EQ(config.Get(Layout::TabSize), Settings::kDefaultTabSize);
    EXPECT_FALSE(config.On(Layout::Overwrite));  // no setting stands under it

    global.wordWrap = 0;  // read as it is now, not as it was
    EXPECT_FALSE(config.On(Layout::WordWrap));
    config.Flip(Layout::WordWrap);
    config.Set(Layout::TabSize, 8);
    EXPECT_TRUE(config.On(Layout::WordWrap));
    EXPECT_EQ(global.wordWrap, 0);
    EXPECT_EQ(global.tabSize, 0);

    config.Forget(Layout::WordWrap);
    EXPECT_FALSE(config.On(Layout::WordWrap));
}

TEST(DocumentConfigTest, AModeImposesItsValuesAndTheUsersChangesOfThemEndWithIt)
{
    Settings global;
    global.wordWrap = 1;
    global.viewControlChars = 0;
    DocumentConfig config(global);
    config.Set(Layout::MaxLineLen, 80);

    config.Impose(LayoutLevel::File, {{Layout::WordWrap, 0}, {Layout::Overwrite, 1}});
    config.Impose(LayoutLevel::Binary, {{Layout::ControlChars, 1}, {Layout::MaxLineLen, 16}});
    EXPECT_FALSE(config.On(Layout::WordWrap));
    EXPECT_TRUE(config.On(Layout::Overwrite));
    EXPECT_TRUE(config.On(Layout::ControlChars));
    EXPECT_EQ(config.Get(Layout::MaxLineLen), 16);

    // A change goes to the highest level that imposes the value, else it is the user's own.
    config.Set(Layout::MaxLineLen, 32);  // binary mode's width
    config.Flip(Layout::WordWrap);       // the structure's
    config.Set(Layout::TabSize, 4);      // nobody imposes it
    EXPECT_EQ(config.Get(Layout::MaxLineLen), 32);
    EXPECT_TRUE(config.On(Layout::WordWrap));

    config.Lift(LayoutLevel::Binary);
    EXPECT_FALSE(config.InForce(LayoutLevel::Binary));
    EXPECT_FALSE(config.On(Layout::ControlChars));
    EXPECT_EQ(config.Get(Layout::MaxLineLen), 80);
    EXPECT_TRUE(config.On(Layout::WordWrap));

    config.Lift(LayoutLevel::File);
    EXPECT_TRUE(config.On(Layout::WordWrap));  // the global value again
    EXPECT_FALSE(config.On(Layout::Overwrite));
    EXPECT_EQ(config.Get(Layout::TabSize), 4);

    config.Lift(LayoutLevel::User);  // the user's level cannot end
    EXPECT_EQ(config.Get(Layout::TabSize), 4);
}

TEST(DocumentConfigTest, OnlyTheUsersOwnChoicesAreKeptForTheNextStart)
{
    Settings global;
    global.wordWrap = 1;
    global.tabSize = 3;
    global.truncateAtBorder = 0;
    DocumentConfig config(global);
    config.Set(Layout::TabSize, 8);
    config.Set(Layout::Overwrite, 1);
    config.Impose(LayoutLevel::Binary, {{Layout::WordWrap, 0}, {Layout::WrapAtBorder, 1}});

    Settings kept = global;
    config.KeepUserChoicesIn(kept);
    EXPECT_EQ(kept.tabSize, 8);
    EXPECT_EQ(kept.wordWrap, 1);  // binary mode's, not the user's
    EXPECT_EQ(kept.truncateAtBorder, 0);
}

}  // namespace
}  // namespace quill
