// The document's life cycle: new, open, save, reload, neighbour files and the status texts.
#include "document/Document.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "common/Format.h"
#include "common/StagedFile.h"
#include "document/DocumentView.h"
#include "platform/FileDialogs.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "settings/Settings.h"
#include "structure/FieldDef.h"
#include "text/FileHandle.h"
#include "text/SaveRecovery.h"
#include "text/TextFileWriter.h"

namespace quill {

namespace {

const char kCantOpen[] = "Can\xB4t open %s!\n%s";
const char kCantSave[] = "Can\xB4t save %s!\n%s";
const char kDismissChanges[] = "Dismiss changes!";
const char kUnfinishedSave[] = "The last save of %s did not finish:\nthe file may hold old and new parts.\n"
                               "A complete copy of the text that was saved is in\n%s";

}  // namespace

Document::Document(DocumentContext context)
    : settings_(context.settings),
      config_(context.settings),
      prompter_(context.prompter),
      progress_(context.progress),
      fileDialogs_(context.fileDialogs),
      entryDialog_(context.entryDialog),
      dataFolder_(std::move(context.dataFolder)),
      selection_(context.selection),
      positions_(std::make_unique<PositionStore>(dataFolder_.empty() ? std::string() : dataFolder_ + "/Bookmarks.db")),
      model_(selection_, [this] { return Rules(); })
{
    positions_->SetConverter(&places_);
}

Document::~Document() = default;

// ---- Life cycle ---------------------------------------------------------------------------

bool Document::New()
{
    Clear();
    ResetText(true);
    LiftLayout(LayoutLevel::File);
    path_.clear();
    UpdateWatch();
    title_ = "Untitled";
    text_.SetTerminator(TerminatorKind::LF);  // new text gets this system's line ends
    UpdateTerminatorStatusText();
    MarkUnmodified();
    UpdateFileStatusText();
    return true;
}

bool Document::OpenFailed(const std::string& path, int error)
{
    prompter_.Error(Format(kCantOpen, path.c_str(), SystemErrorText(error).c_str()));
    return false;
}

bool Document::Open(const std::string& requestedPath, bool offerToCreate)
{
    const std::string path = AbsolutePath(requestedPath);
    int fd = OpenForReading(path);
    const bool created = fd < 0 && errno == ENOENT && offerToCreate;
    if (created) {
        if (prompter_.Ask(Format("Do you want to create %s!", path.c_str()), Buttons::YesNo) == Answer::No)
            return false;
        const int made = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (made < 0)
            return OpenFailed(path, errno);
        ::close(made);
        fd = OpenForReading(path);
        if (fd < 0) {
            prompter_.Error(Format("Can\xB4t create %s!\n%s", path.c_str(), SystemErrorText(errno).c_str()));
            return false;
        }
    } else if (fd < 0) {
        return OpenFailed(path, errno);
    }
    FileHandle file(fd);
    Clear();
    LoadText(file.Get(), path);
    if (created) {
        text_.SetTerminator(TerminatorKind::LF);  // a new file gets this system's line ends, as File > New
        UpdateTerminatorStatusText();
    }
    MarkUnmodified();
    if (const auto copy = SaveRecovery::PendingCopyFor(ResolveLinks(path)))
        prompter_.Warn(Format(kUnfinishedSave, path.c_str(), copy->c_str()));
    return true;
}

bool Document::ConfirmReadOnlyOverwrite(const std::string& target)
{
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return true;
        prompter_.Error(Format(kCantSave, target.c_str(), SystemErrorText(errno).c_str()));
        return false;
    }
    // Read-only means: the owner may not write. Root could write anyway; it is asked all the same.
    if (!S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR))
        return true;
    if (prompter_.AskSafely("File is read only!\nOverwrite flag?", Buttons::OkCancel, Answer::Cancel) != Answer::Ok)
        return false;
    if (::chmod(target.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0) {
        prompter_.Error("Can\xB4t make writeable!");
        return false;
    }
    return true;
}

bool Document::NamesOpenFile(const std::string& path) const
{
    // The file is the same whatever name reaches it: a symbolic link, another hard link.
    FileStatus status;
    return path == path_ || (!path_.empty() && StatusOfPath(path, status) && status.SameFileAs(loadedFile_));
}

