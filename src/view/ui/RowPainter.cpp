// Glyphs go cell by cell, so a face with uneven advances still keeps the columns.
#include "view/ui/RowPainter.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <QTransform>
#include <algorithm>

#include "view/RowLayout.h"

namespace quill {

namespace {

const QColor kFormFeedLine(0x80, 0x80, 0xF0);

}  // namespace

void RowPainter::SetFont(const QFont& text, QPaintDevice* device)
{
    textFont_ = text;
    const QFontMetrics metrics(textFont_, device);
    cellWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('A')));
    cellHeight_ = std::max(1, metrics.height());
    ascent_ = metrics.ascent();
    SizeHexDigits();
    // Each cell holds one character: its glyph can be looked up once instead of shaping a string
    // per cell at every paint, which made painting a page cost milliseconds.
    rawFont_ = QRawFont::fromFont(textFont_);
    latinGlyph_.fill(0);
    otherGlyph_.clear();
    fallback_.clear();
    if (rawFont_.isValid())
        for (char32_t c = 33; c < 256; ++c)
            latinGlyph_[c] = GlyphOf(c);
}

const RowPainter::FallbackGlyph& RowPainter::FallbackOf(char32_t c) const
{
    if (const auto found = fallback_.find(c); found != fallback_.end())
        return found->second;
    FallbackGlyph fallback;
    QTextLayout layout(QString::fromUcs4(&c, 1), textFont_);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() == 1 && runs.front().glyphIndexes().size() == 1 && runs.front().glyphIndexes().front() != 0) {
        fallback.font = runs.front().rawFont();
        fallback.glyph = runs.front().glyphIndexes().front();
    }
    return fallback_.emplace(c, fallback).first->second;
}

quint32 RowPainter::GlyphOf(char32_t c) const
{
    if (c < 256 && latinGlyph_[c] != 0)
        return latinGlyph_[c];
    if (const auto found = otherGlyph_.find(c); found != otherGlyph_.end())
        return found->second;
    quint32 glyph = 0;
    if (rawFont_.supportsCharacter(static_cast<uint>(c))) {
        const QList<quint32> glyphs = rawFont_.glyphIndexesForString(QString::fromUcs4(&c, 1));
        glyph = glyphs.size() == 1 ? glyphs.front() : 0;
    }
    if (c >= 256)
        otherGlyph_.emplace(c, glyph);
    return glyph;
}

void RowPainter::SizeHexDigits()
{
    // The two digits of a hex box stand one above the other, a pixel apart, and fill the box's
    // height: a font's sizes jump by whole pixels of ink, so the digits are drawn as outlines
    // scaled to exactly half the cell less that pixel (7 pixels at the default size), no wider
    // than the box less a pixel on each side.
    QFont face(QStringLiteral("DejaVu Sans"));
    face.setBold(true);
    face.setPixelSize(64);
    hexDigitHeight_ = std::max(3, (cellHeight_ - 1) / 2);
    const double maxWidth = std::max(2, cellWidth_ - 3);
    for (int k = 0; k < 16; ++k) {
        QPainterPath digit;
        digit.addText(0, 0, face, QString::number(k, 16).toUpper());
        const QRectF ink = digit.boundingRect();
        const double scaleY = hexDigitHeight_ / ink.height();
        const double scaleX = std::min(scaleY, maxWidth / ink.width());
        QTransform fit;
        fit.scale(scaleX, scaleY);
        fit.translate(-ink.left(), -ink.top());
        // Centred in the box (a cell less the pixel between boxes) once, not at every paint.
        const QPainterPath fitted = fit.map(digit);
        hexDigits_[static_cast<std::size_t>(k)] =
            fitted.translated(1 + (cellWidth_ - 1 - fitted.boundingRect().width()) / 2.0, 0);
    }
}

