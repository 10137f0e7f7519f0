// Start-up and exit: settings, data folder, the document, the main window and the command line.
#pragma once

#include <memory>
#include <string>

#include "app/CommandLine.h"
#include "app/RecentFileList.h"
#include "platform/qt/QtEntryDialog.h"
#include "platform/qt/QtFileDialogs.h"
#include "platform/qt/QtProgressWindow.h"
#include "platform/qt/QtPrompter.h"
#include "settings/Settings.h"
#include "text/TextSelection.h"

namespace quill {

class Document;
class MainWindow;
class SettingsStore;

/// Owns everything that lives as long as the program. Needs a QApplication.
class QuillApplication {
public:
    /// store: where the settings live (QSettings in the program, memory in tests).
    explicit QuillApplication(SettingsStore& store);
    ~QuillApplication();

    /// Loads the settings, creates document and window and processes the command line; false when
    /// the file named there could not be opened (the program then ends).
    bool Start(const CommandLine& commandLine);
    /// Writes the settings and the recent-file list back.
    void Exit();
    /// "--print-pdf OUT FILE": prints FILE with the saved page setup into OUT without a window;
    /// messages go to standard error. The exit code.
    static int PrintToPdf(const CommandLine& commandLine, SettingsStore& store);

    MainWindow& Window() { return *frame_; }
    Document& CurrentDocument() { return *doc_; }
    Settings& AppSettings() { return settings_; }
    const std::string& DataFolder() const { return dataFolder_; }

private:
    /// PrintToPdf once the command line was found sound.
    static int PrintFileToPdf(const CommandLine& commandLine, SettingsStore& store);

    SettingsStore& store_;
    Settings settings_;
    RecentFileList recent_;
    QtPrompter prompter_;
    QtProgressWindow progress_;
    QtFileDialogs dialogs_;
    QtEntryDialog entry_;
    std::string dataFolder_;
    /// The editor's cursor and selection, given to the document and shown by the view.
    TextSelection selection_;
    std::unique_ptr<Document> doc_;
    std::unique_ptr<MainWindow> frame_;
};

}  // namespace quill
