// The main window.
#include "app/ui/CMainFrame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QWindow>

#include "app/RecentFileList.h"
#include "app/Settings.h"
#include "document/CQVXDoc.h"
#include "platform/qt/Cp1252.h"
#include "view/ui/CQVXView.h"

namespace quill {

namespace {

QString PathToQt(const std::string& path) { return QString::fromLocal8Bit(path.c_str()); }
std::string PathFromQt(const QString& path) { return path.toLocal8Bit().toStdString(); }

}  // namespace

CMainFrame::CMainFrame(CQVXDoc& doc, Settings& settings, RecentFileList& recent, QWidget* parent)
    : QMainWindow(parent), doc_(doc), settings_(settings), recent_(recent), view_(new CQVXView(doc, settings, this))
{
    setCentralWidget(view_);
    CreateStatusBar();
    CreateMenus();
    connect(view_, &CQVXView::statusTextChanged, this, &CMainFrame::SetPaneText);
    connect(view_, &CQVXView::documentChanged, this, &CMainFrame::RefreshAll);
    doc_.SetView(view_);
    resize(900, 640);
    setAcceptDrops(true);
    RefreshAll();
}

CMainFrame::~CMainFrame() { doc_.SetView(nullptr); }

QAction* CMainFrame::AddAction(QMenu* menu, const QString& text, const QKeySequence& key, void (CMainFrame::*slot)())
{
    QAction* action = menu->addAction(text, this, slot);
    if (!key.isEmpty())
        action->setShortcut(key);
    return action;
}

void CMainFrame::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    AddAction(file, QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_F4), &CMainFrame::OnFileNew);
    AddAction(file, QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O), &CMainFrame::OnFileOpen);
    save_ = AddAction(file, QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S), &CMainFrame::OnFileSave);
    AddAction(file, QStringLiteral("Save &As..."), {}, &CMainFrame::OnFileSaveAs);
    file->addSeparator();
    reload_ = AddAction(file, QStringLiteral("Reload"), QKeySequence(Qt::Key_F5), &CMainFrame::OnReload);
    autoReload_ = file->addAction(QStringLiteral("Auto Reload"), this, [this] { OnAutoReload(1); });
    autoReloadEnd_ = file->addAction(QStringLiteral("Auto Reload  && File End"), this, [this] { OnAutoReload(2); });
    autoReload_->setCheckable(true);
    autoReloadEnd_->setCheckable(true);
    file->addSeparator();
    prevFile_ = file->addAction(QStringLiteral("Load Prev. File"), this, [this] { OnNeighbourFile(false); });
    prevFile_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    nextFile_ = file->addAction(QStringLiteral("Load Next File"), this, [this] { OnNeighbourFile(true); });
    nextFile_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    file->addSeparator();
    recentMenu_ = file;
    recentEnd_ = file->addSeparator();
    // Escape itself only clears a selection; the label just reminds of the old habit.
    file->addAction(QStringLiteral("E&xit\tEsc"), this, &QWidget::close);
    connect(file, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    RebuildRecentMenu();

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    bookmark_ = AddAction(view, QStringLiteral("&Bookmark"), QKeySequence(Qt::CTRL | Qt::Key_F2),
                          &CMainFrame::OnToggleBookmark);
    view->addAction(QStringLiteral("Next Bookmark"), QKeySequence(Qt::Key_F2), this, [this] { OnGoToBookmark(true); });
    view->addAction(QStringLiteral("Prev. Bookmark"), QKeySequence(Qt::SHIFT | Qt::Key_F2), this,
                    [this] { OnGoToBookmark(false); });
    AddAction(view, QStringLiteral("Remove Bookmarks"), {}, &CMainFrame::OnRemoveBookmarks);
    connect(view, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
}

void CMainFrame::CreateStatusBar()
{
    static const int kWidths[10] = {0, 100, 160, 120, 104, 40, 30, 0, 0, 30};
    for (int pane : {1, 2, 3, 4, 5, 6, 9}) {
        auto* label = new QLabel(this);
        label->setMinimumWidth(kWidths[pane]);
        label->setObjectName(QStringLiteral("pane%1").arg(pane));
        statusBar()->addWidget(label, pane == 1 ? 1 : 0);
        panes_[pane] = label;
    }
    panes_[4]->setText(QStringLiteral("NO STRUCTURE"));
    panes_[5]->setText(QStringLiteral("<ANSI>"));
    panes_[6]->setText(QStringLiteral("CRLF"));
}

void CMainFrame::SetPaneText(int pane, const QString& text)
{
    if (pane >= 0 && pane < static_cast<int>(panes_.size()) && panes_[pane])
        panes_[pane]->setText(text);
}

QString CMainFrame::PaneText(int pane) const
{
    return pane >= 0 && pane < static_cast<int>(panes_.size()) && panes_[pane] ? panes_[pane]->text() : QString();
}

void CMainFrame::UpdateCommandStates()
{
    const bool path = doc_.HasPath();
    save_->setEnabled(doc_.IsModified());
    reload_->setEnabled(path);
    autoReload_->setEnabled(path);
    autoReloadEnd_->setEnabled(path);
    prevFile_->setEnabled(path);
    nextFile_->setEnabled(path);
    bookmark_->setEnabled(path);
    autoReload_->setChecked(doc_.AutoReloadMode() == 1);
    autoReloadEnd_->setChecked(doc_.AutoReloadMode() == 2);
}

void CMainFrame::UpdateTitle()
{
    const std::string title = doc_.HasPath() ? doc_.Title() : std::string("Untitled");
    setWindowTitle(PathToQt(title) + QStringLiteral(" - Quillarium"));
}

void CMainFrame::RefreshAll()
{
    UpdateTitle();
    UpdateCommandStates();
    view_->RedrawAll();
}

void CMainFrame::RebuildRecentMenu()
{
    for (QAction* action : recentActions_)
        delete action;
    recentActions_.clear();
    const auto& files = recent_.Files();
    for (std::size_t i = 0; i < files.size(); ++i) {
        QString name = PathToQt(files[i]).replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name), recentMenu_);
        connect(action, &QAction::triggered, this, [this, i] { OnRecentFile(static_cast<int>(i)); });
        recentMenu_->insertAction(recentEnd_, action);
        recentActions_.push_back(action);
    }
}

