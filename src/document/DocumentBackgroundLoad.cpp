// Loading a large file in the background: its first part is shown at once, the rest is read in
// steps between the window's events, cut exactly as one load of the whole file cuts it.
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "common/Format.h"
#include "document/Document.h"
#include "document/DocumentView.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "settings/Settings.h"

namespace quill {

void Document::TakeWidest(const LoadOutcome& outcome, std::int64_t widestBefore)
{
    // The load widened the text by the lines' bytes; a UTF-8 text is as wide as its cells.
    if (Utf8Text() && !binaryMode_)
        text_.SetWidestLine(std::max(widestBefore, outcome.widestCells));
}

LineIndex Document::FirstLineToReadAgain() const
{
    // The end of the bytes read was the end of the read, where a load decides without seeing what
    // follows: whether a CR or LF behind a cut line belongs to it. The lines that end there (the
    // last line, and any line ending within a byte of the end) are read again with the new bytes.
    const std::int64_t end = text_.FileSize();
    LineIndex first = text_.LineCount() - 1;
    std::int64_t start = end - text_.Line(first).Length();
    while (first > 0 && start >= end - 1) {
        --first;
        start -= text_.Line(first).Length();
    }
    return first;
}

LoadOutcome Document::ReadOn(int fd, std::int64_t size, int maxBlocks, ProgressWindow& progress)
{
    const LineIndex first = FirstLineToReadAgain();
    const LineIndex current = text_.CurrentIndex();
    const std::int64_t widest = text_.WidestLine();
    for (LineIndex line = text_.LineCount() - 1; line >= first; --line)
        text_.RemoveLine(line);
    TextLoader loader(text_, loadParams_);
    loader.LimitBlocks(maxBlocks);
    const LoadOutcome outcome = loader.Continue(fd, text_.FileSize(), size - text_.FileSize(), progress, prompter_);
    TakeWidest(outcome, widest);
    file_.WatchMappedBytes(fd, text_);
    if (text_.LineCount() == 0)
        text_.AppendLine(LineRecord());  // the text is never without a line
    text_.SetCurrentLine(std::min(current, text_.LineCount() - 1));
    return outcome;
}

void Document::WithholdUnfinishedLines()
{
    // While the rest is still to come, the lines it may still change are not part of the text:
    // no cursor, edit, bookmark or hit ever stands on a line that the load would extend. They are
    // read again, whole, with the next part.
    background_->readTo = text_.FileSize();
    const LineIndex first = FirstLineToReadAgain();
    for (LineIndex line = text_.LineCount() - 1; line >= first; --line)
        text_.RemoveLine(line);
    if (text_.LineCount() == 0)
        text_.AppendLine(LineRecord());  // nothing is certain yet: one empty line stands in
    const LineIndex last = text_.LineCount() - 1;
    text_.SetCurrentLine(std::min(text_.CurrentIndex(), last));
    if (selection_.cursor.line > last)
        selection_.cursor = {last, 0};
    if (selection_.anchor.line > last)
        selection_.Clear();
}

bool Document::FitsBackgroundLoad(int fd, const FileStatus& status) const
{
    // Only plain text read as it is: the layouts that cut lines by the window, a record length or a
    // table's line breaks are decided on the whole text; a followed file goes to its end at once.
    struct stat st {};
    return view_ && status.size >= kBackgroundLoadBytes && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
           !binaryMode_ && !ignoreFormatCodes_ && !config_.On(Layout::WrapAtBorder) && !structure_.IsActive() &&
           !charset_.IsActive() && follow_.Mode() == AutoReload::Off;
}

bool Document::FirstPartDecides(const LoadOutcome& outcome) const
{
    return outcome.status == LoadOutcome::Status::Complete && outcome.validUtf8 &&
           outcome.widestCells <= kWidestUnwrapped &&
           outcome.unusualAscii <= static_cast<std::uint64_t>(text_.FileSize() / 3);
}

int Document::BackgroundLoadPercent() const
{
    if (!background_ || background_->size <= 0)
        return 100;
    return static_cast<int>(std::min<std::int64_t>(100, background_->readTo * 100 / background_->size));
}

LineIndex Document::ExpectedLineCount() const
{
    const LineIndex lines = text_.LineCount();
    if (!background_ || text_.FileSize() <= 0)
        return lines;
    const double perByte = static_cast<double>(lines) / static_cast<double>(text_.FileSize());
    return std::max(lines, static_cast<LineIndex>(perByte * static_cast<double>(background_->size)));
}

bool Document::LoadMore(int blocks)
{
    if (!background_)
        return false;
    // Not while the rest is read at once or the user is asked whether to stop: their windows
    // let the events (and so this step) through.
    if (background_->busy)
        return true;
    SilentProgress quiet;  // the status line shows the progress; Escape reaches StopBackgroundLoad
    const std::int64_t before = background_->readTo;
    background_->outcome.Add(ReadOn(background_->file.Get(), background_->size, blocks, quiet));
    // Done at the size the file had, or where it ends now (cut short meanwhile: nothing more came).
    if (background_->outcome.status != LoadOutcome::Status::Complete || text_.FileSize() >= background_->size ||
        text_.FileSize() <= before) {
        EndBackgroundLoad();
        return false;
    }
    WithholdUnfinishedLines();
    UpdateFileStatusText();
    UpdateSelectionStatusText();
    RedrawViews();
    return true;
}

void Document::CompleteBackgroundLoad()
{
    if (!background_ || background_->busy)
        return;
    background_->busy = true;
    background_->outcome.Add(ReadOn(background_->file.Get(), background_->size, -1, progress_));
    EndBackgroundLoad();
}

void Document::StopBackgroundLoad()
{
    if (!background_ || background_->busy)
        return;
    background_->busy = true;
    const bool stop = prompter_.Ask("Abort load?", Buttons::YesNo) == Answer::Yes;
    background_->busy = false;
    if (!stop)
        return;
    background_->outcome.status = LoadOutcome::Status::Aborted;
    EndBackgroundLoad();
}

void Document::PlaceLeftInFirstPart()
{
    positions_->ReadEntries(file_.Path());
    const std::optional<BookmarkEntry> left = positions_->FindBookmark(true, true, 0);
    positions_->Clear();
    // The last line read may be cut where the part ends.
    if (left && left->line < text_.LineCount() - 1) {
        placeLeft_ = left;
        restorePositionPending_ = true;
    }
}

void Document::EndBackgroundLoad()
{
    const LoadOutcome outcome = background_->outcome;
    FileStatus status;
    const bool known = StatusOf(background_->file.Get(), status);
    background_.reset();
    // What was read is what the text is: a file that grew meanwhile is noticed as changed.
    if (known)
        file_.Took(status, text_.FileSize());
    file_.TellIncompleteRead(outcome);
    // The bookmarks are placed now. The cursor goes where the file was left unless the user has
    // moved it meanwhile; after a stopped load the stored position stays, as the cursor never
    // got there.
    positions_->ReadEntries(file_.Path());
    keepStoredPosition_ = outcome.status != LoadOutcome::Status::Complete;
    restorePositionPending_ =
        !keepStoredPosition_ && selection_.cursor.line == 0 && selection_.cursor.column == 0 && !selection_.Active();
    if (outcome.status == LoadOutcome::Status::Complete) {
        // The decisions a load takes on the whole text, now that it is whole.
        charset_.RememberLineBreaks();
        const std::uint64_t undisplayable = ChooseTable(outcome);
        TakeWidest(outcome, 0);
        DecideLayoutAfterLoad(undisplayable, charset_.LineBreaksChanged());
    }
    UpdateFileStatusText();
    UpdateSelectionStatusText();
    UpdateTerminatorStatusText();
    RedrawViews();
    if (view_)
        view_->Changed(DocumentChange::Reread);
}

}  // namespace quill
