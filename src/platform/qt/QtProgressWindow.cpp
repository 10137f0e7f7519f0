// The progress window: shown only when work lasts, events handled at most every 50 ms.
#include "platform/qt/QtProgressWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProgressDialog>

#include "platform/qt/DialogWindow.h"

namespace quill {

namespace {
constexpr int kBarMaximum = 1000;
constexpr qint64 kShowAfterMs = 300;  // short work finishes before a window could even be seen
constexpr qint64 kEventIntervalMs = 50;
}  // namespace

QtProgressWindow::QtProgressWindow(QWidget* parent) : parent_(parent) {}

QtProgressWindow::~QtProgressWindow() = default;

void QtProgressWindow::Begin(std::int64_t range)
{
    if (depth_++ > 0)
        return;      // a nested operation shares the window of the outer one
    range_ = range;  // 0 or less: the amount of work is not known (a pipe), the bar just moves
    escape_ = false;
    stopped_ = false;
    typedAhead_.clear();
    sinceBegin_.start();
    sinceEvents_.start();
}

bool QtProgressWindow::Step(std::int64_t position)
{
    if (depth_ == 0 || sinceEvents_.elapsed() < kEventIntervalMs)
        return false;
    sinceEvents_.restart();
    if (!dialog_ && sinceBegin_.elapsed() >= kShowAfterMs && QApplication::instance()) {
        dialog_ = std::make_unique<QProgressDialog>(QStringLiteral("Quillarium is working ..."), QString(), 0,
                                                    kBarMaximum, parent_);
        dialog_->setWindowTitle(QStringLiteral("Quillarium is working ..."));
        DecorateDialog(*dialog_);
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(0);
        dialog_->installEventFilter(this);
        if (range_ <= 0)
            dialog_->setRange(0, 0);
        dialog_->show();
    }
    if (dialog_ && range_ > 0)
        dialog_->setValue(static_cast<int>(std::clamp<std::int64_t>(position, 0, range_) * kBarMaximum / range_));
    // Until the window shows, the user's keys and clicks wait: they must not change the document
    // in the middle of the work. Once it shows, it is modal and takes them itself.
    QApplication::processEvents(dialog_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    bool pressed = escape_;
    escape_ = false;
    stopped_ = stopped_ || pressed;
    return pressed;
}

void QtProgressWindow::End()
{
    if (depth_ == 0 || --depth_ > 0)
        return;
    dialog_.reset();
    // What the user typed meanwhile goes on as typed, shortcuts too (a key event that does not
    // come from the window system is offered to the shortcuts first); after Escape it is dropped.
    std::vector<std::unique_ptr<QKeyEvent>> typed;
    typed.swap(typedAhead_);
    if (stopped_)
        return;
    for (auto& key : typed)
        if (QWidget* target = QApplication::focusWidget())
            QCoreApplication::postEvent(target, key.release());
}

bool QtProgressWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        escape_ = true;
        return true;  // the dialog must not close itself: the operation decides
    }
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) {
        // A new event, not one of the window system's, so that its shortcut is found when it is sent.
        const auto* key = static_cast<QKeyEvent*>(event);
        typedAhead_.push_back(std::make_unique<QKeyEvent>(key->type(), key->key(), key->modifiers(), key->text(),
                                                          key->isAutoRepeat(), static_cast<quint16>(key->count())));
        return true;
    }
    if (event->type() == QEvent::Close) {
        escape_ = true;
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quill
