// The first window as a user sees it: open a file, move the cursor, read the status panes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/CommandTable.h"
#include "app/ui/ElidedLabel.h"
#include "app/ui/MainWindow.h"
#include "app/ui/NoticeBar.h"
#include "app/ui/QuillApplication.h"
#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "structure/FieldDef.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "view/ui/LineNumberGutter.h"
#include "view/ui/TextView.h"

namespace quill::test {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("QUILLARIUM_DATA", QByteArray::fromStdString(dir.File("QVXData"))); }

    TempDir dir;
    MemorySettingsStore store;
};

TEST_F(MainWindowTest, OpensTheFileOfTheCommandLineAndShowsWhereTheCursorIs)
{
    std::string path = dir.Write("sample.txt", "first line\n\tsecond\nthird\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    MainWindow& frame = app.Window();
    EXPECT_TRUE(frame.PaneText(StatusPane::Message).startsWith(QString::fromStdString(path) + " ("));
    EXPECT_EQ(frame.PaneText(StatusPane::Cursor), "Line:1/3 Col:0/10");
    EXPECT_EQ(frame.PaneText(StatusPane::LineEnds), "LF");
    const auto shownTitle = [&frame] { return frame.windowHandle()->title(); };
    EXPECT_EQ(shownTitle(), "sample.txt - Quillarium");
    EXPECT_EQ(frame.windowTitle(), "sample.txt - Quillarium");

    TextView& view = frame.View();
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(frame.PaneText(StatusPane::Cursor), "Line:2/3 Col:9/9");  // the tab spans three columns
    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(frame.PaneText(StatusPane::Cursor), "Line:2/3 Col:3/9");  // smart home stops at the indentation
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(frame.PaneText(StatusPane::Cursor), "Line:4/3 Col:0/0");  // after the last line end: no line wc -l counts

    // A change shows in the title the desktop's way; undoing it back to the file takes it away,
    // Ctrl+Shift+Z brings the change back.
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));  // shortcuts go to the active window
    QTest::keyClicks(&view, "x");
    EXPECT_EQ(shownTitle(), "sample.txt* - Quillarium");
    EXPECT_TRUE(frame.isWindowModified());
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shownTitle(), "sample.txt - Quillarium");
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(shownTitle(), "sample.txt* - Quillarium");
    EXPECT_EQ(app.CurrentDocument().Text().Line(3).Text(), "x");
    app.CurrentDocument().Undo();  // leave unmodified, so closing asks nothing
    app.Exit();
}

TEST_F(MainWindowTest, ALineOnTheCommandLinePutsTheCursorThere)
{
    std::string path = dir.Write("lines.txt", "1\n2\n3\n4\n5\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path + "#3"})));
    app.Window().View().grab();  // the first paint applies the line
    EXPECT_EQ(app.Window().PaneText(StatusPane::Cursor), "Line:3/5 Col:0/1");
}

TEST_F(MainWindowTest, UnderWrappingTheCommandLineAndTheStatusLineCountFileLines)
{
    // Lines of 400 bytes wrapped at the window border: #3 is the third line of the file, as sed
    // counts it, not the third row on the screen.
    std::string text;
    for (int i = 1; i <= 5; ++i)
        text += "L" + std::to_string(i) + std::string(400, 'x') + "\n";
    std::string path = dir.Write("long.txt", text);
    store.ints["Settings/TruncateAtBorder"] = 1;
    store.ints["Settings/LineNumbers"] = 1;
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path + "#3"})));
    app.Window().View().grab();
    const Document& doc = app.CurrentDocument();
    ASSERT_GT(doc.Text().LineCount(), 10);  // wrapped into several rows a line
    EXPECT_EQ(doc.Text().Line(doc.Selection().cursor.line).Text().substr(0, 3), "L3x");
    EXPECT_TRUE(app.Window().PaneText(StatusPane::Cursor).startsWith("Line:3/5 "))
        << app.Window().PaneText(StatusPane::Cursor).toStdString();
    app.Exit();
}

