// What only the widget can show: the desktop clipboard, mouse drags, the painted caret and selection.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/ui/MainWindow.h"
#include "app/ui/QuillApplication.h"
#include "document/Document.h"
#include "platform/qt/QtClipboard.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "view/ui/TextView.h"

namespace quill::test {
namespace {

class EditorViewTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("QUILLARIUM_DATA", QByteArray::fromStdString(dir.File("QVXData"))); }
    std::string Text(QuillApplication& app)
    {
        std::string all;
        for (LineIndex i = 0; i < app.CurrentDocument().Text().LineCount(); ++i)
            all += app.CurrentDocument().Text().Line(i).Text();
        return all;
    }
    void Quit(QuillApplication& app)
    {
        app.CurrentDocument().MarkModified(false);  // no question about saving
        app.Window().close();
        app.Exit();
    }
    QPoint CellCentre(const TextView& view, int line, int column)
    {
        return {column * view.CellWidth() + 1, line * view.CellHeight() + view.CellHeight() / 2};
    }

    TempDir dir;
    MemorySettingsStore store;
};

TEST_F(EditorViewTest, ACtrlDragSelectsABlockThatTravelsThroughTheDesktopClipboard)
{
    const std::string path = dir.Write("block.txt", "abcdef\nab\nabcdef\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    TextView& view = app.Window().View();
    QWidget* area = view.viewport();
    QTest::mousePress(area, Qt::LeftButton, Qt::ControlModifier, CellCentre(view, 0, 1));
    QTest::mouseMove(area, CellCentre(view, 2, 4));
    QTest::mouseRelease(area, Qt::LeftButton, Qt::ControlModifier, CellCentre(view, 2, 4));
    ASSERT_TRUE(app.CurrentDocument().Selection().Active());
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Insert, Qt::ControlModifier);  // Ctrl+Insert copies

    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), QStringLiteral("bcd\nb  \nbcd\n"));
    ASSERT_TRUE(data->hasFormat(QString::fromLatin1(QtClipboard::kBlockMimeType)));
    EXPECT_EQ(data->data(QString::fromLatin1(QtClipboard::kBlockMimeType))[0], 1);

    // Pasted at the start of the last line it is a block again, not three lines of text.
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Up);
    QTest::keyClick(&view, Qt::Key_Insert, Qt::ShiftModifier);  // Shift+Insert pastes
    EXPECT_EQ(Text(app), "abcdef\nab\nbcdabcdef\nb  \nbcd\n");
    Quit(app);
}

TEST_F(EditorViewTest, PlainTextFromOtherProgramsIsStoredAsUtf8AndGoesBackAsItCame)
{
    const std::string path = dir.Write("plain.txt", "x\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    const QString text = QStringLiteral("caf\u00e9 \u2192 \u20ac \u4e2d ");  // é, →, €, a CJK character
    QApplication::clipboard()->setText(text);
    TextView& view = app.Window().View();
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(Text(app), "caf\xC3\xA9 \xE2\x86\x92 \xE2\x82\xAC \xE4\xB8\xAD x\n");
    QApplication::clipboard()->clear();
    view.Input().Motion().SelectAll();
    QTest::keyClick(&view, Qt::Key_Insert, Qt::ControlModifier);  // Ctrl+Insert copies
    EXPECT_EQ(QApplication::clipboard()->text(), text + QStringLiteral("x\n"));
    Quit(app);
}

// The share of pixels of a cell that differ from the window background.
double InkedShare(const QImage& image, const QRect& cell, QRgb background)
{
    int differing = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            differing += (image.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF);
    return static_cast<double>(differing) / (cell.width() * cell.height());
}

TEST_F(EditorViewTest, TheSelectionIsPaintedInverted)
{
    const std::string path = dir.Write("sel.txt", "          \n          \n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    TextView& view = app.Window().View();
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Right);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    const QImage image = view.viewport()->grab().toImage();
    const QRgb background = view.palette().color(QPalette::Base).rgb();
    const int w = view.CellWidth(), h = view.CellHeight();
    EXPECT_GT(InkedShare(image, QRect(3 * w + 1, 1, w - 2, h - 3), background), 0.9);      // selected
    EXPECT_LT(InkedShare(image, QRect(8 * w + 1, 1, w - 2, h - 3), background), 0.1);      // not selected
    EXPECT_LT(InkedShare(image, QRect(3 * w + 1, h + 2, w - 2, h - 4), background), 0.1);  // the next row
    Quit(app);
}

// Records the areas the viewport is asked to paint.
class PaintSpy : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            areas.push_back(static_cast<QPaintEvent*>(event)->rect());
        return false;
    }
    std::vector<QRect> areas;
};

TEST_F(EditorViewTest, ATypedCharacterRepaintsItsRowOnly)
{
    const std::string path = dir.Write("rows.txt", "one\ntwo\nthree\nfour\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    TextView& view = app.Window().View();
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Down);
    QApplication::processEvents();  // nothing pending
    PaintSpy spy;
    view.viewport()->installEventFilter(&spy);
    QTest::keyClick(&view, Qt::Key_X);
    QApplication::processEvents();
    view.viewport()->removeEventFilter(&spy);
    ASSERT_FALSE(spy.areas.empty());
    for (const QRect& area : spy.areas) {
        EXPECT_EQ(area.top(), view.CellHeight());
        EXPECT_EQ(area.height(), view.CellHeight());
    }
    EXPECT_EQ(Text(app), "one\nxtwo\nthree\nfour\n");
    Quit(app);
}

TEST_F(EditorViewTest, FindThroughTheRealDialog)
{
    const std::string path = dir.Write("find.txt", "first line\nthe target is here\n");
    QuillApplication app(store);
    ASSERT_TRUE(app.Start(CommandLine::Parse({path})));
    TextView& view = app.Window().View();
    app.Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&app.Window()));
    view.setFocus();
    QString title;
    QTimer filler;  // types into the dialog once it shows, however slow the machine
    QObject::connect(&filler, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        filler.stop();
        title = dialog->windowTitle();
        dialog->findChild<QLineEdit*>()->setText(QStringLiteral("TARGET"));
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("&Find"))
                button->click();
    });
    filler.start(50);
    QTest::keyClick(&view, Qt::Key_F, Qt::ControlModifier);
    filler.stop();
    EXPECT_EQ(title, QStringLiteral("Find"));
    EXPECT_EQ(app.CurrentDocument().Selection().cursor.line, 1);
    EXPECT_EQ(app.CurrentDocument().Selection().anchor.column, 4);  // not case sensitive
    EXPECT_EQ(app.CurrentDocument().Selection().cursor.column, 10);
    Quit(app);
}

}  // namespace
}  // namespace quill::test
