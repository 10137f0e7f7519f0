// The follow runs from the watcher's ticks and notices, between the user's own work: a look that
// comes while the document is busy waits for the next tick.
#include "document/FileFollow.h"

#include "document/Document.h"
#include "document/DocumentView.h"
#include "platform/FileWatcher.h"
#include "platform/ProgressWindow.h"
#include "settings/Settings.h"

namespace quill {

namespace {

// Tells the view when the text was read again or grew, so the window's title, menus and panes
// follow.
void TellReread(const Document& doc, bool reread)
{
    if (reread && doc.View())
        doc.View()->Changed(DocumentChange::Reread);
}

}  // namespace

void FileFollow::SetWatcher(FileWatcher* watcher)
{
    if (watcher_) {
        watcher_->SetOnChange(nullptr);
        watcher_->SetOnTick(nullptr);
    }
    watcher_ = watcher;
    if (watcher_) {
        watcher_->SetOnChange([this] { OnWatcherNotice(); });
        watcher_->SetOnTick([this] { OnWatcherTick(); });
    }
    UpdateWatch();
}

void FileFollow::UpdateWatch()
{
    if (mode_ != AutoReload::ChangesAndEnd && paneShown_) {
        SetStatus(StatusPane::Following, "");
        paneShown_ = false;
    }
    if (watcher_)
        watcher_->Watch(file_.Path());
}

void FileFollow::SetMode(AutoReload mode)
{
    if (mode == AutoReload::ChangesAndEnd && mode_ != mode)
        fromStart_ = true;
    mode_ = mode;
    UpdateWatch();
}

bool FileFollow::KeepsToEnd(bool atEndBefore)
{
    paused_ = !(atEndBefore || fromStart_);
    fromStart_ = false;
    SetStatus(StatusPane::Following, paused_ ? "Following paused" : "Following");
    paneShown_ = true;
    return !paused_;
}

void FileFollow::Tick()
{
    if (doc_.Positions().RetryPendingRead()) {
        // The database was locked when the file was opened: its entries arrive now. The cursor
        // goes to the remembered place unless the user has moved it already.
        const TextSelection& selection = doc_.Selection();
        if (selection.cursor.line == 0 && selection.cursor.column == 0 && !selection.Active())
            doc_.GoToBookmark(true, false);
        doc_.RedrawViews();
    }
    if (mode_ == AutoReload::Off) {
        // Following looks at the file itself; so does a reload of unchanged texts on a notice.
        if (doc_.IsModified() || !doc_.AppSettings().reloadUnchangedFiles)
            file_.MappedTextTrusted();
        return;
    }
    if (++ticks_ < 6)
        return;
    ticks_ = 0;
    doc_.CheckFollowedFile();
}

void FileFollow::CheckChangedOnDisk()
{
    if (!file_.HasPath() || file_.LoadAborted())
        return;
    FileStatus status;
    if (!StatusOfPath(file_.Path(), status))
        return;  // away for a moment (an editor saving by rename): the next notice looks again
    if (file_.Unchanged(status))
        return;
    if (status.SameStateAs(changeTold_))
        return;  // told already
    changeTold_ = status;
    if (doc_.AppSettings().reloadUnchangedFiles && !doc_.IsModified()) {
        doc_.Reload();
        TellReread(doc_, true);
        return;
    }
    file_.MappedTextTrusted();
    if (doc_.View())
        doc_.View()->Changed(DocumentChange::ChangedOnDisk);
}

bool FileFollow::Busy() const { return watching_ || doc_.Ports().progress.IsActive() || doc_.LoadingInBackground(); }

void FileFollow::OnWatcherTick()
{
    if (Busy())
        return;
    watching_ = true;
    if (atEndRequested_) {
        atEndRequested_ = false;
        SetMode(AutoReload::ChangesAndEnd);
    }
    const std::string before = file_.Path();
    const FileTime time = file_.ModificationTime();
    Tick();
    watching_ = false;
    TellReread(doc_, file_.Path() != before || file_.ModificationTime() != time);
    UpdateWatch();
    if (noticePending_)
        OnWatcherNotice();
}

void FileFollow::OnWatcherNotice()
{
    if (Busy()) {
        noticePending_ = true;
        return;
    }
    bool reread = false;
    watching_ = true;
    do {
        noticePending_ = false;
        if (mode_ == AutoReload::Off) {
            CheckChangedOnDisk();
            continue;
        }
        const FollowStep step = doc_.CheckFollowedFile(true);
        reread = reread || step == FollowStep::Appended || step == FollowStep::Reloaded;
    } while (noticePending_ && !doc_.Ports().progress.IsActive());
    watching_ = false;
    TellReread(doc_, reread);
    UpdateWatch();
}

void FileFollow::SetStatus(StatusPane pane, const std::string& text) const
{
    if (doc_.View())
        doc_.View()->SetStatusText(pane, text);
}

}  // namespace quill