bool Document::ConfirmSaveOfPartialText()
{
    // One Enter must not write the part that was read over the whole file: No is the default, and
    // the question says how much of the file the text holds.
    const long long read = text_.FileSize(), whole = loadedFile_.size;
    std::string part;
    if (compression_.Compressed() || whole <= 0)
        part = Format("The text holds only the %s bytes read before the load stopped.", GroupedNumber(read).c_str());
    else
        part = Format("The text holds only the first %s of the file's %s bytes (%lld %%).", GroupedNumber(read).c_str(),
                      GroupedNumber(whole).c_str(), read * 100 / whole);
    return prompter_.AskSafely("Load was aborted!\n" + part + "\nOverwrite file?", Buttons::YesNo, Answer::No) ==
           Answer::Yes;
}

bool Document::ConfirmOverwriteChangedFile(const std::string& path)
{
    // Another program may have written the file since it was read: saving would throw its
    // changes away unasked.
    FileStatus status;
    if (!NamesOpenFile(path) || !StatusOfPath(path, status) ||
        (status.modified == modificationTime_ && status.size == diskSize_))
        return true;
    return prompter_.AskSafely(Format("%s\nwas changed on disk since it was loaded.\nOverwrite it?", path.c_str()),
                               Buttons::OkCancel, Answer::Cancel) == Answer::Ok;
}

bool Document::Save(const std::string& requestedPath)
{
    CompleteBackgroundLoad();  // a save writes the whole file
    if (loadAborted_ && !ConfirmSaveOfPartialText())
        return false;
    if (!ConfirmSaveOfUntrustedText())
        return false;
    std::string path = requestedPath;
    if (path.empty()) {
        auto chosen = fileDialogs_.AskSavePath(title_, "txt");
        if (!chosen)
            return false;
        path = *chosen;
    }
    path = AbsolutePath(path);
    const std::string target = ResolveLinks(path);
    if (struct stat st{}; ::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        // A pipe would take the bytes and keep nothing, a device would be written over: only
        // files are saved to.
        prompter_.Error(Format(kCantSave, path.c_str(), "It is no regular file (a pipe, a device or a folder)."));
        return false;
    }
    if (!ConfirmOverwriteChangedFile(path) || !ConfirmReadOnlyOverwrite(target) || !ConfirmSaveOfDamagedText(path))
        return false;
    WriteOptions options;
    options.compression = SaveStyleFor(path);
    if (int err = WriteTextFile(target, text_, progress_, options)) {
        const std::string reason = err == kSourceShortened ? ShortenedWhileSavingText() : SystemErrorText(err);
        std::string message = Format(kCantSave, path.c_str(), reason.c_str());
        if (const auto copy = SaveRecovery::PendingCopyFor(target))
            message += Format("\nA complete copy of the text is in\n%s", copy->c_str());
        else if (err == ENOMEM && mappedCheck_)
            message += "\nThe file cannot be replaced (it has other links or another owner, or its folder is "
                       "read-only), so it is written in place, and the lines read from it need copies "
                       "of their own first: the memory for them is not there. Save it under another name.";
        prompter_.Error(message);
        return false;
    }
    // Keep the saved file's own time and size, so auto reload does not take our save for a
    // change made by somebody else.
    if (FileStatus status; StatusOfPath(target, status)) {
        modificationTime_ = status.modified;
        diskSize_ = status.size;
        loadedFile_ = status;  // a save writes a new file in the old one's place
    }
    EndMappedCheckWhenCopied();
    compressedDamage_.clear();  // the file saved to is whole (a damaged one saved elsewhere stays as it is)
    compression_ = options.compression;
    path_ = path;
    title_ = FileNameOf(path);
    MarkUnmodified();
    UpdateFileStatusText();
    UpdateWatch();
    return true;
}

void Document::Clear()
{
    LeaveFile();
    LiftLayout(LayoutLevel::File);  // what this file's structure or long lines set was for it alone
    // The file is left: the rest need not be read. (A window closed while the rest is read at
    // once, from that read's own progress window, lets that read end first.)
    if (background_ && !background_->busy)
        background_.reset();
    SetAutoReloadMode(AutoReload::Off);
}

