// Drawing the line numbers.
#include "view/ui/LineNumberGutter.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <string>

#include "document/Document.h"
#include "view/ViewState.h"

namespace quill {

namespace {

const QColor kGutterBackground(236, 236, 236);
const QColor kNumberColour(120, 120, 120);
const QColor kBookmarkColour(0, 120, 215);

}  // namespace

LineNumberGutter::LineNumberGutter(const Document& doc, const ViewState& state, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      state_(state)
{
}

void LineNumberGutter::SetFont(const QFont& font, int cellWidth, int cellHeight)
{
    font_ = font;
    font_.setBold(false);  // lighter than the text, so the eye stays on the text
    cellWidth_ = cellWidth;
    cellHeight_ = cellHeight;
}

int LineNumberGutter::WidthNeeded() const
{
    const int digits = static_cast<int>(std::to_string(doc_.FileLines().FileLineCount()).size());
    return (digits + 2) * cellWidth_;
}

void LineNumberGutter::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), kGutterBackground);
    painter.setFont(font_);
    const int numberRight = width() - cellWidth_;
    const LineIndex count = doc_.Text().LineCount();
    // The numbers are the file's lines: a display line that continues a wrapped one has none.
    const FileLineIndex& lines = doc_.FileLines();
    LineIndex fileLine = lines.FileLineOf(state_.topLine);
    for (int row = 0; row * cellHeight_ < height() && state_.topLine + row < count; ++row) {
        const LineIndex line = state_.topLine + row;
        const bool continues = lines.Continues(line);
        if (!continues && row > 0)
            ++fileLine;
        const QRect cell(0, row * cellHeight_, numberRight, cellHeight_);
        if (!cell.intersects(event->rect()))
            continue;
        const bool marked = doc_.HasBookmark(line);
        if (marked)
            painter.fillRect(QRect(1, cell.top() + 2, cellWidth_ / 2, cellHeight_ - 4), kBookmarkColour);
        painter.setPen(marked ? kBookmarkColour : kNumberColour);
        if (!continues)
            painter.drawText(cell, Qt::AlignRight | Qt::AlignVCenter, QString::number(fileLine + 1));
    }
}

void LineNumberGutter::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const LineIndex line = state_.topLine + static_cast<int>(event->position().y()) / cellHeight_;
    if (line < doc_.Text().LineCount())
        emit lineClicked(line);
}

}  // namespace quill
