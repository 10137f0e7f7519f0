// Watching the followed file, and the half-second tick of the document.
#include "platform/qt/QtFileWatcher.h"

#include <QFileInfo>
#include <QTimerEvent>
#include <algorithm>

namespace quill {

namespace {

constexpr qint64 kNoticeInterval = 80;  // ms between notices of a file that keeps changing
constexpr int kTickInterval = 500;      // ms

}  // namespace

QtFileWatcher::QtFileWatcher()
{
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &QtFileWatcher::OnNotice);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &QtFileWatcher::OnNotice);
    sinceNotice_.start();
    tick_.start(kTickInterval, this);
}

void QtFileWatcher::Watch(const std::string& path)
{
    const QString wanted = QString::fromLocal8Bit(path.c_str());
    if (wanted != watchedPath_) {
        if (!watcher_.files().isEmpty())
            watcher_.removePaths(watcher_.files());
        if (!watcher_.directories().isEmpty())
            watcher_.removePaths(watcher_.directories());
        watchedPath_ = wanted;
        gather_.stop();
        if (!wanted.isEmpty())
            watcher_.addPath(QFileInfo(wanted).absolutePath());
    }
    // A file renamed away or deleted drops out of the watch; it comes back once it is there again.
    if (!wanted.isEmpty() && !watcher_.files().contains(wanted) && QFileInfo::exists(wanted))
        watcher_.addPath(wanted);
}

void QtFileWatcher::OnNotice()
{
    if (gather_.isActive() || watchedPath_.isEmpty())
        return;
    // Soon after a quiet spell; while writes keep coming, one notice per interval: each look at
    // the file repaints the page, which costs a few milliseconds.
    const qint64 wait = std::max<qint64>(5, kNoticeInterval - sinceNotice_.elapsed());
    gather_.start(static_cast<int>(wait), this);
}

void QtFileWatcher::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == tick_.timerId())
        return Ticked();
    if (event->timerId() != gather_.timerId())
        return QObject::timerEvent(event);
    gather_.stop();
    sinceNotice_.restart();
    Changed();
}

}  // namespace quill