bool Document::ConfirmSaveChanges()
{
    if (!model_.IsModified())
        return true;
    switch (prompter_.Ask("Do you want to save the changes?", Buttons::YesNoCancel)) {
    case Answer::Cancel: return false;
    case Answer::Yes: return Save(path_);
    default: return true;
    }
}

void Document::MarkModified(bool modified)
{
    model_.MarkModified(modified);
    if (modified)
        SetAutoReloadMode(AutoReload::Off);  // an edited text is never replaced behind the user's back
}

bool Document::ReplaceTextFrom(const std::string& path, const char* failureFormat)
{
    int fd = OpenForReading(path);
    if (fd < 0) {
        prompter_.Error(Format(failureFormat, path.c_str(), std::strerror(errno)));
        return false;
    }
    FileHandle file(fd);
    LoadText(file.Get(), path);
    MarkUnmodified();
    RedrawViews();
    return true;
}

void Document::Reload()
{
    if (model_.IsModified() && prompter_.AskSafely(kDismissChanges, Buttons::OkCancel, Answer::Cancel) != Answer::Ok) {
        SetAutoReloadMode(AutoReload::Off);
        return;
    }
    LeaveFile();
    ReplaceTextFrom(path_, "Can\xB4t load \"%s\"!\n%s");
}

void Document::ToggleAutoReload(AutoReload mode)
{
    if (autoReloadMode_ == mode) {
        SetAutoReloadMode(AutoReload::Off);
        return;
    }
    SetAutoReloadMode(mode);
    Reload();
}

void Document::LoadNeighbourFile(bool next)
{
    if (model_.IsModified() && prompter_.AskSafely(kDismissChanges, Buttons::OkCancel, Answer::Cancel) != Answer::Ok)
        return;
    LeaveFile();
    const std::string folder = FolderOf(path_);
    const std::vector<std::string> names = ListFiles(folder);
    const std::string prefix = folder == "/" ? "/" : folder + "/";
    std::size_t at = names.size();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (prefix + names[i] == path_) {
            at = i;
            break;
        }
    std::string target;
    if (at < names.size()) {
        if (!next && at == 0) {
            prompter_.Inform("Top of directory reached!");
            return;
        }
        std::size_t want = next ? at + 1 : at - 1;
        if (want < names.size())
            target = prefix + names[want];
    }
    if (target.empty()) {
        prompter_.Inform("Bottom of directory reached!");
        return;
    }
    ReplaceTextFrom(target, "Can\xB4t load %s!\n%s");
}

void Document::UpdateFileStatusText()
{
    if (const FieldDef* field = FieldAtCursor(); field && !field->comment.empty())
        SetStatus(StatusPane::Message, field->comment);
    else if (background_)
        SetStatus(StatusPane::Message, Format("%s (%s)  Loading %d%%", path_.c_str(),
                                              LocalTimeText(modificationTime_).c_str(), BackgroundLoadPercent()));
    else if (!path_.empty() && compression_.Compressed())
        SetStatus(StatusPane::Message, Format("%s (%s)  %s", path_.c_str(), LocalTimeText(modificationTime_).c_str(),
                                              CompressionName(compression_.format)));
    else if (!path_.empty())
        SetStatus(StatusPane::Message, Format("%s (%s)", path_.c_str(), LocalTimeText(modificationTime_).c_str()));
    else
        SetStatus(StatusPane::Message, "<NEW FILE>");
}

void Document::UpdateTerminatorStatusText()
{
    SetStatus(StatusPane::LineEnds, text_.Terminator() == TerminatorKind::CRLF ? "CRLF" : "LF");
}

void Document::UpdateSelectionStatusText() { SetStatus(StatusPane::Selection, SelectionStatusText()); }

