// The pale yellow bar of notices above the text.
#include "app/ui/NoticeBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace quill {

NoticeBar::NoticeBar(const QString& text, QWidget* parent)
    : QFrame(parent),
      layout_(new QHBoxLayout(this)),
      label_(new QLabel(text, this))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 248, 208));
    setPalette(colours);
    layout_->setContentsMargins(8, 3, 8, 3);
    // A long notice takes more rows, never a wider window.
    label_->setWordWrap(true);
    label_->setMinimumWidth(120);
    layout_->addWidget(label_, 1);
    hide();
}

QPushButton* NoticeBar::AddButton(const QString& label)
{
    auto* button = new QPushButton(label, this);
    button->setFocusPolicy(Qt::NoFocus);  // the text keeps the keyboard
    layout_->addWidget(button);
    return button;
}

QString NoticeBar::Text() const { return label_->text(); }

}  // namespace quill
