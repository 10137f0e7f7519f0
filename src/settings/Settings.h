// The process-wide settings with their defaults; loaded once at start, written once at exit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quill {

class SettingsStore;

/// Every value of the section "Settings", in the order they are read and written.
struct Settings {
    std::optional<std::vector<std::uint8_t>> mainWndPos;  ///< window geometry; none on a first start
    int viewControlChars = 0;
    int viewLineTermination = 0;
    int viewCrossWires = 1;
    int autoIndent = 1;
    /// A file changed on disk is read again at once when its text has no changes of its own
    /// (otherwise a bar above the text offers Reload).
    int reloadUnchangedFiles = 0;
    /// 0: the keys of the command table; 1: the desktop scheme (Ctrl+Q quits, Ctrl+W closes, ...).
    int keyScheme = 0;
    int printLeft = 0;
    std::string printHeader = "&f";
    std::string printFooter = "Page &p";
    int printFF = 0;
    /// A printed line wider than the page goes on in the next rows (else it is cut, with a mark).
    int printWrap = 1;
    int wordWrap = 1;
    int maxLineLen = 99000;  ///< written at exit, never read: every start begins with 99000
    int truncateAtBorder = 0;
    int notified = 0;
    std::string font = "Quillarium";
    int fontSize = 100;
    int fontWeight = 700;
    int extensionsAssigned = 0;
    int pageWidth = 0;
    int tabSize = 3;
    std::string visible = DefaultVisible();
    /// The filter pane's last texts, the newest first (at most kFilterTexts).
    std::vector<std::string> filterTexts;
    static constexpr std::size_t kFilterTexts = 16;
    int useRegEx = 0;
    int ffLine = 1;
    int useBackslashes = 0;
    int tabAsSpace = 0;
    int showToolbar = 1;  ///< the window's toolbar and status bar, as the user left them
    int showStatusBar = 1;
    int lineNumbers = 0;  ///< the line-number gutter left of the text

    static constexpr int kNoLineLimit = 99000;
    static constexpr int kDefaultTabSize = 3;

    /// "0" for codes 0-31 and 127-160, "1" for 32-126 and 161-255.
    static std::string DefaultVisible();
};

/// Reads every value (missing ones keep their default; MaxLineLen is not read).
void LoadSettings(Settings& settings, SettingsStore& store);
/// Writes every value, MainWndPos first.
void SaveSettings(const Settings& settings, SettingsStore& store);

}  // namespace quill