std::string Document::SelectionStatusText()
{
    selection_.value = 0;
    if (selection_.Active() && selection_.anchor.line == selection_.cursor.line &&
        selection_.cursor.line < text_.LineCount()) {
        const Column left = std::min(selection_.anchor.column, selection_.cursor.column);
        const Column count = std::max(selection_.anchor.column, selection_.cursor.column) - left;
        if (count != 1 && count != 2 && count != 4)
            return Format("Chars: %d", count);
        // The bytes from the left end; in file order when the cursor stands at the left end,
        // reversed when it stands at the right end.
        LineView line = text_.Line(selection_.cursor.line);
        const DisplayRules rules = Rules();
        std::uint32_t value = 0;
        for (Column k = 0; k < count; ++k) {
            const Column at = selection_.cursor.column == left ? left + k : left + count - 1 - k;
            const std::uint32_t index = ColumnToIndex(line, at, rules);
            value = (value << 8) | line.ByteAt(index);
        }
        selection_.value = value;
        static const char* const kFormats[] = {"", "%02X=%u", "%04X=%u", "", "%08X=%u"};
        return Format(kFormats[count], value, value);
    }
    if (selection_.Active()) {
        // A stream selection ending at a line's start does not take that line, and counts the
        // file's lines; a block takes every display line it spans.
        const FileLineIndex& fileLines = FileLines();
        const LineIndex lines = selection_.block ? std::llabs(selection_.anchor.line - selection_.cursor.line) + 1
                                                 : std::llabs(fileLines.FileLineOf(selection_.anchor.line) -
                                                              fileLines.FileLineOf(selection_.cursor.line));
        return Format("Lines: %lld", static_cast<long long>(lines));
    }
    // The file size with its digits grouped in thousands by dots.
    const std::string digits = std::to_string(text_.FileSize());
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += '.';
        grouped += digits[i];
    }
    return "Size: " + grouped;
}

void Document::SetCommandLineInProgress(const std::string* rawCommandLine) { commandLine_ = rawCommandLine; }

void Document::SetOverwriteMode(bool on)
{
    config_.Set(Layout::Overwrite, on ? 1 : 0);
    ShowOverwriteStatus();
}

void Document::ShowOverwriteStatus() { SetStatus(StatusPane::Overwrite, OverwriteMode() ? "OVR" : ""); }

void Document::RedrawViews()
{
    if (view_)
        view_->Changed(DocumentChange::Text);
}

void Document::SetStatus(StatusPane pane, const std::string& text)
{
    if (view_)
        view_->SetStatusText(pane, text);
}

// ---- Positions and bookmarks --------------------------------------------------------------

void Document::LeaveFile()
{
    // Left while the rest was read: the bookmarks were never read, and stay as they were.
    if (path_.empty() || background_)
        return;
    if (!keepStoredPosition_)
        positions_->StoreLastPosition(path_, selection_.cursor.column, selection_.cursor.line);
    keepStoredPosition_ = false;
    positions_->WriteEntries(path_);
}

void Document::ToggleBookmark()
{
    if (path_.empty())
        return;
    CompleteBackgroundLoad();  // the file's bookmarks are read with the whole text
    positions_->ToggleBookmark(path_, selection_.cursor.column, selection_.cursor.line);
}

void Document::ToggleBookmarkAt(LineIndex line)
{
    if (path_.empty() || line < 0 || line >= text_.LineCount())
        return;
    CompleteBackgroundLoad();
    positions_->ToggleBookmark(path_, 0, line);
}

bool Document::GoToBookmark(bool lastPosition, bool forward)
{
    if (!(lastPosition && placeLeft_))
        CompleteBackgroundLoad();
    auto entry = lastPosition && placeLeft_ ? std::exchange(placeLeft_, std::nullopt)
                                            : positions_->FindBookmark(lastPosition, forward, selection_.cursor.line);
    if (!entry || !view_ || text_.LineCount() == 0)
        return false;
    selection_.Clear();
    // The file may have shrunk since it was left: the last line and the line's end are the limits.
    selection_.cursor.line = std::clamp<LineIndex>(entry->line, 0, text_.LineCount() - 1);
    text_.SetCurrentLine(selection_.cursor.line);
    selection_.preferredColumn = static_cast<Column>(std::clamp<std::int64_t>(entry->column, 0, INT32_MAX));
    selection_.cursor.column =
        static_cast<Column>(std::min<std::int64_t>(selection_.preferredColumn, DisplayWidth(selection_.cursor.line)));
    view_->Changed(DocumentChange::CursorPlaced | DocumentChange::Text);
    return true;
}

void Document::RemoveBookmarks()
{
    CompleteBackgroundLoad();
    positions_->RemoveBookmarks();
    RedrawViews();
}

}  // namespace quill
