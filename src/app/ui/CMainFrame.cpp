// The main window.
#include "app/ui/CMainFrame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QWindow>

#include "app/RecentFileList.h"
#include "app/ui/OptionsDialog.h"
#include "common/PhaseTimer.h"
#include "document/CQVXDoc.h"
#include "platform/qt/Cp1252.h"
#include "settings/Settings.h"
#include "structure/FieldOperations.h"
#include "structure/ui/QtStructureDialogs.h"
#include "syntax/SyntaxCommands.h"
#include "syntax/ui/QtSyntaxDialogs.h"
#include "view/ui/CQVXView.h"

namespace quill {

namespace {

QString PathToQt(const std::string& path) { return QString::fromLocal8Bit(path.c_str()); }
std::string PathFromQt(const QString& path) { return path.toLocal8Bit().toStdString(); }

}  // namespace

CMainFrame::CMainFrame(CQVXDoc& doc, Settings& settings, RecentFileList& recent, QWidget* parent)
    : QMainWindow(parent),
      doc_(doc),
      settings_(settings),
      recent_(recent),
      view_(new CQVXView(doc, settings, this)),
      structureDialogs_(std::make_unique<QtStructureDialogs>(this)),
      fields_(std::make_unique<FieldOperations>(doc, *structureDialogs_)),
      syntaxDialogs_(std::make_unique<QtSyntaxDialogs>(this)),
      syntax_(std::make_unique<SyntaxCommands>(doc, *syntaxDialogs_,
                                               [this](const std::string& path) { return fields_->AskMask(path); }))
{
    setCentralWidget(view_);
    CreateStatusBar();
    CreateMenus();
    connect(view_, &CQVXView::statusTextChanged, this, &CMainFrame::SetPaneText);
    connect(view_, &CQVXView::documentChanged, this, &CMainFrame::RefreshAll);
    connect(view_, &CQVXView::rowChanged, this, [this] {
        UpdateTitle();
        UpdateCommandStates();
    });
    doc_.SetView(view_);
    view_->installEventFilter(this);
    resize(900, 640);
    setAcceptDrops(true);
    RefreshAll();
}

CMainFrame::~CMainFrame() { doc_.SetView(nullptr); }

QAction* CMainFrame::Command(QMenu* menu, const QString& text, const QKeySequence& key, std::function<void()> run,
                             std::function<bool()> enabled, std::function<bool()> checked)
{
    QAction* action = menu->addAction(text);
    if (!key.isEmpty())
        action->setShortcut(key);
    action->setCheckable(static_cast<bool>(checked));
    connect(action, &QAction::triggered, this, [this, action, run = std::move(run)] {
        UpdateCommandStates();
        if (!action->isEnabled())
            return;  // a key of a grey entry does nothing
        run();
        RefreshAll();
    });
    rules_.push_back({action, std::move(enabled), std::move(checked)});
    return action;
}

void CMainFrame::CreateMenus()
{
    auto path = [this] { return doc_.HasPath(); };
    auto selectionCommand = [this] { return doc_.CanRunSelectionCommand(); };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    Command(file, QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_F4), [this] { OnFileNew(); });
    Command(file, QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O), [this] { OnFileOpen(); });
    Command(
        file, QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S), [this] { OnFileSave(); },
        [this] { return doc_.IsModified(); });
    Command(file, QStringLiteral("Save &As..."), {}, [this] { OnFileSaveAs(); });
    file->addSeparator();
    Command(
        file, QStringLiteral("Reload"), QKeySequence(Qt::Key_F5), [this] { doc_.Reload(); }, path);
    Command(
        file, QStringLiteral("Auto Reload"), {}, [this] { doc_.ToggleAutoReload(1); }, path,
        [this] { return doc_.AutoReloadMode() == 1; });
    Command(
        file, QStringLiteral("Auto Reload  && File End"), {}, [this] { doc_.ToggleAutoReload(2); }, path,
        [this] { return doc_.AutoReloadMode() == 2; });
    file->addSeparator();
    Command(
        file, QStringLiteral("Load Prev. File"), QKeySequence(Qt::CTRL | Qt::Key_PageUp),
        [this] { doc_.LoadNeighbourFile(false); }, path);
    Command(
        file, QStringLiteral("Load Next File"), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
        [this] { doc_.LoadNeighbourFile(true); }, path);
    file->addSeparator();
    recentMenu_ = file;
    recentEnd_ = file->addSeparator();
    // Escape itself only clears a selection; the label just reminds of the old habit.
    file->addAction(QStringLiteral("E&xit\tEsc"), this, &QWidget::close);
    RebuildRecentMenu();

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    Command(
        edit, QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { doc_.Undo(); },
        [this] { return doc_.CanUndo(); });
    auto selection = [this] { return doc_.HasSelection(); };
    auto clip = [this](auto action) {
        return [this, action] {
            action(view_->Input().Clip());
            view_->AfterEdit();
        };
    };
    Command(edit, QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X),
            clip([](ClipboardEditing& c) { c.Cut(); }), selection);
    Command(edit, QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
            clip([](ClipboardEditing& c) { c.Copy(); }), selection);
    Command(edit, QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V),
            clip([](ClipboardEditing& c) { c.Paste(false); }));
    Command(edit, QStringLiteral("Paste As Block"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V),
            clip([](ClipboardEditing& c) { c.Paste(true); }));
    Command(edit, QStringLiteral("Paste && Replace Counter"), {},
            clip([](ClipboardEditing& c) { c.PasteWithCounter(); }));
    Command(edit, QStringLiteral("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A), [this] { view_->SelectAll(); });
    Command(edit, QStringLiteral("Insert HEX"), QKeySequence(Qt::CTRL | Qt::Key_I), [this] {
        view_->Navigate().InsertHex(view_->Input().Editing());
        view_->AfterEdit();
    });
    edit->addSeparator();
    Command(edit, QStringLiteral("&Convert CRLF<->LF"), {}, [this] { doc_.ConvertTerminators(); });
    Command(
        edit, QStringLiteral("Fixate Wrapping With Line Terminations"), {}, [this] { doc_.FixateWrapping(); },
        selectionCommand);
    Command(
        edit, QStringLiteral("Trim Lines"), {}, [this] { doc_.TrimLines(); }, selectionCommand);
    Command(
        edit, QStringLiteral("Extend Lines To Same Length"), {}, [this] { doc_.ExtendLines(); }, selectionCommand);
    Command(edit, QStringLiteral("Convert TABs to Spaces"), {}, [this] { doc_.TabsToSpaces(); });
    Command(edit, QStringLiteral("Convert Spaces to TABs"), {}, [this] { doc_.SpacesToTabs(); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    Command(
        view, QStringLiteral("Control Chars"), QKeySequence(Qt::Key_F10),
        [this] { settings_.viewControlChars = !settings_.viewControlChars; }, {},
        [this] { return settings_.viewControlChars != 0; });
    Command(
        view, QStringLiteral("Line Termination"), QKeySequence(Qt::Key_F7),
        [this] { settings_.viewLineTermination = !settings_.viewLineTermination; }, {},
        [this] { return settings_.viewLineTermination != 0; });
    Command(
        view, QStringLiteral("Cross Wires"), QKeySequence(Qt::Key_F12),
        [this] { settings_.viewCrossWires = !settings_.viewCrossWires; }, {},
        [this] { return settings_.viewCrossWires != 0; });
    Command(view, QStringLiteral("Current Offset?"), QKeySequence(Qt::CTRL | Qt::Key_Q),
            [this] { view_->Navigate().ShowCurrentOffset(); });
    view->addSeparator();
    Command(
        view, QStringLiteral("Wrap Lines At..."), {}, [this] { doc_.WrapLinesAt(); }, {},
        [this] { return settings_.maxLineLen < Settings::kNoLineLimit && !settings_.truncateAtBorder; });
    Command(
        view, QStringLiteral("Wrap Lines At Window Border"), {}, [this] { doc_.ToggleWrapAtWindowBorder(); }, {},
        [this] { return settings_.truncateAtBorder != 0; });
    Command(
        view, QStringLiteral("Ignore Format Codes"), {}, [this] { doc_.ToggleIgnoreFormatCodes(); }, {},
        [this] { return doc_.IgnoreFormatCodes(); });
    Command(
        view, QStringLiteral("Word Wrap"), {}, [this] { doc_.ToggleWordWrap(); }, {},
        [this] { return settings_.wordWrap != 0; });
    view->addSeparator();
    Command(
        view, QStringLiteral("&Bookmark"), QKeySequence(Qt::CTRL | Qt::Key_F2), [this] { doc_.ToggleBookmark(); },
        path);
    Command(view, QStringLiteral("Next Bookmark"), QKeySequence(Qt::Key_F2),
            [this] { doc_.GoToBookmark(false, true); });
    Command(view, QStringLiteral("Prev. Bookmark"), QKeySequence(Qt::SHIFT | Qt::Key_F2),
            [this] { doc_.GoToBookmark(false, false); });
    Command(view, QStringLiteral("Remove Bookmarks"), {}, [this] { doc_.RemoveBookmarks(); });
    view->addSeparator();
    Command(
        view, QStringLiteral("Binary Mode"), QKeySequence(Qt::Key_F6), [this] { doc_.SwitchBinaryMode(); }, {},
        [this] { return doc_.BinaryMode(); });

    QMenu* structure = menuBar()->addMenu(QStringLiteral("Str&ucture"));
    auto active = [this] { return doc_.Structure().IsActive(); };
    auto fieldAtCursor = [this] { return fields_->HasFieldAtCursor(); };
    Command(
        structure, QStringLiteral("&Off"), {}, [this] { doc_.StructureOff(); }, active);
    Command(structure, QStringLiteral("&Open"), {}, [this] { fields_->OpenStructure(); });
    Command(structure, QStringLiteral("&Modify"), {}, [this] { fields_->ModifyStructureCommand(); });
    Command(
        structure, QStringLiteral("&Save As..."), {}, [this] { fields_->SaveStructureAs(); }, active);
    structure->addSeparator();
    Command(
        structure, QStringLiteral("Add Field"), QKeySequence(Qt::CTRL | Qt::Key_N), [this] { fields_->AddField(); },
        [this] { return fields_->CanAddField(); });
    Command(
        structure, QStringLiteral("Modify Field"), QKeySequence(Qt::CTRL | Qt::Key_M),
        [this] { fields_->ModifyField(); }, fieldAtCursor);
    Command(
        structure, QStringLiteral("&Delete Field"), {}, [this] { fields_->DeleteField(); }, fieldAtCursor);
    Command(
        structure, QStringLiteral("Copy Record Type"), {}, [this] { fields_->CopyRecordType(); },
        [this] { return fields_->CanCopyRecordType(); });
    Command(
        structure, QStringLiteral("&S&um Field"), {}, [this] { fields_->SumField(); }, fieldAtCursor);
    Command(
        structure, QStringLiteral("Max Field"), {}, [this] { fields_->MaxField(); }, fieldAtCursor);
    Command(
        structure, QStringLiteral("Sort by Fields"), {}, [this] { fields_->SortByFields(); }, active);

    QMenu* syntax = menuBar()->addMenu(QStringLiteral("Synta&x"));
    auto syntaxActive = [this] { return doc_.Syntax().IsActive(); };
    Command(
        syntax, QStringLiteral("&Off"), {}, [this] { syntax_->SyntaxOff(); }, syntaxActive);
    Command(syntax, QStringLiteral("&Open"), {}, [this] { syntax_->SyntaxOpen(); });
    Command(syntax, QStringLiteral("&Modify"), QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { syntax_->SyntaxModify(); });
    Command(
        syntax, QStringLiteral("&Save As..."), {}, [this] { syntax_->SyntaxSaveAs(); }, syntaxActive);

    QMenu* charset = menuBar()->addMenu(QStringLiteral("&Charset"));
    auto tableActive = [this] { return doc_.Charset().IsActive(); };
    Command(
        charset, QStringLiteral("&Off"), {}, [this] { syntax_->CharsetOff(); }, tableActive);
    Command(charset, QStringLiteral("O&pen..."), QKeySequence(Qt::Key_F9), [this] { syntax_->CharsetOpen(); });
    Command(charset, QStringLiteral("&Modify"), {}, [this] { syntax_->CharsetModify(); });
    Command(
        charset, QStringLiteral("Save &As..."), {}, [this] { syntax_->CharsetSaveAs(); }, tableActive);
    Command(charset, QStringLiteral("&Convert"), {}, [this] { syntax_->CharsetConvert(); });

    QMenu* search = menuBar()->addMenu(QStringLiteral("&Search"));
    auto navigate = [this](auto action) {
        return [this, action] {
            action(view_->Navigate());
            view_->AfterEdit();
        };
    };
    auto find = [this](auto action) {
        return [this, action] {
            action(view_->Search());
            view_->AfterEdit();
        };
    };
    Command(search, QStringLiteral("&Find"), QKeySequence(Qt::CTRL | Qt::Key_F),
            find([](SearchMenu& s) { s.Find(false); }));
    Command(search, QStringLiteral("Find &Next"), QKeySequence(Qt::Key_F3), find([](SearchMenu& s) { s.FindNext(); }));
    Command(search, QStringLiteral("Find &Prev."), QKeySequence(Qt::SHIFT | Qt::Key_F3),
            find([](SearchMenu& s) { s.FindPrevious(); }));
    Command(search, QStringLiteral("&Replace"), QKeySequence(Qt::CTRL | Qt::Key_R),
            find([](SearchMenu& s) { s.Replace(); }));
    Command(search, QStringLiteral("Replace in Folder"), {}, find([](SearchMenu& s) { s.ReplaceInFolder(); }));
    Command(search, QStringLiteral("&Count"), QKeySequence(Qt::CTRL | Qt::Key_U),
            find([](SearchMenu& s) { s.Count(); }));
    search->addSeparator();
    auto structureActive = [this] { return doc_.Structure().IsActive(); };
    Command(search, QStringLiteral("Find Field"), QKeySequence(Qt::CTRL | Qt::Key_E),
            navigate([](Navigation& n) { n.FindField(); }), structureActive);
    Command(search, QStringLiteral("Find Next Field"), QKeySequence(Qt::Key_F4),
            navigate([](Navigation& n) { n.FindNextField(); }), structureActive);
    Command(search, QStringLiteral("Find Prev. Field"), QKeySequence(Qt::SHIFT | Qt::Key_F4),
            navigate([](Navigation& n) { n.FindPrevField(); }), structureActive);
    search->addSeparator();
    Command(search, QStringLiteral("Go To &Line/Column"), QKeySequence(Qt::CTRL | Qt::Key_G),
            navigate([](Navigation& n) { n.GoToLineColumn(); }));
    Command(search, QStringLiteral("Go To &Byte"), QKeySequence(Qt::CTRL | Qt::Key_B),
            navigate([](Navigation& n) { n.GoToByte(); }));
    Command(search, QStringLiteral("Go to Current Offset+Selected Bytes"), QKeySequence(Qt::CTRL | Qt::Key_Plus),
            navigate([](Navigation& n) { n.GoToOffsetPlusSelection(); }), [this] { return doc_.selectionValue != 0; });
    Command(search, QStringLiteral("Find Undisplayable Character"), QKeySequence(Qt::CTRL | Qt::Key_NumberSign),
            [this] { doc_.FindUndisplayable(); });
    Command(search, QStringLiteral("Find Word under Cursor"), QKeySequence(Qt::Key_F11),
            find([](SearchMenu& s) { s.FindWordUnderCursor(); }));

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    Command(options, QStringLiteral("&Font"), {}, [this] {
        if (RunFontDialog(this, settings_))
            view_->ApplyFont();
    });
    Command(options, QStringLiteral("Options"), {}, [this] { RunOptionsDialog(this, settings_, doc_); });
    Command(options, QStringLiteral("Visible Character Codes"), {},
            [this] { RunVisibleCodesDialog(this, settings_, view_->TextFont()); });

    for (QMenu* menu : {file, edit, view, structure, syntax, charset, search, options})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
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

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // Before a key is matched against the shortcuts, the commands' states are brought up to date:
    // a grey action's shortcut would not fire, and one that should be grey must not.
    if (event->type() == QEvent::ShortcutOverride)
        UpdateCommandStates();
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::UpdateCommandStates()
{
    for (const CommandRule& rule : rules_) {
        rule.action->setEnabled(!rule.enabled || rule.enabled());
        if (rule.checked)
            rule.action->setChecked(rule.checked());
    }
    panes_[9]->setText(doc_.OverwriteMode() ? QStringLiteral("OVR") : QString());
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

bool CMainFrame::RestorePlacement()
{
    if (!settings_.mainWndPos)
        return false;
    const auto& bytes = *settings_.mainWndPos;
    return restoreGeometry(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
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
    PhaseTimer::Mark("document left");
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