TEST_F(MainWindowTest, ALargeFileShowsItsFirstPartAndTypingWaitsForTheRest)
{
    std::string text;
    const std::string line = "2026-12-07 10:00:24.123 INFO  [worker-3] request handled in 786 ms status=ok\n";
    while (text.size() < static_cast<std::size_t>(Document::kBackgroundLoadBytes) + (8 << 20))
        text += line;
    const std::string path = dir.Write("big.log", text);
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    Document& doc = app.CurrentDocument();
    ASSERT_TRUE(doc.LoadingInBackground());
    EXPECT_TRUE(app.Window().PaneText(StatusPane::Message).contains("Loading"))
        << app.Window().PaneText(StatusPane::Message).toStdString();
    // A typed key changes the text: the rest is read first, and the key goes in.
    TextView& view = app.Window().View();
    QTest::keyClicks(&view, "x");
    EXPECT_FALSE(doc.LoadingInBackground());
    EXPECT_EQ(doc.Text().FileSize(), static_cast<std::int64_t>(text.size()) + 1);
    EXPECT_EQ(doc.Text().Line(0).Text().substr(0, 5), "x2026");
    EXPECT_FALSE(app.Window().PaneText(StatusPane::Message).contains("Loading"));
    doc.Undo();  // leave unmodified, so closing asks nothing
    app.Exit();
}

TEST_F(MainWindowTest, DuringALargeLoadCtrlEndAndTheScrollBarReachTheFileEnd)
{
    std::string text;
    for (int i = 0; text.size() < static_cast<std::size_t>(Document::kBackgroundLoadBytes) + (8 << 20); ++i)
        text += "2026-12-07 10:00:24.123 INFO  [worker-3] request " + std::to_string(i) + " handled\n";
    text += "last line";
    const std::string path = dir.Write("big.log", text);
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    Document& doc = app.CurrentDocument();
    TextView& view = app.Window().View();
    ASSERT_TRUE(doc.LoadingInBackground());
    // The scroll bar stands for the whole file while it loads: its end is beyond the part read.
    QScrollBar* bar = view.verticalScrollBar();
    EXPECT_GT(bar->maximum(), doc.Text().LineCount());
    bar->setValue(bar->maximum());
    QTRY_VERIFY(!doc.LoadingInBackground());
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(bar->maximum() + 1, doc.Text().LineCount() - bar->pageStep() + 1);

    // Ctrl+End as soon as the window shows: the last line of the file, and typed text goes there.
    ASSERT_TRUE(doc.Open(path));
    ASSERT_TRUE(doc.LoadingInBackground());
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_FALSE(doc.LoadingInBackground());
    EXPECT_EQ(doc.Text().Line(doc.Selection().cursor.line).Text(), "last line");
    EXPECT_EQ(doc.Selection().cursor.column, 9);
    app.Exit();
}

