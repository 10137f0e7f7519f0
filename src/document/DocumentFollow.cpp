// Following a file on disk: a look at the file, and reading on where a growing file's text ends.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "common/Format.h"
#include "document/Document.h"
#include "document/DocumentView.h"
#include "platform/FileWatcher.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "settings/Settings.h"
#include "text/FileHandle.h"

namespace quill {

namespace {

// How much of the old end of a grown file is compared with the text before the new bytes are
// trusted to continue it: a rewritten file nearly always differs there.
constexpr std::int64_t kTailCheck = 4096;

// The last `count` bytes of the text.
std::string LastBytes(const TextStore& text, std::int64_t count)
{
    std::string bytes;
    for (LineIndex line = text.LineCount() - 1; line >= 0 && static_cast<std::int64_t>(bytes.size()) < count; --line) {
        const std::string_view part = text.Line(line).Text();
        const std::size_t want = static_cast<std::size_t>(count) - bytes.size();
        bytes.insert(0, part.substr(part.size() > want ? part.size() - want : 0));
    }
    return bytes;
}

}  // namespace

FollowStep Document::CheckFollowedFile(bool quietWhenMissing)
{
    if (follow_.Mode() == AutoReload::Off || !file_.HasPath())
        return FollowStep::Unchanged;
    const int fd = OpenForReading(file_.Path());
    if (fd < 0) {
        if (!(quietWhenMissing && errno == ENOENT))
            prompter_.Error(Format("Can\xB4t reload %s!\n%s", file_.Path().c_str(), std::strerror(errno)));
        return FollowStep::Failed;
    }
    FileHandle file(fd);
    FileStatus status;
    if (!StatusOf(file.Get(), status))
        return FollowStep::Failed;
    // A compressed file's size is not its text's.
    const std::int64_t size = file_.Compression().Compressed() ? file_.DiskSize() : text_.FileSize();
    if (file_.Unchanged(status, size))
        return FollowStep::Unchanged;
    // Whether the user stayed at the end: on the last line, with the last line on the page.
    const bool atEnd = selection_.cursor.line >= text_.LineCount() - 1 && (!view_ || view_->ShowsLastLine());
    FollowStep step = FollowStep::Reloaded;
    if (CanAppendFrom(file.Get(), status)) {
        AppendGrownFile(file.Get(), status);
        step = FollowStep::Appended;
    } else {
        Reload();
    }
    if (follow_.Mode() == AutoReload::ChangesAndEnd && follow_.KeepsToEnd(atEnd || step == FollowStep::Reloaded))
        GoToFileEnd();
    return step;
}

bool Document::CanAppendFrom(int fd, const FileStatus& status) const
{
    // Only a text that is exactly what was read, read as a load would read it now, and with the
    // line ends a load knows (a table with other line breaks re-cuts the whole text).
    const std::int64_t old = text_.FileSize();
    // Compressed data is read again from its start: its end is no place to read on from.
    if (model_.IsModified() || file_.LoadAborted() || file_.Compression().Compressed() || !file_.SameFileAs(status) ||
        status.size <= old || !(CurrentLoadParams() == loadParams_) || config_.On(Layout::WrapAtBorder) ||
        charset_.LF() != kLF || charset_.FF() != kFF)
        return false;
    // A text that borrows from the file's pages shows what is there now: only the kept stretches
    // of what was read tell whether the file was rewritten.
    if (!file_.MappedBytesAsRead())
        return false;
    const std::int64_t stretch = std::min(old, kTailCheck);
    std::string onDisk;
    return ReadExactlyAt(fd, old - stretch, stretch, onDisk) && onDisk == LastBytes(text_, stretch);
}

void Document::AppendGrownFile(int fd, const FileStatus& status)
{
    // Undo records name lines by index and the last lines are about to change under them.
    model_.ClearUndo();
    const LoadOutcome outcome = ReadOn(fd, status.size, -1, progress_);
    file_.Took(status, text_.FileSize());
    file_.TellIncompleteRead(outcome);
    UpdateFileStatusText();
    UpdateSelectionStatusText();
    UpdateTerminatorStatusText();
    RedrawViews();
}

void Document::GoToFileEnd()
{
    restorePositionPending_ = false;
    const LineIndex last = text_.LineCount() - 1;
    if (selection_.cursor.line >= last)
        return;
    selection_.Clear();
    selection_.cursor.line = last;
    text_.SetCurrentLine(last);
    selection_.cursor.column = selection_.preferredColumn = static_cast<Column>(DisplayWidth(last));
    if (view_) {
        view_->Changed(DocumentChange::CursorPlaced | DocumentChange::Text);
    }
}

}  // namespace quill
