// A bar above the text that tells something and offers buttons, without stopping the user: the
// text keeps the keyboard while it is shown.
#pragma once

#include <QFrame>
#include <QString>

class QHBoxLayout;
class QLabel;
class QPushButton;

namespace quill {

class NoticeBar : public QFrame {
    Q_OBJECT
public:
    NoticeBar(const QString& text, QWidget* parent);

    /// A button at the right end, after those added before; it never takes the focus.
    QPushButton* AddButton(const QString& label);
    QString Text() const;

private:
    QHBoxLayout* layout_;
    QLabel* label_;
};

}  // namespace quill