TEST_F(MainWindowTest, EveryDialogHasItsWholeTitleAndNoMinimiseOrMaximiseButton)
{
    const std::string path = dir.Write("dialogs.txt", "some text\nmore text\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    MainWindow& frame = app.Window();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    struct Seen {
        QString title;
        Qt::WindowFlags flags;
        int width;
        int titleWidth;
        QStringList fileFilters;
    };
    std::vector<Seen> seen;
    QTimer inspector;  // looks at each modal dialog as it shows, then closes it
    QObject::connect(&inspector, &QTimer::timeout, [&seen] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        const auto* files = qobject_cast<QFileDialog*>(dialog);
        seen.push_back({dialog->windowTitle(), dialog->windowFlags(), dialog->width(),
                        dialog->fontMetrics().horizontalAdvance(dialog->windowTitle()),
                        files ? files->nameFilters() : QStringList()});
        dialog->reject();
    });
    inspector.start(20);
    const auto check = [&seen](const char* what) {
        ASSERT_FALSE(seen.empty()) << what << ": no dialog";
        const Seen& dialog = seen.back();
        SCOPED_TRACE(std::string(what) + ": " + dialog.title.toStdString());
        EXPECT_FALSE(dialog.flags & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(dialog.flags & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(dialog.flags & Qt::CustomizeWindowHint);
        EXPECT_FALSE(dialog.title.isEmpty());
        EXPECT_GE(dialog.width, dialog.titleWidth + 100);  // room for the title beside the buttons
        seen.clear();
    };
    const std::pair<CommandId, const char*> commands[] = {
        {CommandId::FileOpen, "Open"},
        {CommandId::FileSaveAs, "Save As"},
        {CommandId::PageSetup, "Page Setup"},
        {CommandId::PrinterSetup, "Printer Setup"},
        {CommandId::InsertHex, "Insert HEX"},
        {CommandId::WrapLinesAt, "Wrap Lines At"},
        {CommandId::Find, "Find"},
        {CommandId::Replace, "Replace"},
        {CommandId::GoToLineColumn, "Go To Line"},
        {CommandId::GoToByte, "Go To Byte"},
        {CommandId::CharsetOpen, "Charset Open"},
        {CommandId::Font, "Font"},
        {CommandId::VisibleCodes, "Visible Codes"},
        {CommandId::FileAssignments, "File Assignments"},
        {CommandId::Options, "Options"},
        {CommandId::About, "About"},
    };
    for (const auto& [id, what] : commands) {
        frame.Action(id)->trigger();
        if (id == CommandId::FileOpen || id == CommandId::FileSaveAs) {
            // Every file first, and logs among the texts.
            ASSERT_FALSE(seen.empty() || seen.back().fileFilters.isEmpty()) << what;
            EXPECT_EQ(seen.back().fileFilters.first(), QStringLiteral("All files (*)")) << what;
            EXPECT_TRUE(seen.back().fileFilters.join(u' ').contains(QStringLiteral("*.log"))) << what;
        }
        check(what);
    }
    app.CurrentDocument().Ports().prompter.Inform("A message");
    check("message box");
    ProgressWindow& progress = app.CurrentDocument().Ports().progress;
    progress.Begin(100);
    QTest::qWait(400);  // a progress window shows only for work that lasts
    for (int step = 0; step < 20 && seen.empty(); ++step) {
        progress.Step(step);
        QTest::qWait(60);
    }
    progress.End();
    check("progress window");
    inspector.stop();
    app.Exit();
}

TEST_F(MainWindowTest, ExitWritesTheSettingsAndKeepsTheRecentFile)
{
    std::string path = dir.Write("kept.txt", "x");
    {
        QuillApplication app(store);
        ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
        app.Window().close();
        app.Exit();
    }
    EXPECT_EQ(store.ints["Settings/TabSize"], 3);
    EXPECT_FALSE(store.binaries["Settings/MainWndPos"].empty());
    EXPECT_EQ(store.strings["Recent File List/File1"], path);
    EXPECT_EQ(store.writeOrder.front(), "Settings/MainWndPos");
}

TEST_F(MainWindowTest, TheFirstStartOffersTheDesktopKeys)
{
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({})));
    MainWindow& frame = app.Window();
    ASSERT_TRUE(frame.OfferDesktopKeys());
    NoticeBar& bar = frame.KeySchemeBar();
    EXPECT_FALSE(bar.isHidden());
    EXPECT_TRUE(frame.Action(CommandId::Exit)->shortcut().isEmpty());
    const auto buttons = bar.findChildren<QPushButton*>();
    const auto use = std::find_if(buttons.begin(), buttons.end(),
                                  [](QPushButton* b) { return b->text() == QStringLiteral("Use Desktop Keys"); });
    ASSERT_NE(use, buttons.end());
    (*use)->click();
    EXPECT_TRUE(bar.isHidden());
    EXPECT_EQ(frame.Action(CommandId::Exit)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(frame.Action(CommandId::Redo)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Y")));
    EXPECT_FALSE(frame.OfferDesktopKeys());  // chosen: never offered again
    app.Exit();
    EXPECT_EQ(store.ints["Settings/KeyScheme"], 1);
}

TEST_F(MainWindowTest, StandardInputIsShownUnnamedAndNeverARecentFile)
{
    const std::string path = dir.Write("piped.txt", "a\nb\n");
    const int input = ::dup(0);
    const int file = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::dup2(file, 0), 0);
    ::close(file);
    {
        QuillApplication app(store);
        const bool started = app.Start(CommandLine::Parse({"-"}));
        ::dup2(input, 0);
        ASSERT_TRUE(started);
        EXPECT_TRUE(app.Window().windowTitle().startsWith("Untitled (standard input)"));
        EXPECT_EQ(app.CurrentDocument().Text().LineCount(), 3);
        app.CurrentDocument().MarkModified(false);  // no question on closing
        app.Window().close();
        app.Exit();
    }
    ::close(input);
    EXPECT_EQ(store.strings.count("Recent File List/File1"), 0u);
}

