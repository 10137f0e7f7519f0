// The main window.
#include "app/ui/MainWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWindow>

#include "app/CommandTable.h"
#include "app/RecentFileList.h"
#include "app/ui/DesktopEntryBar.h"
#include "app/ui/ElidedLabel.h"
#include "app/ui/FileAssignmentsDialog.h"
#include "app/ui/FilterPane.h"
#include "app/ui/NoticeBar.h"
#include "app/ui/OptionsDialog.h"
#include "commands/FieldOperations.h"
#include "commands/SearchMenu.h"
#include "commands/SyntaxCommands.h"
#include "common/PhaseTimer.h"
#include "document/Document.h"
#include "platform/PosixProcessStarter.h"
#include "platform/qt/Cp1252.h"
#include "platform/qt/DialogWindow.h"
#include "platform/qt/QtFileDialogs.h"
#include "print/ui/DocumentPrinter.h"
#include "print/ui/PageSetupDialog.h"
#include "search/ui/QtSearchDialogs.h"
#include "settings/Settings.h"
#include "structure/ui/QtStructureDialogs.h"
#include "syntax/ui/QtSyntaxDialogs.h"
#include "text/FileStatus.h"
#include "tools/ExternalTools.h"
#include "view/ui/TextView.h"

namespace quill {

namespace {

QString PathToQt(const std::string& path) { return QString::fromLocal8Bit(path.c_str()); }
std::string PathFromQt(const QString& path) { return path.toLocal8Bit().toStdString(); }

}  // namespace

MainWindow::MainWindow(Document& doc, Settings& settings, RecentFileList& recent, QWidget* parent)
    : QMainWindow(parent),
      doc_(doc),
      settings_(settings),
      recent_(recent),
      view_(new TextView(doc, settings, this)),
      searchDialogs_(std::make_unique<QtSearchDialogs>(view_, doc.Ports().files)),
      search_(std::make_unique<SearchMenu>(doc, view_->State(), *searchDialogs_, view_->Input())),
      structureDialogs_(std::make_unique<QtStructureDialogs>(this)),
      fields_(std::make_unique<FieldOperations>(doc, *structureDialogs_)),
      syntaxDialogs_(std::make_unique<QtSyntaxDialogs>(this)),
      syntax_(std::make_unique<SyntaxCommands>(doc, *syntaxDialogs_,
                                               [this](const std::string& path) { return fields_->AskMask(path); })),
      processes_(std::make_unique<PosixProcessStarter>()),
      tools_(std::make_unique<ExternalTools>(doc, search_->Searcher(), search_->Options().query, *processes_,
                                             QCoreApplication::applicationFilePath().toLocal8Bit().toStdString()))
{
    // The text, with room above it for the first start's offer.
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    desktopEntryBar_ = new DesktopEntryBar(
        doc.Ports().prompter, QCoreApplication::applicationFilePath().toLocal8Bit().toStdString(), central);
    column->addWidget(desktopEntryBar_);
    // The keys Linux users press without thinking do other things in the command table: the
    // first start says so, and the scheme is one press away.
    keySchemeBar_ =
        new NoticeBar(QStringLiteral("Ctrl+Q, Ctrl+W and Ctrl+Y do not quit, close and redo here: the desktop key "
                                     "scheme has them (Options > Options > Keys)."),
                      central);
    QPushButton* desktopKeys = keySchemeBar_->AddButton(QStringLiteral("Use Desktop Keys"));
    QPushButton* keepKeys = keySchemeBar_->AddButton(QStringLiteral("Keep These"));
    connect(desktopKeys, &QPushButton::clicked, this, [this] {
        settings_.keyScheme = 1;
        ApplyKeyScheme();
        keySchemeBar_->hide();
    });
    connect(keepKeys, &QPushButton::clicked, keySchemeBar_, &QWidget::hide);
    column->addWidget(keySchemeBar_);
    // Another program changed the open file: the user decides when the text is read again.
    changedOnDiskBar_ = new NoticeBar(QStringLiteral("The file has been changed on disk by another program."), central);
    QPushButton* reload = changedOnDiskBar_->AddButton(QStringLiteral("Reload"));
    QPushButton* keep = changedOnDiskBar_->AddButton(QStringLiteral("Keep This Text"));
    connect(reload, &QPushButton::clicked, this, [this] {
        changedOnDiskBar_->hide();
        doc_.Reload();
        RefreshAll();
    });
    connect(keep, &QPushButton::clicked, changedOnDiskBar_, &QWidget::hide);
    column->addWidget(changedOnDiskBar_);
    // The filter pane below the text, as high as the user drags it.
    auto* split = new QSplitter(Qt::Vertical, central);
    split->addWidget(view_);
    filterPane_ = new FilterPane(doc_, *view_, split);
    split->addWidget(filterPane_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    filterPane_->hide();
    connect(filterPane_, &FilterPane::closeRequested, this, [this] {
        filterPane_->hide();
        view_->setFocus();
        UpdateCommandStates();
    });
    connect(view_, &TextView::lineCtrlClicked, this, [this](qlonglong line) {
        if (!filterPane_->isHidden())
            filterPane_->ToggleMark(static_cast<LineIndex>(line));
    });
    column->addWidget(split, 1);
    setCentralWidget(central);
    setWindowIcon(QIcon(QStringLiteral(":/icons/quillarium.svg")));
    CreateStatusBar();
    CreateCommands();
    connect(view_, &TextView::statusTextChanged, this, &MainWindow::SetPaneText);
    connect(view_, &TextView::documentChanged, this, &MainWindow::RefreshAll);
    connect(view_, &TextView::fileChangedOnDisk, this, [this] {
        // The bar speaks of this text: another file or a new reading of it takes it away.
        changedOnDiskFor_ = {doc_.File().Path(), doc_.File().ModificationTime()};
        changedOnDiskBar_->show();
    });
    connect(view_, &TextView::rowChanged, this, &MainWindow::UpdateCommandStates);
    // A file loading in the background is read on between events, a block at a time; the first
    // paint after a load starts it.
    loadTimer_ = new QTimer(this);
    loadTimer_->setInterval(1);
    // The end of the load tells the window (documentChanged), which refreshes all.
    connect(loadTimer_, &QTimer::timeout, this, [this] {
        if (!doc_.LoadMore())
            loadTimer_->stop();
    });
    connect(view_, &TextView::painted, this, [this] {
        if (doc_.LoadingInBackground() && !loadTimer_->isActive())
            loadTimer_->start();
    });
    doc_.SetView(view_);
    // The followed file is watched here, for the document, which takes the notices and ticks.
    doc_.Follow().SetWatcher(&fileWatcher_);
    view_->installEventFilter(this);
    resize(900, 640);
    setAcceptDrops(true);
    RefreshAll();
}

MainWindow::~MainWindow()
{
    doc_.Follow().SetWatcher(nullptr);
    doc_.SetView(nullptr);
}

namespace {

// The toolbar's pictures, drawn for this program (data/icons).
const char* IconName(CommandId id)
{
    switch (id) {
    case CommandId::FileNew: return "new";
    case CommandId::FileOpen: return "open";
    case CommandId::AutoReloadFileEnd: return "auto-reload-end";
    case CommandId::FileSave: return "save";
    case CommandId::Cut: return "cut";
    case CommandId::Copy: return "copy";
    case CommandId::Paste: return "paste";
    case CommandId::Undo: return "undo";
    case CommandId::Print: return "print";
    case CommandId::SelectCharset: return "select-charset";
    case CommandId::ControlChars: return "control-chars";
    case CommandId::LineTermination: return "line-termination";
    case CommandId::CrossWires: return "cross-wires";
    case CommandId::BinaryMode: return "binary-mode";
    case CommandId::Find: return "find";
    case CommandId::AutoIndent: return "auto-indent";
    case CommandId::WordWrap: return "word-wrap";
    case CommandId::WrapLinesAt: return "wrap-lines-at";
    case CommandId::WrapAtWindowBorder: return "wrap-window-border";
    case CommandId::ConvertTerminators: return "convert-crlf";
    case CommandId::CharsetConvert: return "charset-convert";
    case CommandId::OpenStructureToggle: return "structure-toggle";
    case CommandId::StructureModify: return "structure-modify";
    case CommandId::AddField: return "add-field";
    case CommandId::ModifyField: return "modify-field";
    case CommandId::DeleteField: return "delete-field";
    case CommandId::SumField: return "sum-field";
    case CommandId::MaxField: return "max-field";
    default: return nullptr;
    }
}

}  // namespace

namespace {

// The commands that only read what is shown, or leave the file: they need not wait for the rest.
bool WorksOnAPart(CommandId id)
{
    switch (id) {
    case CommandId::FileOpen:
    case CommandId::FileNew:
    case CommandId::FileClose:
    case CommandId::Exit:
    case CommandId::LoadPrevFile:
    case CommandId::LoadNextFile:
    case CommandId::Copy:
    case CommandId::ViewToolbar:
    case CommandId::ViewStatusBar:
    case CommandId::LineNumbers:
    case CommandId::FilterPane:
    case CommandId::MarkLine:
    case CommandId::ControlChars:
    case CommandId::LineTermination:
    case CommandId::CrossWires:
    case CommandId::CurrentOffset: return true;
    default: return false;
    }
}

}  // namespace

QAction* MainWindow::ActionFor(const CommandEntry& entry)
{
    if (QAction* known = actions_.value(static_cast<int>(entry.id)))
        return known;
    auto* action = new QAction(this);
    SetKeys(action, entry);
    action->setCheckable(entry.check != CheckRule::None);
    if (const char* icon = IconName(entry.id))
        action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icon))));
    const CommandId id = entry.id;
    connect(action, &QAction::triggered, this, [this, action, id] {
        UpdateCommandStates();
        if (!action->isEnabled())
            return;  // a key of a grey entry does nothing
        // Commands that need the whole text wait for the rest of a file loading in the background.
        if (doc_.LoadingInBackground() && !WorksOnAPart(id))
            doc_.CompleteBackgroundLoad();
        if (const auto handler = handlers_.find(id); handler != handlers_.end())
            handler->second();
        // A command acts on the text: the keys go there after it (and after its dialog), not to the
        // filter list or field that had them before. The filter pane's own commands keep the pane.
        if (id != CommandId::FilterPane && id != CommandId::MarkLine)
            view_->setFocus();
        RefreshAll();
    });
    actions_.insert(static_cast<int>(entry.id), action);
    return action;
}

