// The settings file as other programs read it: UTF-8 texts stored as UTF-8, and the files of
// earlier versions, which stored them twice encoded, read right.
#include <gtest/gtest.h>

#include <QSettings>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "platform/qt/QtSettingsStore.h"
#include "settings/Settings.h"
#include "support/TempDir.h"

namespace quill::test {
namespace {

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(SettingsFileTest, TextsAreStoredAsUtf8AndOldTwiceEncodedOnesAreReadRight)
{
    TempDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(dir.Path()));
    const std::string file = dir.File("Quillarium/Quillarium.conf");
    ASSERT_EQ(::mkdir(dir.File("Quillarium").c_str(), 0700), 0);
    // As an earlier version left it: the filter text "über" twice encoded, the header right.
    dir.Write("Quillarium/Quillarium.conf", "[Filter%20Pane]\nText1=\xC3\x83\xC2\xBC"
                                            "ber\n\n[Settings]\nPrintHeader=Seite \xC3\xA4 &p\n");
    Settings settings;
    {
        QtSettingsStore store;
        LoadSettings(settings, store);
    }
    ASSERT_FALSE(settings.filterTexts.empty());
    EXPECT_EQ(settings.filterTexts[0], "über");
    EXPECT_EQ(settings.printHeader, "Seite \xE4 &p");  // the program keeps it as code page 1252
    settings.filterTexts.insert(settings.filterTexts.begin(), "москва");
    {
        QtSettingsStore store;
        SaveSettings(settings, store);
    }
    const std::string written = Contents(file);
    EXPECT_NE(written.find("Text1=москва"), std::string::npos) << written;
    EXPECT_NE(written.find("Text2=über"), std::string::npos) << written;
    EXPECT_NE(written.find("PrintHeader=Seite ä &p"), std::string::npos) << written;
    Settings again;
    {
        QtSettingsStore store;
        LoadSettings(again, store);
    }
    EXPECT_EQ(again.filterTexts, settings.filterTexts);
    EXPECT_EQ(again.printHeader, settings.printHeader);
}

}  // namespace
}  // namespace quill::test
