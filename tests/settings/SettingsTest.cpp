// Settings: defaults on a first start, every value written and read back, what is never read.
#include <gtest/gtest.h>

#include "app/RecentFileList.h"
#include "settings/Settings.h"
#include "support/Fakes.h"

namespace quill::test {
namespace {

TEST(SettingsTest, FirstStartHasTheDefaults)
{
    MemorySettingsStore store;
    Settings settings;
    LoadSettings(settings, store);
    EXPECT_EQ(settings.tabSize, 3);
    EXPECT_EQ(settings.viewCrossWires, 1);
    EXPECT_EQ(settings.autoIndent, 1);
    EXPECT_EQ(settings.lineNumbers, 0);
    EXPECT_EQ(settings.wordWrap, 1);
    EXPECT_EQ(settings.maxLineLen, 99000);
    EXPECT_EQ(settings.font, "Quillarium");
    EXPECT_EQ(settings.fontSize, 100);
    EXPECT_EQ(settings.fontWeight, 700);
    EXPECT_EQ(settings.printHeader, "&f");
    EXPECT_EQ(settings.printFooter, "Page &p");
    EXPECT_FALSE(settings.mainWndPos.has_value());
    ASSERT_EQ(settings.visible.size(), 256u);
    EXPECT_EQ(settings.visible.substr(0, 32), std::string(32, '0'));
    EXPECT_EQ(settings.visible[32], '1');
    EXPECT_EQ(settings.visible[126], '1');
    EXPECT_EQ(settings.visible[127], '0');
    EXPECT_EQ(settings.visible[160], '0');
    EXPECT_EQ(settings.visible[161], '1');
    EXPECT_EQ(settings.visible[255], '1');
}

TEST(SettingsTest, EveryValueSurvivesARestartExceptTheWrapWidth)
{
    MemorySettingsStore store;
    Settings changed;
    changed.mainWndPos = std::vector<std::uint8_t>{1, 2, 3};
    changed.viewControlChars = 1;
    changed.tabSize = 8;
    changed.font = "Liberation Mono";
    changed.printFooter = "\xA7 &p";
    changed.maxLineLen = 80;  // "Wrap Lines At..." 80
    changed.useRegEx = 1;
    changed.visible[200] = '0';
    changed.showToolbar = 0;
    changed.lineNumbers = 1;
    changed.reloadUnchangedFiles = 1;
    changed.keyScheme = 1;
    changed.printWrap = 0;
    SaveSettings(changed, store);
    EXPECT_EQ(store.writeOrder.front(), "Settings/MainWndPos");
    // The bars' visibility, the line numbers, the reloading of changed files, the key scheme and
    // the wrapping of printed lines, which this program adds, come after the others.
    ASSERT_GE(store.writeOrder.size(), 7u);
    EXPECT_EQ(store.writeOrder[store.writeOrder.size() - 7], "Settings/TabAsSpace");
    EXPECT_EQ(store.writeOrder.back(), "Settings/PrintWrap");
    EXPECT_EQ(store.ints["Settings/MaxLineLen"], 80);

    Settings loaded;
    LoadSettings(loaded, store);
    EXPECT_EQ(loaded.mainWndPos, changed.mainWndPos);
    EXPECT_EQ(loaded.viewControlChars, 1);
    EXPECT_EQ(loaded.tabSize, 8);
    EXPECT_EQ(loaded.showToolbar, 0);
    EXPECT_EQ(loaded.lineNumbers, 1);
    EXPECT_EQ(loaded.reloadUnchangedFiles, 1);
    EXPECT_EQ(loaded.keyScheme, 1);
    EXPECT_EQ(loaded.printWrap, 0);
    EXPECT_EQ(loaded.showStatusBar, 1);
    EXPECT_EQ(loaded.font, "Liberation Mono");
    EXPECT_EQ(loaded.printFooter, "\xA7 &p");
    EXPECT_EQ(loaded.useRegEx, 1);
    EXPECT_EQ(loaded.visible, changed.visible);
    EXPECT_EQ(loaded.maxLineLen, 99000);  // every start begins without a wrap width
}

TEST(SettingsTest, ValuesThatWouldBreakTheProgramFallBackToTheirDefaults)
{
    MemorySettingsStore store;
    store.ints["Settings/TabSize"] = 0;
    store.ints["Settings/FontSize"] = -5;
    store.strings["Settings/Visible"] = "0101";
    Settings settings;
    LoadSettings(settings, store);
    EXPECT_EQ(settings.tabSize, 3);
    EXPECT_EQ(settings.fontSize, 100);
    EXPECT_EQ(settings.visible, Settings::DefaultVisible());
}

TEST(RecentFileListTest, NewestFirstWithoutDuplicatesAtMostSixteen)
{
    RecentFileList recent;
    for (int i = 0; i < 20; ++i)
        recent.Add("/f" + std::to_string(i));
    recent.Add("/f10");
    ASSERT_EQ(recent.Files().size(), 16u);
    EXPECT_EQ(recent.Files()[0], "/f10");
    EXPECT_EQ(recent.Files()[1], "/f19");
    EXPECT_EQ(std::count(recent.Files().begin(), recent.Files().end(), "/f10"), 1);

    MemorySettingsStore store;
    recent.Save(store);
    RecentFileList loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.Files(), recent.Files());
    loaded.Remove("/f10");
    loaded.Save(store);
    EXPECT_EQ(store.strings.count("Recent File List/File16"), 0u);
}

}  // namespace
}  // namespace quill::test