QAction* MainWindow::Action(CommandId id) const { return actions_.value(static_cast<int>(id)); }

void MainWindow::SetKeys(QAction* action, const CommandEntry& entry) const
{
    const auto scheme = settings_.keyScheme == 1 ? KeyScheme::Desktop : KeyScheme::CommandTable;
    QString text = QString::fromLatin1(entry.text);
    const std::vector<std::string> keys = KeysOf(entry, scheme);
    if (entry.id == CommandId::Exit && keys.empty())
        text += QStringLiteral("\tEsc");  // Escape itself only clears a selection; the label reminds of the old habit
    action->setText(text);
    QList<QKeySequence> sequences;
    for (const std::string& key : keys)
        sequences << QKeySequence(QString::fromStdString(key), QKeySequence::PortableText);
    action->setShortcuts(sequences);
    // The tooltip names the key too, as the menu does.
    QString tip = *entry.toolTip ? QString::fromLatin1(entry.toolTip) : QString::fromStdString(PlainText(entry.text));
    action->setStatusTip(tip);
    if (!sequences.isEmpty())
        tip += QStringLiteral(" (%1)").arg(sequences.front().toString(QKeySequence::NativeText));
    action->setToolTip(tip);
}

bool MainWindow::OfferDesktopKeys()
{
    if (settings_.keyScheme == 1)
        return false;
    keySchemeBar_->show();
    return true;
}

