// The main window: menus, status bar and the view, routing every command to the document.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;

namespace quill {

class CQVXDoc;
class CQVXView;
class FieldOperations;
class QtStructureDialogs;
class QtSyntaxDialogs;
class SyntaxCommands;
class RecentFileList;
struct Settings;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(CQVXDoc& doc, Settings& settings, RecentFileList& recent, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CQVXView& View() { return *view_; }
    FieldOperations& Fields() { return *fields_; }
    /// Opens a file as the File menu does (asking to save changes first); true when loaded.
    bool OpenFile(const std::string& path);
    /// The text of a status pane (1-6, 9), for tests and the about box.
    QString PaneText(int pane) const;
    /// Restores the window placement kept in the settings; false on a first start.
    bool RestorePlacement();
    /// Refreshes title, command states and status panes after the document changed.
    void RefreshAll();

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
    void CreateMenus();
    void CreateStatusBar();
    void RebuildRecentMenu();
    void UpdateTitle();
    /// A menu command: what it does and, optionally, when it is enabled and when it shows a check.
    QAction* Command(QMenu* menu, const QString& text, const QKeySequence& key, std::function<void()> run,
                     std::function<bool()> enabled = {}, std::function<bool()> checked = {});

    CQVXDoc& doc_;
    Settings& settings_;
    RecentFileList& recent_;
    CQVXView* view_;
    std::unique_ptr<QtStructureDialogs> structureDialogs_;
    std::unique_ptr<FieldOperations> fields_;
    std::unique_ptr<QtSyntaxDialogs> syntaxDialogs_;
    std::unique_ptr<SyntaxCommands> syntax_;
    std::array<QLabel*, 10> panes_{};
    struct CommandRule {
        QAction* action;
        std::function<bool()> enabled;
        std::function<bool()> checked;
    };
    std::vector<CommandRule> rules_;
    QMenu* recentMenu_ = nullptr;
    QAction* recentEnd_ = nullptr;  ///< the recent files stand before this separator
    std::vector<QAction*> recentActions_;
};

}  // namespace quill