TEST_F(MainWindowTest, QuittingInBinaryModeSavesTheSettingsFromBeforeIt)
{
    std::string path = dir.Write("bytes.bin", "text\r\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    app.CurrentDocument().SwitchBinaryMode();
    ASSERT_EQ(app.CurrentDocument().Config().Get(Layout::ControlChars), 1);
    app.Window().close();
    app.Exit();
    EXPECT_EQ(store.ints["Settings/ViewControlChars"], 0);
    EXPECT_EQ(store.ints["Settings/WordWrap"], 1);
    EXPECT_EQ(store.ints["Settings/TruncateAtBorder"], 0);
}

TEST_F(MainWindowTest, TheUsersLayoutChoicesAreKeptForTheNextStart)
{
    std::string path = dir.Write("plain.txt", "a\tb\n");
    {
        QuillApplication app(store);
        ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
        Document& doc = app.CurrentDocument();
        doc.ToggleWordWrap();
        doc.ToggleControlChars();
        doc.ChangeTabSize(8);
        EXPECT_EQ(app.AppSettings().wordWrap, 1);  // the document never writes the global settings
        app.Window().close();
        app.Exit();
    }
    EXPECT_EQ(store.ints["Settings/WordWrap"], 0);
    EXPECT_EQ(store.ints["Settings/ViewControlChars"], 1);
    EXPECT_EQ(store.ints["Settings/TabSize"], 8);
    QuillApplication again(store);
    ASSERT_TRUE(again.Start(CommandLine::Parse({path})));
    EXPECT_FALSE(again.CurrentDocument().Config().On(Layout::WordWrap));
    EXPECT_EQ(again.CurrentDocument().Rules().tabSize, 8);
    again.Window().close();
    again.Exit();
}

TEST_F(MainWindowTest, BookmarkKeysAndTheRememberedPosition)
{
    std::string path = dir.Write("marks.txt", "a\nb\nc\nd\ne\n");
    {
        QuillApplication app(store);
        ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
        TextView& view = app.Window().View();
        app.Window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&app.Window()));  // menu keys need the active window
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_Down);
        QTest::keyClick(&view, Qt::Key_F2, Qt::ControlModifier);
        QTest::keyClick(&view, Qt::Key_Down);
        QTest::keyClick(&view, Qt::Key_Down);
        QTest::keyClick(&view, Qt::Key_F2, Qt::ShiftModifier);
        EXPECT_EQ(app.Window().PaneText(StatusPane::Cursor), "Line:2/5 Col:0/1");
        EXPECT_TRUE(app.CurrentDocument().HasBookmark(1));
        QTest::keyClick(&view, Qt::Key_Down);
        QTest::keyClick(&view, Qt::Key_Down);
        app.Window().close();  // leaving remembers line 4 and the bookmark
        app.Exit();
    }
    QuillApplication again(store);
    ASSERT_TRUE(again.Start(CommandLine::Parse({path})));
    again.Window().View().grab();  // the first paint restores the position
    EXPECT_EQ(again.Window().PaneText(StatusPane::Cursor), "Line:4/5 Col:0/1");
    EXPECT_TRUE(again.CurrentDocument().HasBookmark(1));
}

TEST_F(MainWindowTest, AStructuredFileShowsItsFieldsAndTheirComments)
{
    // The shipped descriptions, in a data folder of the test's own.
    std::filesystem::copy(QUILL_SOURCE_DIR "/data/QVXData", dir.File("QVXData"),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    const std::string path = dir.File("orders.ord");
    std::filesystem::copy_file(QUILL_SOURCE_DIR "/data/samples/orders.ord", path);
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    MainWindow& frame = app.Window();
    app.Window().View().grab();
    EXPECT_EQ(frame.PaneText(StatusPane::Structure), "Orders (fixed width)");
    EXPECT_EQ(frame.PaneText(StatusPane::Overwrite), "OVR");
    TextView& view = frame.View();
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Tab);
    QTest::keyClick(&view, Qt::Key_Tab);
    EXPECT_EQ(frame.PaneText(StatusPane::Cursor), "Line:2/30 Col:8/50");  // the ends of KIND and CUSTNO
    EXPECT_EQ(frame.PaneText(StatusPane::Message), "Order number");
    EXPECT_FALSE(app.CurrentDocument().IsModified());
}