void MainWindow::ApplyKeyScheme()
{
    for (const CommandEntry& entry : CommandTable())
        if (QAction* action = Action(entry.id); action && entry.id != CommandId::None)
            SetKeys(action, entry);
}

void MainWindow::CreateCommands()
{
    RegisterHandlers();
    for (const std::string& title : MenuTitles()) {
        QMenu* menu = menuBar()->addMenu(QString::fromStdString(title));
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateCommandStates);
        for (const CommandEntry& entry : CommandTable()) {
            if (title != entry.menu)
                continue;
            if (entry.id == CommandId::None) {
                menu->addSeparator();
                continue;
            }
            if (entry.id == CommandId::Exit) {
                // The recent files stand between the last commands and Exit.
                recentMenu_ = menu;
                recentEnd_ = menu->addSeparator();
            }
            menu->addAction(ActionFor(entry));
        }
    }
    toolbar_ = addToolBar(QStringLiteral("Toolbar"));
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setIconSize(QSize(16, 16));
    for (CommandId id : ToolbarOrder()) {
        if (id == CommandId::None)
            toolbar_->addSeparator();
        else if (const CommandEntry* entry = FindCommand(id))
            toolbar_->addAction(ActionFor(*entry));
    }
    // The bars' visibility comes from the settings and goes back to them.
    toolbar_->setVisible(settings_.showToolbar != 0);
    statusBar()->setVisible(settings_.showStatusBar != 0);
    RebuildRecentMenu();
}

