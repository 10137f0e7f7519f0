// Drawing the field ruler.
#include "view/ui/FieldRuler.h"

#include <QPainter>
#include <algorithm>

#include "document/Document.h"
#include "platform/qt/Cp1252.h"
#include "view/FieldSpans.h"
#include "view/ViewState.h"

namespace quill {

FieldRuler::FieldRuler(Document& doc, const ViewState& state, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      state_(state)
{
    setFixedHeight(kHeight);
}

void FieldRuler::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int width = this->width();
    painter.fillRect(0, 0, width, kHeight, palette().color(QPalette::Window));
    painter.fillRect(0, 1, width, 1, QColor(240, 240, 240));
    painter.fillRect(0, 2, width, 2, QColor(160, 160, 160));
    painter.fillRect(0, 3, width, 1, QColor(96, 96, 96));
    painter.fillRect(2, 4, width, 15, QColor(224, 224, 224));
    StructureDescription& structure = doc_.Structure();
    if (!structure.IsActive() || doc_.Selection().cursor.line >= doc_.Text().LineCount())
        return;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(9);
    font.setBold(true);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    for (const FieldSpan& span :
         FieldSpansOf(structure, doc_.Text().Line(doc_.Selection().cursor.line), doc_.Rules())) {
        const int x = static_cast<int>((span.column - state_.leftColumn) * cellWidth_) + 2;
        const int w = static_cast<int>(span.width * cellWidth_);
        painter.fillRect(x, 5, w, 14, QColor(QRgb(span.colour)));
        // A name longer than its field is shortened with an ellipsis and kept inside the field,
        // so that it never runs over the next field's name.
        const QString name = metrics.elidedText(FromCp1252(*span.name), Qt::ElideRight, std::max(0, w - 2));
        const int textWidth = metrics.horizontalAdvance(name);
        const int textX = textWidth < w ? x + (w - textWidth) / 2 : x + 1;
        painter.setPen(Qt::black);
        painter.save();
        painter.setClipRect(x, 4, w, 15);
        painter.drawText(textX, 4 + metrics.ascent(), name);
        painter.restore();
    }
}

}  // namespace quill