TEST_F(MainWindowTest, ShortcutsActOnTheCurrentStateAndAltNeverTypes)
{
    const std::string path = dir.Write("plain.txt", "abcdef\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    TextView& view = app.Window().View();
    app.Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&app.Window()));
    view.setFocus();
    for (int key : {Qt::Key_Z, Qt::Key_K, Qt::Key_1})
        QTest::keyClick(&view, key, Qt::AltModifier);
    EXPECT_FALSE(app.CurrentDocument().IsModified());
    EXPECT_EQ(app.CurrentDocument().Text().Line(0).Text(), "abcdef\n");

    // A selection made with the keys makes Add Field (Ctrl+N) available at once: it asks for the
    // new description, which is cancelled here.
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    QString asked;
    QTimer closer;  // looks for the dialog until it shows, however slow the machine
    QObject::connect(&closer, &QTimer::timeout, [&asked, &closer] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            asked = dialog->windowTitle();
            dialog->close();
            closer.stop();
        }
    });
    closer.start(50);
    QTest::keyClick(&view, Qt::Key_N, Qt::ControlModifier);
    closer.stop();
    EXPECT_FALSE(asked.isEmpty());
    app.Window().close();
    app.Exit();
}

TEST_F(MainWindowTest, TheWrapAtTheWindowBorderFollowsResizingAndTheLineNumbers)
{
    const std::string path = dir.Write("long.txt", std::string(400, 'w') + "\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    MainWindow& frame = app.Window();
    frame.resize(900, 600);
    QTest::qWait(50);
    app.CurrentDocument().ToggleWrapAtWindowBorder();
    const LineIndex wide = app.CurrentDocument().Text().LineCount();
    frame.resize(400, 600);
    QTest::qWait(600);  // the re-wrap waits until the resizing has stopped
    EXPECT_GT(app.CurrentDocument().Text().LineCount(), wide);
    EXPECT_EQ(app.CurrentDocument().BorderWrapWidth(), app.AppSettings().pageWidth);
    // The gutter takes its width from the text, which is wrapped anew.
    const int width = app.CurrentDocument().BorderWrapWidth();
    frame.Action(CommandId::LineNumbers)->trigger();
    QTest::qWait(600);
    EXPECT_LT(app.CurrentDocument().BorderWrapWidth(), width);
    EXPECT_EQ(app.CurrentDocument().BorderWrapWidth(), app.AppSettings().pageWidth);
    EXPECT_EQ(app.CurrentDocument().Text().Line(0).Length(),
              static_cast<std::uint32_t>(app.AppSettings().pageWidth - 3));
    app.Window().close();
    app.Exit();
}

// The folder the next file dialog starts in, seen from inside the dialog, which is then cancelled.
QString FolderOfNextFileDialog(QAction* command)
{
    QString folder;
    QTimer::singleShot(0, [&folder] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        folder = dialog->directory().absolutePath();
        dialog->reject();
    });
    command->trigger();
    return folder;
}

TEST_F(MainWindowTest, OpenAndSaveAsStartInTheFolderOfTheCurrentFile)
{
    std::filesystem::create_directories(dir.File("logs/old"));
    const std::string path = dir.Write("logs/old/app.log", "line\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    const QString folder = QString::fromStdString(dir.File("logs/old"));
    EXPECT_EQ(FolderOfNextFileDialog(app.Window().Action(CommandId::FileOpen)), folder);
    EXPECT_EQ(FolderOfNextFileDialog(app.Window().Action(CommandId::FileSaveAs)), folder);
    app.Exit();
}

// The share of a cell's pixels that have the colour.
double ShareOfColour(const QImage& image, const QRect& cell, QRgb colour)
{
    int hits = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            hits += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return static_cast<double>(hits) / (cell.width() * cell.height());
}

TEST_F(MainWindowTest, EveryRowOfAStructuredFileShowsItsFieldBackground)
{
    std::filesystem::create_directories(dir.File("QVXData"));
    dir.Write("QVXData/Four.ini", "[<General>]\r\nRecordLength=0;\r\nType=0;\r\nMask=*.txt;\r\n"
                                  "[F_0000]\r\nOffset=0;\r\nLength=4;\r\nColor=0;\r\n");
    const std::string path = dir.Write("small.txt", "line one\r\nline two\r\nline three\r\nline four\r\nline five\r\n");
    for (int start = 0; start < 2; ++start) {  // also after a restart, with the cursor on line 4
        QuillApplication app(store);
        ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
        TextView& view = app.Window().View();
        if (start == 0)
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(&view, Qt::Key_Down);
        const QImage image = view.viewport()->grab().toImage();
        const int w = view.CellWidth(), h = view.CellHeight();
        for (int row = 0; row < 5; ++row)
            EXPECT_GT(ShareOfColour(image, QRect(2 * w, row * h + 1, w, h - 2), kFieldPalette[0]), 0.4)
                << "row " << row << ", start " << start;
        app.Window().close();
        app.Exit();
    }
}

// In a narrow window the path pane shortens its folder part and keeps the file name and time in
// view; no pane covers another.
TEST_F(MainWindowTest, TheStatusPanesShareANarrowWindowWithoutOverlapping)
{
    const std::string folder = dir.File("a-rather-long-folder-name/and-another-one/and-a-third-level");
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/report.txt";
    std::ofstream(path) << "text\n";
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    MainWindow& frame = app.Window();
    frame.resize(800, 500);
    frame.show();
    QTest::qWait(50);
    auto* pathPane = frame.statusBar()->findChild<ElidedLabel*>(QStringLiteral("pane1"));
    ASSERT_NE(pathPane, nullptr);
    const QString shown = pathPane->ShownText();
    EXPECT_TRUE(shown.startsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("/report.txt ("))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral(")"))) << shown.toStdString();
    QList<QRect> taken;
    for (int pane = 1; pane <= kStatusPaneCount; ++pane) {
        auto* label = frame.statusBar()->findChild<QLabel*>(QStringLiteral("pane%1").arg(pane));
        ASSERT_NE(label, nullptr);
        if (label->text().isEmpty() || label->isHidden())
            continue;
        EXPECT_GE(label->width(), label == pathPane ? 1 : label->fontMetrics().horizontalAdvance(label->text()))
            << label->text().toStdString();
        for (const QRect& other : taken)
            EXPECT_FALSE(other.intersects(label->geometry())) << label->text().toStdString();
        taken.push_back(label->geometry());
    }
    app.Window().close();
    app.Exit();
}

