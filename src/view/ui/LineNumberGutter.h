// The narrow column left of the text that numbers its rows and marks the bookmarked lines.
#pragma once

#include <QFont>
#include <QWidget>

namespace quill {

class Document;
struct ViewState;

class LineNumberGutter : public QWidget {
    Q_OBJECT
public:
    LineNumberGutter(const Document& doc, const ViewState& state, QWidget* parent);

    /// The text font and its cell size, so that numbers stand level with their rows.
    void SetFont(const QFont& font, int cellWidth, int cellHeight);
    /// The width the numbers of the text's last line need, with a cell for the bookmark mark and
    /// one of space before the text.
    int WidthNeeded() const;

signals:
    /// A click on a row's number: the line whose bookmark is to be switched.
    void lineClicked(qint64 line);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const Document& doc_;
    const ViewState& state_;
    QFont font_;
    int cellWidth_ = 8;
    int cellHeight_ = 16;
};

}  // namespace quill
