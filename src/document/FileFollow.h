// Following the file on disk: the watcher's ticks and notices, auto reload and its file end, and
// noticing a file changed by another program.
#pragma once

#include <string>

#include "text/FileStatus.h"
#include "text/TextTypes.h"

namespace quill {

class Document;
class FileWatcher;
class OpenFile;

/// What a look at a followed file did.
enum class FollowStep { Unchanged, Appended, Reloaded, Failed };

class FileFollow {
public:
    /// The document whose text follows the file; file: that text's file.
    FileFollow(Document& doc, OpenFile& file) : doc_(doc), file_(file) {}
    FileFollow(const FileFollow&) = delete;
    FileFollow& operator=(const FileFollow&) = delete;

    /// The watcher of the followed file (the window's); none: nothing is watched. Its notices and
    /// ticks are taken from then on.
    void SetWatcher(FileWatcher* watcher);
    /// The first tick switches auto reload at the file end on (-RELOAD on the command line).
    void RequestAutoReloadAtEnd() { atEndRequested_ = true; }
    /// Watches the open file: under auto reload to follow it, otherwise to notice changes made by
    /// other programs.
    void UpdateWatch();

    AutoReload Mode() const { return mode_; }
    void SetMode(AutoReload mode);
    /// Following the file end is paused: the user scrolled or moved away from the end. New lines
    /// are still read; Ctrl+End (or coming back to the last line) resumes at the next look.
    bool Paused() const { return mode_ == AutoReload::ChangesAndEnd && paused_; }
    /// After a look under "File End" that found new text: whether the cursor goes to the end,
    /// which it does unless the user has left it (then following is paused).
    bool KeepsToEnd(bool atEndBefore);

    /// One half-second tick: retries a bookmark read that found the database locked; under auto
    /// reload every sixth looks at the file on disk.
    void Tick();
    /// Without auto reload: whether the file on disk is no longer what the text was read from or
    /// saved to (another size or time, or another file under the name). A text read from the
    /// file that changed is reloaded at once when the user chose so and it has no changes of its
    /// own; otherwise the view is told, once for each new state of the file.
    void CheckChangedOnDisk();

private:
    /// The watcher's tick and notice. Neither runs while the document is busy: during long work
    /// (its progress window is up) or while an earlier look waits for an answer to a message; a
    /// notice that came meanwhile is taken up when that look ends or at the next tick.
    void OnWatcherTick();
    void OnWatcherNotice();
    bool Busy() const;
    void SetStatus(StatusPane pane, const std::string& text) const;

    Document& doc_;
    OpenFile& file_;
    FileWatcher* watcher_ = nullptr;
    AutoReload mode_ = AutoReload::Off;
    int ticks_ = 0;
    bool atEndRequested_ = false;
    bool fromStart_ = false;  ///< the first look goes to the end wherever the cursor is
    bool paused_ = false;
    bool paneShown_ = false;      ///< the status line shows the follow's state
    FileStatus changeTold_;       ///< the state of the file on disk the view was last told of
    bool watching_ = false;       ///< a tick or notice of the watcher is being handled
    bool noticePending_ = false;  ///< a notice came while the document was busy
};

}  // namespace quill
