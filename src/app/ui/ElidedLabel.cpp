// Eliding the start of a status pane's text.
#include "app/ui/ElidedLabel.h"

#include <QPainter>
#include <QStyle>

namespace quill {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {fontMetrics().averageCharWidth() * 8, QLabel::minimumSizeHint().height()};
}

QString ElidedLabel::ShownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideLeft, contentsRect().width());
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    setToolTip(fontMetrics().horizontalAdvance(text()) > contentsRect().width() ? text() : QString());
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(), isEnabled(), ShownText(),
                          foregroundRole());
}

}  // namespace quill