void MainWindow::RegisterHandlers()
{
    using C = CommandId;
    auto clip = [this](auto action) {
        return [this, action] {
            action(view_->Input().Clip());
            view_->AfterEdit();
        };
    };
    auto navigate = [this](auto action) {
        return [this, action] {
            action(view_->Navigate());
            view_->AfterEdit();
        };
    };
    auto find = [this](auto action) {
        return [this, action] {
            action(*search_);
            view_->AfterEdit();
        };
    };
    auto flip = [](int& setting) { return [&setting] { setting = !setting; }; };
    handlers_ = {
        {C::FileNew, [this] { OnFileNew(); }},
        {C::FileClose, [this] { OnFileNew(); }},  // the file is left for an empty text
        {C::FileOpen, [this] { OnFileOpen(); }},
        {C::FileSave, [this] { OnFileSave(); }},
        {C::FileSaveAs, [this] { OnFileSaveAs(); }},
        {C::Reload, [this] { doc_.Reload(); }},
        {C::AutoReload, [this] { doc_.ToggleAutoReload(AutoReload::Changes); }},
        {C::AutoReloadFileEnd, [this] { doc_.ToggleAutoReload(AutoReload::ChangesAndEnd); }},
        {C::Compile, [this] { tools_->Compile(); }},
        {C::Execute, [this] { tools_->Execute(); }},
        {C::LoadPrevFile, [this] { doc_.LoadNeighbourFile(false); }},
        {C::LoadNextFile, [this] { doc_.LoadNeighbourFile(true); }},
        {C::Print, [this] { OnPrint(); }},
        {C::PrintPreview, [this] { OnPrintPreview(); }},
        {C::PrinterSetup, [this] { OnPrinterSetup(); }},
        {C::PageSetup, [this] { RunPageSetupDialog(this, settings_); }},
        {C::Exit, [this] { close(); }},
        {C::Undo, [this] { doc_.Undo(); }},
        {C::Redo, [this] { doc_.Redo(); }},
        {C::Cut, clip([](ClipboardEditing& c) { c.Cut(); })},
        {C::Copy, clip([](ClipboardEditing& c) { c.Copy(); })},
        {C::Paste, clip([](ClipboardEditing& c) { c.Paste(false); })},
        {C::PasteAsBlock, clip([](ClipboardEditing& c) { c.Paste(true); })},
        {C::PasteWithCounter, clip([](ClipboardEditing& c) { c.PasteWithCounter(); })},
        {C::SelectAll, [this] { view_->SelectAll(); }},
        {C::AutoIndent, flip(settings_.autoIndent)},
        {C::InsertHex,
         [this] {
             view_->Navigate().InsertHex(view_->Input().Editing());
             view_->AfterEdit();
         }},
        {C::ConvertTerminators, [this] { doc_.ConvertTerminators(); }},
        {C::FixateWrapping, [this] { doc_.FixateWrapping(); }},
        {C::TrimLines, [this] { doc_.TrimLines(); }},
        {C::ExtendLines, [this] { doc_.ExtendLines(); }},
        {C::TabsToSpaces, [this] { doc_.TabsToSpaces(); }},
        {C::SpacesToTabs, [this] { doc_.SpacesToTabs(); }},
        {C::ViewToolbar,
         [this] {
             toolbar_->setVisible(!toolbar_->isVisible());
             settings_.showToolbar = toolbar_->isVisible();
         }},
        {C::ViewStatusBar,
         [this] {
             statusBar()->setVisible(!statusBar()->isVisible());
             settings_.showStatusBar = statusBar()->isVisible();
         }},
        {C::FilterPane,
         [this] {
             if (filterPane_->isHidden()) {
                 filterPane_->Activate();
             } else {
                 filterPane_->hide();
                 view_->setFocus();
             }
         }},
        {C::MarkLine,
         [this] {
             if (filterPane_->isHidden())
                 filterPane_->show();
             filterPane_->ToggleMark(doc_.Selection().cursor.line);
         }},
        {C::LineNumbers,
         [this] {
             settings_.lineNumbers = !settings_.lineNumbers;
             view_->ShowLineNumbers(settings_.lineNumbers != 0);
         }},
        {C::ControlChars, [this] { doc_.ToggleControlChars(); }},
        {C::LineTermination, flip(settings_.viewLineTermination)},
        {C::CrossWires, flip(settings_.viewCrossWires)},
        {C::CurrentOffset, navigate([](Navigation& n) { n.ShowCurrentOffset(); })},
        {C::WrapLinesAt, [this] { doc_.WrapLinesAt(); }},
        {C::WrapAtWindowBorder, [this] { doc_.ToggleWrapAtWindowBorder(); }},
        {C::IgnoreFormatCodes, [this] { doc_.ToggleIgnoreFormatCodes(); }},
        {C::WordWrap, [this] { doc_.ToggleWordWrap(); }},
        {C::Bookmark, [this] { doc_.ToggleBookmark(); }},
        {C::NextBookmark, [this] { doc_.GoToBookmark(false, true); }},
        {C::PrevBookmark, [this] { doc_.GoToBookmark(false, false); }},
        {C::RemoveBookmarks, [this] { doc_.RemoveBookmarks(); }},
        {C::BinaryMode, [this] { doc_.SwitchBinaryMode(); }},
        {C::Find, find([](SearchMenu& s) { s.Find(false); })},
        {C::FindNext, find([](SearchMenu& s) { s.FindNext(); })},
        {C::FindPrev, find([](SearchMenu& s) { s.FindPrevious(); })},
        {C::Replace, find([](SearchMenu& s) { s.Replace(); })},
        {C::ReplaceInFolder, find([](SearchMenu& s) { s.ReplaceInFolder(); })},
        {C::Count, find([](SearchMenu& s) { s.Count(); })},
        {C::FindField, navigate([](Navigation& n) { n.FindField(); })},
        {C::FindNextField, navigate([](Navigation& n) { n.FindNextField(); })},
        {C::FindPrevField, navigate([](Navigation& n) { n.FindPrevField(); })},
        {C::GoToLineColumn, navigate([](Navigation& n) { n.GoToLineColumn(); })},
        {C::GoToByte, navigate([](Navigation& n) { n.GoToByte(); })},
        {C::GoToOffsetPlusSelection, navigate([](Navigation& n) { n.GoToOffsetPlusSelection(); })},
        {C::FindUndisplayable, [this] { doc_.FindUndisplayable(); }},
        {C::FindWordUnderCursor, find([](SearchMenu& s) { s.FindWordUnderCursor(); })},
        {C::CharsetOff, [this] { doc_.ReadTextAs(true); }},
        {C::CharsetEightBit, [this] { doc_.ReadTextAs(false); }},
        {C::CharsetOpen, [this] { syntax_->CharsetOpen(); }},
        {C::CharsetModify, [this] { syntax_->CharsetModify(); }},
        {C::CharsetSaveAs, [this] { syntax_->CharsetSaveAs(); }},
        {C::CharsetConvert, [this] { syntax_->CharsetConvert(); }},
        {C::SelectCharset,
         [this] {
             if (doc_.Charset().IsActive())
                 doc_.ReadTextAs(true);
             else
                 syntax_->CharsetOpen();
         }},
        {C::StructureOff, [this] { doc_.StructureOff(); }},
        {C::StructureOpen, [this] { fields_->OpenStructure(); }},
        {C::StructureModify, [this] { fields_->ModifyStructureCommand(); }},
        {C::StructureSaveAs, [this] { fields_->SaveStructureAs(); }},
        {C::AddField, [this] { fields_->AddField(); }},
        {C::ModifyField, [this] { fields_->ModifyField(); }},
        {C::DeleteField, [this] { fields_->DeleteField(); }},
        {C::CopyRecordType, [this] { fields_->CopyRecordType(); }},
        {C::SumField, [this] { fields_->SumField(); }},
        {C::MaxField, [this] { fields_->MaxField(); }},
        {C::SortByFields, [this] { fields_->SortByFields(); }},
        {C::OpenStructureToggle,
         [this] {
             if (doc_.Structure().IsActive())
                 doc_.StructureOff();
             else
                 fields_->OpenStructure();
         }},
        {C::SyntaxOff, [this] { syntax_->SyntaxOff(); }},
        {C::SyntaxOpen, [this] { syntax_->SyntaxOpen(); }},
        {C::SyntaxModify, [this] { syntax_->SyntaxModify(); }},
        {C::SyntaxSaveAs, [this] { syntax_->SyntaxSaveAs(); }},
        {C::Font,
         [this] {
             if (RunFontDialog(this, settings_))
                 view_->ApplyFont();
         }},
        {C::VisibleCodes, [this] { RunVisibleCodesDialog(this, settings_, view_->TextFont()); }},
        {C::FileAssignments, [this] { RunFileAssignmentsDialog(this, doc_.Ports().prompter); }},
        {C::Options,
         [this] {
             if (RunOptionsDialog(this, settings_, doc_))
                 ApplyKeyScheme();
         }},
        {C::About, [this] { OnAbout(); }},
    };
}