// Options > Keys: the desktop scheme binds Ctrl+Q, Ctrl+W, Ctrl+N, Ctrl+H, Ctrl+Y; the menus show
// them; the command table's keys are the default.
TEST_F(MainWindowTest, TheDesktopKeySchemeBindsTheDesktopKeys)
{
    const auto key = [](QAction* action) { return action->shortcut().toString(QKeySequence::PortableText); };
    {
        QuillApplication app(store);
        ASSERT_TRUE(app.Start(CommandLine::Parse({})));
        EXPECT_EQ(key(app.Window().Action(CommandId::AddField)), QStringLiteral("Ctrl+N"));
        EXPECT_TRUE(app.Window().Action(CommandId::Exit)->text().endsWith(QStringLiteral("\tEsc")));
        app.Exit();
    }
    store.ints["Settings/KeyScheme"] = 1;
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({})));
    MainWindow& frame = app.Window();
    EXPECT_EQ(key(frame.Action(CommandId::Exit)), QStringLiteral("Ctrl+Q"));
    EXPECT_FALSE(frame.Action(CommandId::Exit)->text().contains(QLatin1Char('\t')));
    EXPECT_EQ(key(frame.Action(CommandId::FileClose)), QStringLiteral("Ctrl+W"));
    EXPECT_EQ(key(frame.Action(CommandId::FileNew)), QStringLiteral("Ctrl+N"));
    EXPECT_EQ(key(frame.Action(CommandId::Replace)), QStringLiteral("Ctrl+H"));
    EXPECT_EQ(key(frame.Action(CommandId::Redo)), QStringLiteral("Ctrl+Y"));
    EXPECT_NE(key(frame.Action(CommandId::AddField)), QStringLiteral("Ctrl+N"));
    EXPECT_TRUE(frame.Action(CommandId::FileNew)->toolTip().contains(QStringLiteral("Ctrl+N")));
    // Back to the command table's keys without a restart.
    app.AppSettings().keyScheme = 0;
    frame.ApplyKeyScheme();
    EXPECT_EQ(key(frame.Action(CommandId::FileNew)), QStringLiteral("Ctrl+F4"));
    EXPECT_EQ(frame.Action(CommandId::Exit)->shortcut(), QKeySequence());
    app.Exit();
}

TEST_F(MainWindowTest, HexBoxDigitsAreReadableAtTheDefaultSize)
{
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({})));
    const TextView& view = app.Window().View();
    EXPECT_GE(view.HexDigitHeight(), 7) << "cell height " << view.CellHeight();
    EXPECT_LE(2 * view.HexDigitHeight() + 1, view.CellHeight());  // a pixel between the digits
    app.Exit();
}

