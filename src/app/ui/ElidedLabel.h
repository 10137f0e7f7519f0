// A status pane that never pushes its neighbours: a text too long for it loses its beginning to
// an ellipsis, so that the end (a file name and its time) stays in view. The whole text is the
// tooltip.
#pragma once

#include <QLabel>

namespace quill {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent);

    QSize minimumSizeHint() const override;
    /// The text as the pane shows it in its present width.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quill
