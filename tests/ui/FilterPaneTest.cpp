// The filter pane in the window: it lists the lines grep -n lists, a click shows the line, new
// lines of a followed file join the list, marks join it, and the last texts are remembered.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <random>

#include "app/CommandTable.h"
#include "app/ui/FilterListModel.h"
#include "app/ui/FilterPane.h"
#include "app/ui/FilterTab.h"
#include "app/ui/MainWindow.h"
#include "app/ui/QuillApplication.h"
#include "document/Document.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "view/ui/TextView.h"

namespace quill::test {
namespace {

// A service's log: requests, warnings, payments, tabs, UTF-8 and a CR LF here and there.
std::string ServiceLog(int lines)
{
    std::mt19937 random(3);
    static const char* kMessages[] = {"INFO  request handled in %d ms status=ok",
                                      "WARN  slow request: %d ms",
                                      "ERROR [pay] payment refused after %d ms",
                                      "ERROR [db] connection timeout after %dms",
                                      "INFO  user=J\xC3\xBCrgen logged in\tfrom 10.0.0.%d",
                                      "DEBUG cache miss %d"};
    std::string text;
    char line[200];
    for (int i = 0; i < lines; ++i) {
        std::snprintf(line, sizeof line, kMessages[random() % 6], static_cast<int>(random() % 1000));
        text += "2026-12-09 10:" + std::to_string(10 + i % 50) + " " + line + (i % 97 == 0 ? "\r\n" : "\n");
    }
    return text;
}

// The line numbers grep -n gives for a pattern (-F for a literal, -E for an expression).
std::vector<qlonglong> GrepLines(const std::string& options, const std::string& pattern, const std::string& path)
{
    std::vector<qlonglong> lines;
    const std::string command = "grep -n " + options + " -e '" + pattern + "' '" + path + "' | cut -d: -f1";
    FILE* pipe = ::popen(command.c_str(), "r");
    long long number = 0;
    while (pipe && std::fscanf(pipe, "%lld", &number) == 1)
        lines.push_back(number);
    if (pipe)
        ::pclose(pipe);
    return lines;
}

std::vector<qlonglong> Listed(FilterPane& pane)
{
    std::vector<qlonglong> lines;
    FilterListModel& model = pane.Model();
    for (int row = 0; row < model.rowCount(); ++row)
        lines.push_back(model.data(model.index(row), FilterListModel::kLineNumber).toLongLong());
    return lines;
}

class FilterPaneTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("QUILLARIUM_DATA", QByteArray::fromStdString(dir.File("QVXData"))); }

    static bool Finished(FilterPane& pane)
    {
        return QTest::qWaitFor([&pane] { return !pane.Searching(); }, 10000);
    }

    TempDir dir;
    MemorySettingsStore store;
};

TEST_F(FilterPaneTest, ListsTheLinesGrepListsAndAClickShowsTheLine)
{
    const std::string path = dir.Write("service.log", ServiceLog(60000));
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    MainWindow& frame = app.Window();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));  // shortcuts go to the active window
    frame.Action(CommandId::FilterPane)->trigger();
    FilterPane& pane = frame.Filter();
    ASSERT_FALSE(pane.isHidden());
    struct Case {
        const char* text;
        bool regex;
        bool matchCase;
        const char* grep;
    };
    const Case cases[] = {
        {"ERROR", true, true, "-F"},          {"payment refused", false, true, "-F"},
        {"error", false, false, "-F -i"},     {"timeout after [0-9]+ ?ms", true, true, "-E"},
        {"J\xC3\xBCrgen", false, true, "-F"}, {"^2026-12-09 10:1[0-3] WARN", true, true, "-E"},
    };
    for (const Case& c : cases) {
        pane.SetFilter(QString::fromUtf8(c.text), c.regex, c.matchCase);
        ASSERT_TRUE(Finished(pane)) << c.text;
        const std::vector<qlonglong> expected = GrepLines(c.grep, c.text, path);
        EXPECT_FALSE(expected.empty()) << c.text;
        EXPECT_TRUE(Listed(pane) == expected)
            << c.text << ": " << Listed(pane).size() << " listed, grep " << expected.size();
        EXPECT_TRUE(pane.CountText().startsWith(QLocale().toString(static_cast<qlonglong>(expected.size()))))
            << pane.CountText().toStdString();
    }

    // Escape in the field stops a search that runs (an expression over many lines takes a while).
    pane.SetFilter(QStringLiteral("(a|b|c)*[0-9]{3}x?z"), true, false);
    if (pane.Searching()) {
        QTest::keyClick(pane.focusWidget() ? pane.focusWidget() : &pane, Qt::Key_Escape);
        EXPECT_FALSE(pane.Searching());
        EXPECT_TRUE(pane.CountText().endsWith(QStringLiteral("(stopped)"))) << pane.CountText().toStdString();
    }

    // A click on a row shows its line in the text, the cursor on the hit.
    pane.SetFilter(QStringLiteral("payment refused"), false, true);
    ASSERT_TRUE(Finished(pane));
    const int row = pane.Model().rowCount() / 2;
    const QRect cell = pane.List().visualRect(pane.Model().index(row));
    pane.List().scrollTo(pane.Model().index(row));
    QTest::mouseClick(pane.List().viewport(), Qt::LeftButton, {},
                      pane.List().visualRect(pane.Model().index(row)).center());
    (void)cell;
    Document& doc = app.CurrentDocument();
    const LineIndex line = doc.Selection().cursor.line;
    EXPECT_EQ(line + 1, Listed(pane)[static_cast<std::size_t>(row)]);
    const std::string_view text = doc.Text().Line(line).Text();
    const std::size_t at = text.find("payment refused");
    ASSERT_NE(at, std::string_view::npos);
    EXPECT_EQ(doc.Selection().cursor.column, static_cast<Column>(at));
    // The list was used: its text is remembered, though Enter was never pressed in the field.
    ASSERT_FALSE(doc.AppSettings().filterTexts.empty());
    EXPECT_EQ(doc.AppSettings().filterTexts.front(), "payment refused");
    app.Exit();
}

