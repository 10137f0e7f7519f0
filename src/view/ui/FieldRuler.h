// The bar above the text that names the fields of the cursor's record.
#pragma once

#include <QWidget>

namespace quill {

class Document;
struct ViewState;

class FieldRuler : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 20;

    FieldRuler(Document& doc, const ViewState& state, QWidget* parent);
    void SetCellWidth(int width) { cellWidth_ = width; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Document& doc_;
    const ViewState& state_;
    int cellWidth_ = 8;
};

}  // namespace quill
