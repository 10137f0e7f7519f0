// Reading and writing the settings through the settings store.
#include "settings/Settings.h"

#include <iterator>

#include "common/Utf8.h"
#include "platform/SettingsStore.h"

namespace quill {

namespace {

const char kSection[] = "Settings";
const char kFilterSection[] = "Filter Pane";
const char kMainWndPos[] = "MainWndPos";

// One value of the section: an integer or a text member, in the order of the stored table.
struct Entry {
    const char* key;
    int Settings::*number;
    std::string Settings::*text;
};

const Entry kEntries[] = {
    {"ViewControlChars", &Settings::viewControlChars, nullptr},
    {"ViewLineTermination", &Settings::viewLineTermination, nullptr},
    {"ViewCrossWires", &Settings::viewCrossWires, nullptr},
    {"AutoIndent", &Settings::autoIndent, nullptr},
    {"PrintLeft", &Settings::printLeft, nullptr},
    {"PrintHeader", nullptr, &Settings::printHeader},
    {"PrintFooter", nullptr, &Settings::printFooter},
    {"PrintFF", &Settings::printFF, nullptr},
    {"WordWrap", &Settings::wordWrap, nullptr},
    {"MaxLineLen", &Settings::maxLineLen, nullptr},
    {"TruncateAtBorder", &Settings::truncateAtBorder, nullptr},
    {"Notified", &Settings::notified, nullptr},
    {"Font", nullptr, &Settings::font},
    {"FontSize", &Settings::fontSize, nullptr},
    {"FontWeight", &Settings::fontWeight, nullptr},
    {"ExtensionsAssigned", &Settings::extensionsAssigned, nullptr},
    {"PageWidth", &Settings::pageWidth, nullptr},
    {"TabSize", &Settings::tabSize, nullptr},
    {"Visible", nullptr, &Settings::visible},
    {"UseRegEx", &Settings::useRegEx, nullptr},
    {"FFLine", &Settings::ffLine, nullptr},
    {"UseBackslashes", &Settings::useBackslashes, nullptr},
    {"TabAsSpace", &Settings::tabAsSpace, nullptr},
    {"ShowToolbar", &Settings::showToolbar, nullptr},
    {"ShowStatusBar", &Settings::showStatusBar, nullptr},
    {"LineNumbers", &Settings::lineNumbers, nullptr},
    {"ReloadUnchangedFiles", &Settings::reloadUnchangedFiles, nullptr},
    {"KeyScheme", &Settings::keyScheme, nullptr},
    {"PrintWrap", &Settings::printWrap, nullptr},
};

bool IsVisibilityTable(const std::string& text)
{
    if (text.size() != 256)
        return false;
    for (char ch : text)
        if (ch != '0' && ch != '1')
            return false;
    return true;
}

// Values that would break the program are put back to their defaults.
void Repair(Settings& settings)
{
    const Settings defaults;
    if (settings.tabSize < 1)
        settings.tabSize = defaults.tabSize;
    if (settings.fontSize < 1)
        settings.fontSize = defaults.fontSize;
    if (settings.pageWidth < 0)
        settings.pageWidth = 0;
    if (!IsVisibilityTable(settings.visible))
        settings.visible = defaults.visible;
}

}  // namespace

std::string Settings::DefaultVisible()
{
    return std::string(32, '0') + std::string(95, '1') + std::string(34, '0') + std::string(95, '1');
}

void LoadSettings(Settings& settings, SettingsStore& store)
{
    for (const Entry& entry : kEntries) {
        if (entry.number == &Settings::maxLineLen) {
            settings.maxLineLen = Settings::kNoLineLimit;
        } else if (entry.number) {
            if (auto value = store.ReadInt(kSection, entry.key))
                settings.*entry.number = static_cast<int>(*value);
        } else if (auto value = store.ReadString(kSection, entry.key)) {
            std::string missing;  // the program keeps these texts as code page 1252 bytes
            settings.*entry.text = Utf8ToCp1252(*value, missing);
        }
    }
    settings.mainWndPos = store.ReadBinary(kSection, kMainWndPos);
    settings.filterTexts.clear();
    for (std::size_t i = 1; i <= Settings::kFilterTexts; ++i)
        if (auto text = store.ReadString(kFilterSection, "Text" + std::to_string(i)); text && !text->empty())
            settings.filterTexts.push_back(*text);
    Repair(settings);
}

void SaveSettings(const Settings& settings, SettingsStore& store)
{
    if (settings.mainWndPos)
        store.WriteBinary(kSection, kMainWndPos, *settings.mainWndPos);
    for (const Entry& entry : kEntries) {
        if (entry.number)
            store.WriteInt(kSection, entry.key, settings.*entry.number);
        else
            store.WriteString(kSection, entry.key, Cp1252ToUtf8(settings.*entry.text));
    }
    for (std::size_t i = 0; i < Settings::kFilterTexts; ++i) {
        const std::string key = "Text" + std::to_string(i + 1);
        if (i < settings.filterTexts.size())
            store.WriteString(kFilterSection, key, settings.filterTexts[i]);
        else
            store.Remove(kFilterSection, key);
    }
}

}  // namespace quill