TEST_F(FilterPaneTest, TheHitIsMarkedOnItsOwnCharactersWhateverStandsBeforeIt)
{
    // Wide characters, an emoji (two UTF-16 units), marks, a tab and a stray byte before the hit:
    // the marked part of the row's text is the hit itself.
    const std::string path =
        dir.Write("wide.log", "日本語 hit\n😀😀 x\thit\no\xcc\x88o\xcc\x88 hit\n\xff\xc3\xa4\xc3\xb6\xc3\xbc"
                              "\xc3\xa4\xc3\xb6\xc3\xbc hit\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    ASSERT_TRUE(app.CurrentDocument().Utf8Text());
    app.Window().Action(CommandId::FilterPane)->trigger();
    FilterPane& pane = app.Window().Filter();
    pane.SetFilter(QStringLiteral("hit"), false, true);
    ASSERT_TRUE(Finished(pane));
    FilterListModel& model = pane.Model();
    ASSERT_EQ(model.rowCount(), 4);
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString text = model.data(model.index(row), Qt::DisplayRole).toString();
        const QPoint hit = model.data(model.index(row), FilterListModel::kHit).toPoint();
        EXPECT_EQ(text.mid(hit.x(), hit.y() - hit.x()), QStringLiteral("hit")) << text.toStdString();
    }
    app.Exit();
}

TEST_F(FilterPaneTest, NewLinesOfAFollowedFileAndMarkedLinesJoinTheList)
{
    const std::string path = dir.Write("live.log", "start\nERROR one\nquiet\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path, "-RELOAD"})));
    Document& doc = app.CurrentDocument();
    ASSERT_TRUE(QTest::qWaitFor([&doc] { return doc.Follow().Mode() == AutoReload::ChangesAndEnd; }, 2000));
    FilterPane& pane = app.Window().Filter();
    app.Window().Action(CommandId::FilterPane)->trigger();
    pane.SetFilter(QStringLiteral("ERROR"));
    ASSERT_TRUE(Finished(pane));
    EXPECT_EQ(Listed(pane), (std::vector<qlonglong>{2}));
    {
        std::ofstream out(path, std::ios::app | std::ios::binary);
        out << "fine\nERROR two\nERROR three\n";
    }
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return Listed(pane) == std::vector<qlonglong>{2, 5, 6};
        },
        3000))
        << Listed(pane).size();

    // Ctrl+click on a line marks it; the list shows it among the hits, marked.
    pane.ToggleMark(2);  // "quiet"
    EXPECT_EQ(Listed(pane), (std::vector<qlonglong>{2, 3, 5, 6}));
    EXPECT_TRUE(pane.Model().data(pane.Model().index(1), FilterListModel::kMarked).toBool());
    EXPECT_TRUE(pane.CountText().contains(QStringLiteral("1 marked")));

    // A second filter in a tab of its own: both lists stand, the mark in each.
    pane.AddFilter();
    ASSERT_EQ(pane.FilterCount(), 2);
    pane.SetFilter(QStringLiteral("fine"));
    ASSERT_TRUE(Finished(pane));
    EXPECT_EQ(Listed(pane), (std::vector<qlonglong>{3, 4}));
    EXPECT_TRUE(pane.CountText().startsWith(QStringLiteral("1 line, 1 marked"))) << pane.CountText().toStdString();
    app.Window().close();
    app.Exit();
}

