// The document's life cycle: new, open, save, reload, neighbour files and the status texts.
#include "document/Document.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "common/Format.h"
#include "document/DocumentView.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "settings/Settings.h"
#include "structure/FieldDef.h"
#include "text/Compression.h"
#include "text/FileHandle.h"

namespace quill {

namespace {

const char kDismissChanges[] = "Dismiss changes!";

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
    file_.Unnamed();
    follow_.UpdateWatch();
    text_.SetTerminator(TerminatorKind::LF);  // new text gets this system's line ends
    UpdateTerminatorStatusText();
    MarkUnmodified();
    UpdateFileStatusText();
    return true;
}

bool Document::Open(const std::string& requestedPath, bool offerToCreate)
{
    const bool standardInput = requestedPath == "-" || requestedPath == kStandardInput;
    std::string path = standardInput ? std::string(kStandardInput) : requestedPath;
    bool created = false;
    std::optional<FileHandle> file = file_.OpenToRead(path, offerToCreate && !standardInput, created);
    if (!file)
        return false;
    Clear();
    // Standard input is read without a name: nothing could be written back to it or found again
    // under it.
    LoadText(file->Get(), standardInput ? std::string() : path);
    if (created) {
        text_.SetTerminator(TerminatorKind::LF);  // a new file gets this system's line ends, as File > New
        UpdateTerminatorStatusText();
    }
    MarkUnmodified();
    // Text from standard input is kept nowhere else: it counts as unsaved, so that Save asks for
    // a name and closing asks before it is lost.
    if (standardInput)
        MarkModified();
    file_.TellUnfinishedSave();
    return true;
}

bool Document::Save(const std::string& requestedPath)
{
    CompleteBackgroundLoad();  // a save writes the whole file
    if (!file_.Save(text_, requestedPath))
        return false;
    MarkUnmodified();
    UpdateFileStatusText();
    follow_.UpdateWatch();
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
    follow_.SetMode(AutoReload::Off);
}

bool Document::ConfirmSaveChanges()
{
    if (!model_.IsModified())
        return true;
    switch (prompter_.Ask("Do you want to save the changes?", Buttons::YesNoCancel)) {
    case Answer::Cancel: return false;
    case Answer::Yes: return Save(file_.Path());
    default: return true;
    }
}

void Document::MarkModified(bool modified)
{
    model_.MarkModified(modified);
    if (modified)
        follow_.SetMode(AutoReload::Off);  // an edited text is never replaced behind the user's back
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
        follow_.SetMode(AutoReload::Off);
        return;
    }
    LeaveFile();
    ReplaceTextFrom(file_.Path(), "Can\xB4t load \"%s\"!\n%s");
}

void Document::ToggleAutoReload(AutoReload mode)
{
    if (follow_.Mode() == mode) {
        follow_.SetMode(AutoReload::Off);
        return;
    }
    follow_.SetMode(mode);
    Reload();
}

void Document::LoadNeighbourFile(bool next)
{
    if (model_.IsModified() && prompter_.AskSafely(kDismissChanges, Buttons::OkCancel, Answer::Cancel) != Answer::Ok)
        return;
    LeaveFile();
    const std::string folder = FolderOf(file_.Path());
    const std::vector<std::string> names = ListFiles(folder);
    const std::string prefix = folder == "/" ? "/" : folder + "/";
    std::size_t at = names.size();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (prefix + names[i] == file_.Path()) {
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
    else if (!file_.HasPath())
        SetStatus(StatusPane::Message, "<NEW FILE>");
    else if (const std::string file =
                 Format("%s (%s)", file_.Path().c_str(), LocalTimeText(file_.ModificationTime()).c_str());
             background_)
        SetStatus(StatusPane::Message, Format("%s  Loading %d%%", file.c_str(), BackgroundLoadPercent()));
    else if (file_.Compression().Compressed())
        SetStatus(StatusPane::Message, file + "  " + CompressionName(file_.Compression().format));
    else
        SetStatus(StatusPane::Message, file);
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
    if (!file_.HasPath() || background_)
        return;
    if (!keepStoredPosition_)
        positions_->StoreLastPosition(file_.Path(), selection_.cursor.column, selection_.cursor.line);
    keepStoredPosition_ = false;
    positions_->WriteEntries(file_.Path());
}

void Document::ToggleBookmark()
{
    if (!file_.HasPath())
        return;
    CompleteBackgroundLoad();  // the file's bookmarks are read with the whole text
    positions_->ToggleBookmark(file_.Path(), selection_.cursor.column, selection_.cursor.line);
}

void Document::ToggleBookmarkAt(LineIndex line)
{
    if (!file_.HasPath() || line < 0 || line >= text_.LineCount())
        return;
    CompleteBackgroundLoad();
    positions_->ToggleBookmark(file_.Path(), 0, line);
}

bool Document::GoToBookmark(bool lastPosition, bool forward)
{
    if (!(lastPosition && placeLeft_))
        CompleteBackgroundLoad();
    auto entry = lastPosition && placeLeft_ ? std::exchange(placeLeft_, std::nullopt)
                                            : positions_->FindBookmark(lastPosition, forward, selection_.cursor.line);
    // Past the last bookmark the next is the first again (and before the first, the last), as
    // editors step round; the status line says so.
    const bool round = !entry && !lastPosition;
    if (round)
        entry = positions_->FindBookmark(false, forward, forward ? -1 : text_.LineCount());
    if (!entry || !view_ || text_.LineCount() == 0)
        return false;
    if (round)
        SetStatus(StatusPane::Message,
                  forward ? "Continued from the first bookmark." : "Continued from the last bookmark.");
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