bool CMainFrame::OpenFile(const std::string& path)
{
    if (!doc_.SaveModified())
        return false;
    const bool opened = doc_.OnOpenDocument(path);
    if (opened) {
        recent_.Add(doc_.Path());
        RebuildRecentMenu();
    }
    RefreshAll();
    return opened;
}

void CMainFrame::OnFileNew()
{
    if (!doc_.SaveModified())
        return;
    doc_.OnNewDocument();
    RefreshAll();
}

void CMainFrame::OnFileOpen()
{
    QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), QString(),
                                                  QStringLiteral("All Files (*);;Any File (*.txt)"));
    if (!chosen.isEmpty())
        OpenFile(PathFromQt(chosen));
}

void CMainFrame::OnFileSave()
{
    if (doc_.OnSaveDocument(doc_.Path()) && !doc_.Path().empty()) {
        recent_.Add(doc_.Path());
        RebuildRecentMenu();
    }
    RefreshAll();
}

void CMainFrame::OnFileSaveAs()
{
    QString proposed = doc_.HasPath() ? PathToQt(doc_.Path()) : PathToQt(doc_.Title());
    QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), proposed,
                                                  QStringLiteral("Any File (*.txt);;All Files (*)"));
    if (chosen.isEmpty())
        return;
    if (doc_.OnSaveDocument(PathFromQt(chosen))) {
        recent_.Add(doc_.Path());
        RebuildRecentMenu();
    }
    RefreshAll();
}

void CMainFrame::OnReload()
{
    doc_.Reload();
    RefreshAll();
}

void CMainFrame::OnAutoReload(int mode)
{
    doc_.ToggleAutoReload(mode);
    RefreshAll();
}

void CMainFrame::OnNeighbourFile(bool next)
{
    doc_.LoadNeighbourFile(next);
    RefreshAll();
}

void CMainFrame::OnRecentFile(int index)
{
    const auto& files = recent_.Files();
    if (index < 0 || index >= static_cast<int>(files.size()))
        return;
    const std::string path = files[static_cast<std::size_t>(index)];
    if (!OpenFile(path) && doc_.Path() != path) {
        recent_.Remove(path);
        RebuildRecentMenu();
    }
}

void CMainFrame::OnToggleBookmark()
{
    if (!doc_.HasPath())
        return;  // the key works even while the menu entry is grey
    doc_.ToggleBookmark();
    view_->RedrawAll();
}

void CMainFrame::OnGoToBookmark(bool forward) { doc_.GoToBookmark(false, forward); }

void CMainFrame::OnRemoveBookmarks() { doc_.RemoveBookmarks(); }

bool CMainFrame::RestorePlacement()
{
    if (!settings_.mainWndPos)
        return false;
    const auto& bytes = *settings_.mainWndPos;
    return restoreGeometry(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!doc_.SaveModified()) {
        event->ignore();
        return;
    }
    // A minimised window keeps the placement of the previous close.
    if (!isMinimized()) {
        QByteArray geometry = saveGeometry();
        settings_.mainWndPos = std::vector<std::uint8_t>(geometry.begin(), geometry.end());
    }
    // The settings must never carry what binary mode replaced.
    if (doc_.BinaryMode())
        doc_.SwitchBinaryMode();
    doc_.DeleteContents();
    event->accept();
}

}  // namespace quill

namespace quill {

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    // One document at a time: the first local file dropped is opened.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            OpenFile(PathFromQt(url.toLocalFile()));
            return;
        }
    }
}

}  // namespace quill