void MainWindow::CreateStatusBar()
{
    // Floors only: a pane is as wide as its text, the cursor pane a little wider so that it does
    // not jitter with every digit; empty panes take no room.
    static const int kWidths[10] = {0, 60, 130, 60, 60, 30, 20, 0, 0, 0};
    for (int pane = 1; pane <= kStatusPaneCount; ++pane) {
        // The path pane gives way in a narrow window (its folder part shortened); the others keep
        // their width, so no pane ever covers another.
        QLabel* label = pane == 1 ? new ElidedLabel(this) : new QLabel(this);
        label->setMinimumWidth(kWidths[pane]);
        label->setObjectName(QStringLiteral("pane%1").arg(pane));
        statusBar()->addWidget(label, pane == 1 ? 1 : 0);
        label->setVisible(pane <= static_cast<int>(StatusPane::LineEnds));
        panes_[pane] = label;
    }
    panes_[static_cast<std::size_t>(StatusPane::Structure)]->setText(QStringLiteral("NO STRUCTURE"));
    panes_[static_cast<std::size_t>(StatusPane::Table)]->setText(QString::fromStdString(doc_.EncodingName()));
    panes_[static_cast<std::size_t>(StatusPane::LineEnds)]->setText(QStringLiteral("CRLF"));
}

