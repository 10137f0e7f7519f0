// The modeless "working" window with a progress bar; Escape in it stops the work.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <memory>
#include <vector>

#include "platform/ProgressWindow.h"

class QKeyEvent;
class QProgressDialog;
class QWidget;

namespace quill {

class QtProgressWindow : public QObject, public ProgressWindow {
    Q_OBJECT
public:
    explicit QtProgressWindow(QWidget* parent = nullptr);
    ~QtProgressWindow() override;
    void SetParent(QWidget* parent) { parent_ = parent; }

    void Begin(std::int64_t range) override;
    bool Step(std::int64_t position) override;
    void End() override;
    bool IsActive() const override { return depth_ > 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* parent_;
    std::unique_ptr<QProgressDialog> dialog_;
    QElapsedTimer sinceBegin_;
    QElapsedTimer sinceEvents_;
    std::int64_t range_ = 0;
    int depth_ = 0;
    bool escape_ = false;
    bool stopped_ = false;  ///< Escape was pressed during this work
    /// Keys typed while the window showed: they go where the keys go once the work is done.
    std::vector<std::unique_ptr<QKeyEvent>> typedAhead_;
};

}  // namespace quill