void RowPainter::Paint(QPainter& painter, const RowLayout& layout, int x0, int y, std::size_t first, std::size_t last,
                       bool formFeedLine, int lineEnd) const
{
    const std::vector<Cell>& cells = layout.cells;
    last = std::min(last, cells.size());
    first = std::min(first, last);
    if (layout.structured) {
        // The row gets the window colour, then each field its palette colour under its cells.
        painter.fillRect(QRect(x0, y, std::max(lineEnd - x0, 0) + 3000, cellHeight_), base_);
        for (const FieldSpan& span : layout.fields)
            painter.fillRect(QRect(x0 + static_cast<int>(span.column * cellWidth_), y,
                                   static_cast<int>(span.width * cellWidth_), cellHeight_),
                             QColor(QRgb(span.colour)));
    } else {
        painter.fillRect(QRect(x0, y, static_cast<int>(cells.size()) * cellWidth_, cellHeight_), base_);
    }
    painter.setFont(textFont_);
    if (!PaintGlyphRuns(painter, layout, x0, y, first, last))
        for (std::size_t i = first; i < last; ++i)
            if (cells[i].glyph != ' ')
                PaintCharacter(painter, layout, i, x0, y);
    for (std::size_t i = first; i < last; ++i)
        if (cells[i].box)
            PaintHexBox(painter, x0 + static_cast<int>(i) * cellWidth_, y, cells[i].stored,
                        RowLayout::BoxColour(cells[i]));
    if (layout.formFeed && formFeedLine) {
        painter.setPen(kFormFeedLine);
        painter.drawLine(0, y + cellHeight_ - 1, lineEnd, y + cellHeight_ - 1);
    }
    painter.setFont(textFont_);
}

void RowPainter::PaintCharacter(QPainter& painter, const RowLayout& layout, std::size_t i, int x0, int y) const
{
    const std::int32_t colour = layout.colours[i];
    painter.setPen(colour < 0 ? text_ : QColor(QRgb(static_cast<std::uint32_t>(colour))));
    const Cell& cell = layout.cells[i];
    // A character with marks is shaped as a whole; any other goes alone, so that the font's
    // fallbacks supply the glyphs the text font lacks.
    const QString text = cell.marks && cell.byte + cell.length <= layout.text.size()
                             ? QString::fromUtf8(layout.text.data() + cell.byte, cell.length)
                             : QString::fromUcs4(&cell.glyph, 1);
    painter.drawText(x0 + static_cast<int>(i) * cellWidth_, y + ascent_, text);
}

bool RowPainter::PaintGlyphRuns(QPainter& painter, const RowLayout& layout, int x0, int y, std::size_t first,
                                std::size_t last) const
{
    const int type = painter.device()->devType();
    if (!rawFont_.isValid() || (type != QInternal::Widget && type != QInternal::Image && type != QInternal::Pixmap))
        return false;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    const auto flush = [&](std::int32_t colour) {
        if (glyphs.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(rawFont_);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter.setPen(colour < 0 ? text_ : QColor(QRgb(static_cast<std::uint32_t>(colour))));
        painter.drawGlyphRun(QPointF(0, 0), run);
        glyphs.clear();
        positions.clear();
    };
    std::int32_t runColour = 0;
    for (std::size_t i = first; i < last; ++i) {
        const Cell& cell = layout.cells[i];
        if (cell.glyph == U' ')
            continue;
        const quint32 glyph = cell.marks ? 0 : GlyphOf(cell.glyph);
        const std::int32_t colour = layout.colours[i];
        if (glyph == 0) {
            // Not in the face: one of another face, or shaped with its marks by the text path.
            const FallbackGlyph* other = cell.marks ? nullptr : &FallbackOf(cell.glyph);
            if (other && other->glyph != 0) {
                QGlyphRun run;
                run.setRawFont(other->font);
                run.setGlyphIndexes({other->glyph});
                run.setPositions({QPointF(x0 + static_cast<int>(i) * cellWidth_, y + ascent_)});
                painter.setPen(colour < 0 ? text_ : QColor(QRgb(static_cast<std::uint32_t>(colour))));
                painter.drawGlyphRun(QPointF(0, 0), run);
            } else {
                PaintCharacter(painter, layout, i, x0, y);
            }
            continue;
        }
        if (colour != runColour)
            flush(runColour);
        runColour = colour;
        glyphs.append(glyph);
        positions.append(QPointF(x0 + static_cast<int>(i) * cellWidth_, y + ascent_));
    }
    flush(runColour);
    return true;
}

void RowPainter::PaintHexBox(QPainter& painter, int x, int y, std::uint8_t byte, std::uint32_t colour) const
{
    painter.fillRect(QRect(x + 1, y, cellWidth_ - 1, cellHeight_), QColor(QRgb(colour)));
    const bool smooth = painter.testRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Any pixel the two digits leave over goes above and below them alike.
    const int top = y + (cellHeight_ - (2 * hexDigitHeight_ + 1)) / 2;
    for (int i = 0; i < 2; ++i) {
        const QPainterPath& digit = hexDigits_[i == 0 ? byte >> 4 : byte & 0x0F];
        painter.fillPath(digit.translated(x, top + i * (hexDigitHeight_ + 1)), Qt::white);
    }
    painter.setRenderHint(QPainter::Antialiasing, smooth);
}

}  // namespace quill