TEST_F(MainWindowTest, TheToolbarInItsOrderWithIconsChecksAndTheBarsRemembered)
{
    const std::string path = dir.Write("plain.txt", "abcdef\n");
    {
        QuillApplication app(store);
        ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
        MainWindow& frame = app.Window();
        // Every command has its action, and the toolbar shows them in the table's order.
        for (const CommandEntry& entry : CommandTable())
            EXPECT_TRUE(entry.id == CommandId::None || frame.Action(entry.id)) << entry.text;
        const QList<QAction*> buttons = frame.Toolbar()->actions();
        ASSERT_EQ(buttons.size(), static_cast<qsizetype>(ToolbarOrder().size()));
        for (std::size_t k = 0; k < ToolbarOrder().size(); ++k) {
            const CommandId id = ToolbarOrder()[k];
            if (id == CommandId::None) {
                EXPECT_TRUE(buttons[static_cast<qsizetype>(k)]->isSeparator());
                continue;
            }
            EXPECT_EQ(buttons[static_cast<qsizetype>(k)], frame.Action(id));
            EXPECT_FALSE(frame.Action(id)->icon().isNull()) << FindCommand(id)->text;
            EXPECT_FALSE(frame.Action(id)->toolTip().isEmpty());
        }
        EXPECT_EQ(frame.Action(CommandId::AutoReloadFileEnd)->toolTip(), QStringLiteral("Auto Reload  & File End"));
        // Toggles show their state as the rules say.
        QAction* controlChars = frame.Action(CommandId::ControlChars);
        EXPECT_FALSE(controlChars->isChecked());
        controlChars->trigger();
        EXPECT_TRUE(controlChars->isChecked());
        EXPECT_EQ(app.CurrentDocument().Config().Get(Layout::ControlChars), 1);
        EXPECT_FALSE(frame.Action(CommandId::FileSave)->isEnabled());
        EXPECT_FALSE(frame.Action(CommandId::StructureOff)->isEnabled());
        EXPECT_TRUE(frame.Action(CommandId::ViewToolbar)->isChecked());
        frame.Action(CommandId::ViewToolbar)->trigger();
        frame.Action(CommandId::ViewStatusBar)->trigger();
        EXPECT_FALSE(frame.Action(CommandId::ViewToolbar)->isChecked());
        EXPECT_TRUE(frame.Toolbar()->isHidden());
        frame.close();
        app.Exit();
    }
    QuillApplication again(store);
    ASSERT_TRUE(again.Start(CommandLine::Parse({path})));
    EXPECT_TRUE(again.Window().Toolbar()->isHidden());
    EXPECT_TRUE(again.Window().statusBar()->isHidden());
    EXPECT_FALSE(again.Window().Action(CommandId::ViewStatusBar)->isChecked());
    again.Window().close();
}

TEST_F(MainWindowTest, LineNumbersTakeTheirWidthFromTheTextAndMarkBookmarks)
{
    std::string text;
    for (int i = 1; i <= 120; ++i)
        text += "line " + std::to_string(i) + "\n";
    const std::string path = dir.Write("numbered.txt", text);
    for (int start = 0; start < 2; ++start) {  // the setting survives a restart
        QuillApplication app(store);
        ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
        MainWindow& frame = app.Window();
        TextView& view = frame.View();
        auto* gutter = view.findChild<LineNumberGutter*>();
        ASSERT_NE(gutter, nullptr);
        if (start == 0) {
            EXPECT_FALSE(view.LineNumbersShown());  // off unless asked for
            QTest::qWait(20);
            const int widthBefore = view.viewport()->width();
            frame.Action(CommandId::LineNumbers)->trigger();
            EXPECT_TRUE(frame.Action(CommandId::LineNumbers)->isChecked());
            // "121" lines: three digits, a cell for the mark and one of space.
            EXPECT_EQ(gutter->width(), 5 * view.CellWidth());
            EXPECT_EQ(view.viewport()->width(), widthBefore - gutter->width());
            EXPECT_EQ(app.AppSettings().pageWidth, view.viewport()->width() / view.CellWidth());
            // A click on a row's number switches its bookmark; the cursor stays.
            const QPoint row2(gutter->width() / 2, 2 * view.CellHeight() + view.CellHeight() / 2);
            QTest::mouseClick(gutter, Qt::LeftButton, {}, row2);
            EXPECT_TRUE(app.CurrentDocument().HasBookmark(2));
            QTest::mouseClick(gutter, Qt::LeftButton, {}, row2 + QPoint(0, view.CellHeight()));
            QTest::mouseClick(gutter, Qt::LeftButton, {}, row2 + QPoint(0, view.CellHeight()));
            EXPECT_FALSE(app.CurrentDocument().HasBookmark(3));
            EXPECT_EQ(app.CurrentDocument().Selection().cursor.line, 0);
        }
        ASSERT_TRUE(view.LineNumbersShown());
        QTest::qWait(20);
        const QImage image = gutter->grab().toImage();
        const int h = view.CellHeight();
        const QRect markCell(1, 2 * h + 3, view.CellWidth() / 2, h - 6);
        EXPECT_GT(ShareOfColour(image, markCell, qRgb(0, 120, 215)), 0.9);
        EXPECT_LT(ShareOfColour(image, markCell.translated(0, -2 * h), qRgb(0, 120, 215)), 0.1);
        // Every row's number is drawn: dark pixels in the number cells of the first rows.
        for (int row = 0; row < 3; ++row)
            EXPECT_LT(ShareOfColour(image, QRect(0, row * h, gutter->width(), h), qRgb(236, 236, 236)), 0.97);
        app.Window().close();
        app.Exit();
    }
}

