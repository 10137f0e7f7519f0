// The main window: menus, status bar and the view, routing every command to the document.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/qt/QtFileWatcher.h"
#include "text/FileStatus.h"
#include "text/TextTypes.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace quill {

class Document;
class ExternalTools;
class ProcessStarter;
enum class CommandId : int;
struct CommandEntry;
class TextView;
class QtSearchDialogs;
class SearchMenu;
class FieldOperations;
class QtStructureDialogs;
class QtSyntaxDialogs;
class SyntaxCommands;
class RecentFileList;
class DesktopEntryBar;
class FilterPane;
class NoticeBar;
struct Settings;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Document& doc, Settings& settings, RecentFileList& recent, QWidget* parent = nullptr);
    ~MainWindow() override;

    TextView& View() { return *view_; }
    FieldOperations& Fields() { return *fields_; }
    /// Opens a file as the File menu does (asking to save changes first); true when loaded.
    bool OpenFile(const std::string& path);
    /// The text of a status pane (1-9), for tests.
    QString PaneText(StatusPane pane) const;
    /// Restores the window placement kept in the settings; false on a first start.
    bool RestorePlacement();
    /// Refreshes title, command states and status panes after the document changed.
    void RefreshAll();
    /// The action of a command (menu entry and toolbar button); null for none.
    QAction* Action(CommandId id) const;
    /// Binds every command to the keys of the scheme the settings name (after Options).
    void ApplyKeyScheme();
    QToolBar* Toolbar() const { return toolbar_; }
    /// The first start's offer to list the program in the desktop's "Open With" menu, shown above
    /// the text unless the desktop lists it already.
    DesktopEntryBar& DesktopEntryOffer() { return *desktopEntryBar_; }
    /// The bar that offers Reload when another program changed the open file.
    NoticeBar& ChangedOnDiskBar() { return *changedOnDiskBar_; }
    /// At the first start: offers the desktop key scheme, naming the keys that differ most,
    /// unless it is chosen already; true when shown.
    bool OfferDesktopKeys();
    NoticeBar& KeySchemeBar() { return *keySchemeBar_; }
    /// View > Filter Pane, below the text.
    FilterPane& Filter() { return *filterPane_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnRecentFile(int index);
    void UpdateCommandStates();
    void SetPaneText(int pane, const QString& text);

private:
    QTimer* loadTimer_ = nullptr;
    /// Menus and toolbar from the command table, each entry with its handler.
    void CreateCommands();
    void RegisterHandlers();
    QAction* ActionFor(const CommandEntry& entry);
    /// The menu text and the keys of a command under the scheme in force.
    void SetKeys(QAction* action, const CommandEntry& entry) const;
    void OnPrint();
    void OnPrintPreview();
    void OnPrinterSetup();
    void OnAbout();
    /// The CAP and NUM panes from the keyboard state of a key event.
    void ShowLockKeys(quint32 nativeModifiers);
    void CreateStatusBar();
    void RebuildRecentMenu();
    void UpdateTitle();

    Document& doc_;
    Settings& settings_;
    RecentFileList& recent_;
    TextView* view_;
    // The search commands act on the view's cursor and window; the window owns them, not the view.
    std::unique_ptr<QtSearchDialogs> searchDialogs_;
    std::unique_ptr<SearchMenu> search_;
    QtFileWatcher fileWatcher_;
    DesktopEntryBar* desktopEntryBar_ = nullptr;
    NoticeBar* changedOnDiskBar_ = nullptr;
    NoticeBar* keySchemeBar_ = nullptr;
    FilterPane* filterPane_ = nullptr;
    std::pair<std::string, FileTime> changedOnDiskFor_;  ///< the text the bar speaks of
    std::unique_ptr<QtStructureDialogs> structureDialogs_;
    std::unique_ptr<FieldOperations> fields_;
    std::unique_ptr<QtSyntaxDialogs> syntaxDialogs_;
    std::unique_ptr<SyntaxCommands> syntax_;
    std::array<QLabel*, kStatusPaneCount + 1> panes_{};  ///< by StatusPane; [0] unused
    std::unique_ptr<ProcessStarter> processes_;
    std::unique_ptr<ExternalTools> tools_;
    std::map<CommandId, std::function<void()>> handlers_;
    QHash<int, QAction*> actions_;
    QToolBar* toolbar_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QAction* recentEnd_ = nullptr;  ///< the recent files stand before this separator
    std::vector<QAction*> recentActions_;
};

}  // namespace quill