void MainWindow::SetPaneText(int pane, const QString& text)
{
    if (pane >= 0 && pane < static_cast<int>(panes_.size()) && panes_[pane]) {
        panes_[pane]->setText(text);
        panes_[pane]->setVisible(pane <= static_cast<int>(StatusPane::LineEnds) || !text.isEmpty());
    }
}

QString MainWindow::PaneText(StatusPane pane) const
{
    QLabel* label = panes_[static_cast<std::size_t>(pane)];
    return label ? label->text() : QString();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Before a key is matched against the shortcuts, the commands' states are brought up to date:
    // a grey action's shortcut would not fire, and one that should be grey must not.
    if (event->type() == QEvent::ShortcutOverride)
        UpdateCommandStates();
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        ShowLockKeys(static_cast<QKeyEvent*>(event)->nativeModifiers());
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::ShowLockKeys(quint32 nativeModifiers)
{
    // The X keyboard state of a key event: Lock is Caps Lock, Mod2 is Num Lock on every common
    // layout. Qt has no portable way to ask for these, so the panes follow the keys typed.
    constexpr quint32 kLock = 0x02, kMod2 = 0x10;
    panes_[7]->setText(nativeModifiers & kLock ? QStringLiteral("CAP") : QString());
    panes_[8]->setText(nativeModifiers & kMod2 ? QStringLiteral("NUM") : QString());
}

void MainWindow::UpdateCommandStates()
{
    CommandState state = CommandState::Of(doc_, settings_, *fields_);
    state.toolbarVisible = toolbar_ && !toolbar_->isHidden();
    state.statusBarVisible = !statusBar()->isHidden();
    state.filterPaneVisible = !filterPane_->isHidden();
    for (const CommandEntry& entry : CommandTable()) {
        QAction* action = Action(entry.id);
        if (!action)
            continue;
        action->setEnabled(IsEnabled(entry.enable, state));
        if (const auto checked = IsChecked(entry.check, state))
            action->setChecked(*checked);
    }
    panes_[9]->setText(doc_.OverwriteMode() ? QStringLiteral("OVR") : QString());
    UpdateTitle();  // the name, and the "*" of a modified text
}

void MainWindow::UpdateTitle()
{
    const std::string& title = doc_.File().Title();
    // Qt shows "*" at the "[*]" of a modified window; an unmodified one has the plain title.
    const bool modified = doc_.IsModified();
    if (!modified)
        setWindowModified(false);
    setWindowTitle(PathToQt(title) + (modified ? QStringLiteral("[*] - Quillarium") : QStringLiteral(" - Quillarium")));
    if (modified)
        setWindowModified(true);
}

void MainWindow::RefreshAll()
{
    if (changedOnDiskBar_->isVisible() &&
        changedOnDiskFor_ != std::make_pair(doc_.File().Path(), doc_.File().ModificationTime()))
        changedOnDiskBar_->hide();
    UpdateCommandStates();  // with the title
    view_->RedrawAll();
}

void MainWindow::RebuildRecentMenu()
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

bool MainWindow::OpenFile(const std::string& path)
{
    if (!doc_.ConfirmSaveChanges())
        return false;
    const bool opened = doc_.Open(path);
    if (opened && doc_.File().HasPath()) {
        recent_.Add(doc_.File().Path());
        RebuildRecentMenu();
    }
    RefreshAll();
    return opened;
}

void MainWindow::OnFileNew()
{
    if (!doc_.ConfirmSaveChanges())
        return;
    doc_.New();
    RefreshAll();
}

void MainWindow::OnFileOpen()
{
    // The next file is most often a neighbour of this one.
    const std::string chosen =
        AskOpenFile(this, doc_.File().HasPath() ? FolderOf(doc_.File().Path()) : std::string(), kTextFileFilter);
    if (!chosen.empty())
        OpenFile(chosen);
}

void MainWindow::OnFileSave()
{
    if (doc_.Save(doc_.File().Path()) && !doc_.File().Path().empty()) {
        recent_.Add(doc_.File().Path());
        RebuildRecentMenu();
    }
    RefreshAll();
}

void MainWindow::OnFileSaveAs()
{
    const std::string chosen =
        AskSaveFile(this, doc_.File().HasPath() ? doc_.File().Path() : doc_.File().Title(), kTextFileFilter, "txt");
    if (chosen.empty())
        return;
    if (doc_.Save(chosen)) {
        recent_.Add(doc_.File().Path());
        RebuildRecentMenu();
    }
    RefreshAll();
}

void MainWindow::OnPrint()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    DecorateDialog(dialog);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, 9999);
    if (dialog.exec() != QDialog::Accepted)
        return;
    DocumentPrinter::SetMargins(printer);  // within what the printer chosen can print
    const bool range = printer.printRange() == QPrinter::PageRange;
    DocumentPrinter(doc_, settings_).Print(printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0);
}