// A followed file is watched: growth, truncation and rotation show without waiting for the
// three-second look, byte for byte.
// Another program changes the open file (not followed): a bar offers Reload, which reads it again
// and goes away; the text stays as it was until then.
TEST_F(MainWindowTest, AFileChangedOnDiskIsOfferedForReload)
{
    const std::string path = dir.Write("notes.txt", "first\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    Document& doc = app.CurrentDocument();
    NoticeBar& bar = app.Window().ChangedOnDiskBar();
    EXPECT_FALSE(bar.isVisible());
    QTest::qWait(50);
    dir.Write("notes.txt", "first\nsecond\n");
    ASSERT_TRUE(QTest::qWaitFor([&bar] { return bar.isVisible(); }, 2000));
    EXPECT_EQ(doc.Text().LineCount(), 2);
    const auto buttons = bar.findChildren<QPushButton*>();
    const auto reload = std::find_if(buttons.begin(), buttons.end(),
                                     [](QPushButton* button) { return button->text() == QStringLiteral("Reload"); });
    ASSERT_NE(reload, buttons.end());
    (*reload)->click();
    EXPECT_EQ(doc.Text().LineCount(), 3);
    EXPECT_FALSE(bar.isVisible());
    app.Window().close();
    app.Exit();
}

TEST_F(MainWindowTest, AFollowedFileIsShownAsItGrowsIsTruncatedAndRotates)
{
    const std::string path = dir.Write("live.log", "start\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path, "-RELOAD"})));
    Document& doc = app.CurrentDocument();
    ASSERT_TRUE(QTest::qWaitFor([&doc] { return doc.Follow().Mode() == AutoReload::ChangesAndEnd; }, 2000));
    QTest::qWait(50);
    const auto text = [&doc] {
        std::string all;
        for (LineIndex i = 0; i < doc.Text().LineCount(); ++i)
            all += doc.Text().Line(i).Text();
        return all;
    };
    const auto shows = [&text](const std::string& bytes) {
        return QTest::qWaitFor([&] { return text() == bytes; }, 1500);  // well before the 3 s look
    };
    {
        std::ofstream out(path, std::ios::app | std::ios::binary);
        out << "one\r\ntwo";
    }
    ASSERT_TRUE(shows("start\none\r\ntwo")) << text();
    EXPECT_EQ(doc.Selection().cursor.line, 2);  // at the end
    {
        std::ofstream out(path, std::ios::app | std::ios::binary);
        out << " more\n";
    }
    ASSERT_TRUE(shows("start\none\r\ntwo more\n")) << text();
    {
        std::ofstream out(path, std::ios::trunc | std::ios::binary);
        out << "new";
    }
    ASSERT_TRUE(shows("new")) << text();
    ASSERT_EQ(std::rename(path.c_str(), dir.File("live.log.1").c_str()), 0);
    QTest::qWait(100);
    dir.Write("live.log", "rotated\n");
    ASSERT_TRUE(shows("rotated\n")) << text();
    EXPECT_EQ(doc.Follow().Mode(), AutoReload::ChangesAndEnd);
    app.Window().close();
    app.Exit();
}

}  // namespace
}  // namespace quill::test
