// The file watcher through QFileSystemWatcher.
#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

#include "platform/FileWatcher.h"

namespace quill {

class QtFileWatcher : public QObject, public FileWatcher {
public:
    QtFileWatcher();
    void Watch(const std::string& path) override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void OnNotice();

    QFileSystemWatcher watcher_;
    QString watchedPath_;
    QBasicTimer gather_;  ///< gathers the notices of a burst of writes into one
    QBasicTimer tick_;
    QElapsedTimer sinceNotice_;
};

}  // namespace quill