TEST_F(FilterPaneTest, TheListFollowsAFollowedFileWhileItsLastRowIsInSight)
{
    std::string lines;
    for (int k = 0; k < 300; ++k)
        lines += "ERROR " + std::to_string(k) + "\n";
    const std::string path = dir.Write("live.log", lines);
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path, "-RELOAD"})));
    Document& doc = app.CurrentDocument();
    ASSERT_TRUE(QTest::qWaitFor([&doc] { return doc.Follow().Mode() == AutoReload::ChangesAndEnd; }, 2000));
    FilterPane& pane = app.Window().Filter();
    app.Window().Action(CommandId::FilterPane)->trigger();
    pane.SetFilter(QStringLiteral("ERROR"));
    ASSERT_TRUE(Finished(pane));
    const auto lastRowShown = [&pane] {
        const QModelIndex last = pane.Model().index(pane.Model().rowCount() - 1);
        return pane.List().visualRect(last).intersects(pane.List().viewport()->rect());
    };
    const auto append = [&](int from) {
        std::ofstream out(path, std::ios::app | std::ios::binary);
        for (int k = from; k < from + 50; ++k)
            out << "ERROR " << k << "\n";
    };
    // At the end of the list: new hits keep it there.
    QTest::qWait(100);  // the list lays its rows out
    pane.List().scrollToBottom();
    QTest::qWait(300);
    ASSERT_TRUE(lastRowShown());
    append(300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane.Model().rowCount() == 350; }, 3000)) << pane.Model().rowCount();
    EXPECT_TRUE(lastRowShown());
    // Scrolled back to the top: the list stays there.
    pane.List().scrollToTop();
    QTest::qWait(300);
    append(350);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane.Model().rowCount() == 400; }, 3000)) << pane.Model().rowCount();
    EXPECT_FALSE(lastRowShown());
    EXPECT_EQ(pane.List().indexAt(QPoint(2, 2)).row(), 0);
    app.Window().close();
    app.Exit();
}

TEST_F(FilterPaneTest, AfterADialogOpenedFromTheListTheKeysGoToTheText)
{
    std::string text;
    for (int i = 1; i <= 200; ++i)
        text += "line " + std::to_string(i) + (i % 10 ? "\n" : " ERROR\n");
    const std::string path = dir.Write("focus.log", text);
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    MainWindow& frame = app.Window();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    frame.Action(CommandId::FilterPane)->trigger();
    FilterPane& pane = frame.Filter();
    pane.SetFilter(QStringLiteral("ERROR"));
    ASSERT_TRUE(Finished(pane));
    // A click on a row: the list has the keys. Then Go To Line, answered with 100 and Enter.
    QTest::mouseClick(pane.List().viewport(), Qt::LeftButton, {},
                      pane.List().visualRect(pane.Model().index(2)).center());
    pane.List().setFocus();
    ASSERT_TRUE(pane.List().hasFocus());
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (auto* edit = dialog ? dialog->findChild<QLineEdit*>() : nullptr) {
            answer.stop();
            edit->setText(QStringLiteral("100"));
            dialog->accept();
        }
    });
    answer.start(20);
    frame.Action(CommandId::GoToLineColumn)->trigger();
    answer.stop();
    Document& doc = app.CurrentDocument();
    ASSERT_EQ(doc.Selection().cursor.line, 99);
    ASSERT_EQ(frame.focusWidget(), &frame.View());  // the widget that has the keys when the window does
    QTest::keyClicks(frame.focusWidget(), QStringLiteral("typed"));
    EXPECT_NE(doc.Text().Line(99).Text().find("typed"), std::string_view::npos) << doc.Text().Line(99).Text();
    doc.Undo();
    app.Exit();
}

TEST_F(FilterPaneTest, EditsMoveTheListAndTheTextsAreRemembered)
{
    const std::string path = dir.Write("edit.log", "a ERROR\nb\nc ERROR\n");
    {
        QuillApplication app(store);
        ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
        FilterPane& pane = app.Window().Filter();
        app.Window().Action(CommandId::FilterPane)->trigger();
        pane.SetFilter(QStringLiteral("ERROR"));
        ASSERT_TRUE(Finished(pane));
        EXPECT_EQ(Listed(pane), (std::vector<qlonglong>{1, 3}));
        // Enter on the text view's first line: everything below moves down a line.
        TextView& view = app.Window().View();
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(&view, Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return Listed(pane) == std::vector<qlonglong>{2, 4};
            },
            2000))
            << Listed(pane).size();
        QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(pane) == std::vector<qlonglong>{1, 3}; }, 2000));
        for (int i = 0; i < 20; ++i) {
            pane.SetFilter(QStringLiteral("text %1").arg(i));
            QTest::keyClick(pane.focusWidget() ? pane.focusWidget() : &pane, Qt::Key_Return);
        }
        app.Exit();
    }
    QuillApplication again(store);
    ASSERT_TRUE(again.Start(CommandLine::Parse({path})));
    const auto& texts = again.CurrentDocument().AppSettings().filterTexts;
    ASSERT_EQ(texts.size(), 16u);
    EXPECT_EQ(texts.front(), "text 19");
    again.Exit();
}

}  // namespace
}  // namespace quill::test
