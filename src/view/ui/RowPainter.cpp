// Glyphs go cell by cell, so a face with uneven advances still keeps the columns.
#include "view/ui/RowPainter.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
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
    SizeHexFont(device);
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

void RowPainter::SizeHexFont(QPaintDevice* device)
{
    // The two digits of a hex box stand one above the other and fill it: the largest face whose
    // digits fit half a cell high and a box wide (a cell less the pixel between boxes).
    hexFont_ = QFont(QStringLiteral("DejaVu Sans"));
    hexFont_.setBold(true);
    const int maxHeight = std::max(1, cellHeight_ / 2);
    const int maxWidth = std::max(1, cellWidth_ - 1);
    for (int pixels = cellHeight_; pixels >= 4; --pixels) {
        hexFont_.setPixelSize(pixels);
        const QFontMetrics metrics(hexFont_, device);
        hexDigitHeight_ = metrics.tightBoundingRect(QStringLiteral("8")).height();
        if (hexDigitHeight_ <= maxHeight && metrics.tightBoundingRect(QStringLiteral("D")).width() <= maxWidth)
            break;
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
    painter.setFont(hexFont_);
    painter.setPen(Qt::white);
    const QFontMetrics metrics(hexFont_, painter.device());
    const QString digits = QString::asprintf("%02X", byte);
    const int half = cellHeight_ / 2;
    for (int i = 0; i < 2; ++i) {
        // Each digit's ink is centred in its half of the box.
        const QString digit = digits.mid(i, 1);
        const QRect ink = metrics.tightBoundingRect(digit);
        const int left = x + 1 + (cellWidth_ - 1 - ink.width()) / 2 - ink.left();
        const int top = y + i * half + (half - ink.height()) / 2;
        painter.drawText(left, top - ink.top(), digit);
    }
}

}  // namespace quill