void MainWindow::OnPrintPreview()
{
    // Every page, as it will be printed.
    QPrinter printer(QPrinter::HighResolution);
    DocumentPrinter::SetMargins(printer);
    QPrintPreviewDialog preview(&printer, this);
    DecorateDialog(preview, true);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { DocumentPrinter(doc_, settings_).Print(*target); });
    preview.exec();
}

void MainWindow::OnPrinterSetup()
{
    QPrinter printer(QPrinter::HighResolution);
    QPageSetupDialog dialog(&printer, this);
    DecorateDialog(dialog);
    dialog.exec();
}

void MainWindow::OnAbout()
{
    QMessageBox box(this);
    box.setWindowTitle(QStringLiteral("About Quillarium"));
    DecorateDialog(box);
    box.setIconPixmap(QIcon(QStringLiteral(":/icons/quillarium.svg")).pixmap(64, 64));
    box.setText(QStringLiteral("<b>Quillarium</b> %1").arg(QStringLiteral(QUILL_VERSION)));
    box.setInformativeText(QStringLiteral("A viewer and editor for very large text and record files."));
    // The message box sizes itself to its text; a line this long would be wrapped narrow.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->setColumnMinimumWidth(grid->columnCount() - 1, 360);
    box.exec();
}

void MainWindow::OnRecentFile(int index)
{
    const auto& files = recent_.Files();
    if (index < 0 || index >= static_cast<int>(files.size()))
        return;
    const std::string path = files[static_cast<std::size_t>(index)];
    if (!OpenFile(path) && doc_.File().Path() != path) {
        recent_.Remove(path);
        RebuildRecentMenu();
    }
}

bool MainWindow::RestorePlacement()
{
    if (!settings_.mainWndPos)
        return false;
    const auto& bytes = *settings_.mainWndPos;
    return restoreGeometry(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!doc_.ConfirmSaveChanges()) {
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
    loadTimer_->stop();
    doc_.Clear();
    PhaseTimer::Mark("document left");
    event->accept();
}

}  // namespace quill

namespace quill {

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
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
