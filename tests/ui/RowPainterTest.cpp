// The screen draws a row's glyphs as runs of looked-up glyphs; a printer gets text. Both must
// put the same ink in the same cells.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QPicture>

#include "common/Utf8.h"
#include "view/RowLayout.h"
#include "view/ui/RowPainter.h"

namespace quill::test {
namespace {

QImage Blank(const RowPainter& painter, int cells)
{
    QImage image(cells * painter.CellWidth(), painter.CellHeight(), QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(RowPainterTest, GlyphRunsPutTheSameInkAsTextInEveryColour)
{
    RowPainter rows;
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(14);
    font.setBold(true);
    rows.SetFont(font);
    RowLayout layout;
    // Letters, punctuation, code page 1252 letters and signs, a blank, in three colours.
    const std::string text = "Hello, W\xF6rld! \x80 \xE9t\xE9 {x=1;} \xA7\xB5";
    for (std::size_t i = 0; i < text.size(); ++i) {
        Cell cell;
        cell.glyph = Cp1252ToUnicode(static_cast<unsigned char>(text[i]));
        layout.cells.push_back(cell);
        layout.colours.push_back(i % 7 == 0 ? -1 : (i % 3 ? 0x0000C0 : 0xC00000));
    }
    const int cells = static_cast<int>(text.size());

    QImage screen = Blank(rows, cells);
    {
        QPainter painter(&screen);
        rows.Paint(painter, layout, 0, 0, 0, layout.cells.size(), false, screen.width());
    }
    // A picture is no screen: it records text, as a printer does; replayed onto an image.
    QPicture picture;
    {
        QPainter painter(&picture);
        rows.Paint(painter, layout, 0, 0, 0, layout.cells.size(), false, screen.width());
    }
    QImage printed = Blank(rows, cells);
    {
        QPainter painter(&printed);
        painter.drawPicture(0, 0, picture);
    }
    int inked = 0, differing = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            inked += screen.pixel(x, y) != qRgb(255, 255, 255);
            differing += screen.pixel(x, y) != printed.pixel(x, y);
        }
    EXPECT_GT(inked, cells * 10);  // the glyphs are there
    EXPECT_LE(differing, inked / 50) << differing << " of " << inked;
}

}  // namespace
}  // namespace quill::test
