// The document's text: reset, the steps of a load around the byte loop, widths and offsets.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "common/Format.h"
#include "document/Document.h"
#include "document/DocumentView.h"
#include "platform/ProgressWindow.h"
#include "platform/Prompter.h"
#include "settings/Settings.h"

namespace quill {

void Document::FreeLines() { text_.Clear(&progress_); }

void Document::ResetText(bool withEmptyLine)
{
    background_.reset();
    placeLeft_.reset();
    file_.Forget();
    FreeLines();
    model_.ClearUndo();
    positions_->Clear();
    loadedUtf8_ = true;
    text_.SetTerminator(TerminatorKind::CRLF);
    keepStoredPosition_ = false;
    ignoreFormatCodes_ = false;
    // Every text starts with the global wrap width, which no start reads: none.
    config_.Forget(Layout::MaxLineLen);
    gotoLine_ = -1;
    if (binaryMode_)
        SwitchBinaryMode();
    if (withEmptyLine) {
        text_.AppendLine(LineRecord());
        text_.SetCurrentLine(0);
    }
    selection_.cursor.line = 0;
    selection_.cursor.column = selection_.preferredColumn = 0;
    selection_.Clear();
    if (view_)
        view_->Changed(DocumentChange::NewText);
    UpdateFileStatusText();
    charset_.Reset();
    structure_.Reset();
    syntax_.Reset();
    if (view_)
        view_->Changed(DocumentChange::Structure);
    UpdateSelectionStatusText();
    UpdateTerminatorStatusText();
}

void Document::ChooseDescriptions(const std::string& path)
{
    if (structure_.SelectForFile(path, dataFolder_)) {
        // The text is not loaded yet: the settings are taken now and the load cuts the records.
        ImposeStructureLayout();
        if (structure_.RecordLength() != 0) {
            config_.Impose(LayoutLevel::File,
                           {{Layout::MaxLineLen, structure_.RecordLength()}, {Layout::WrapAtBorder, 0}});
            ignoreFormatCodes_ = true;
        }
        if (view_)
            view_->Changed(DocumentChange::Structure);
        return;
    }
    if (view_)
        view_->Changed(DocumentChange::Structure);
    LiftLayout(LayoutLevel::File);
    syntax_.SelectForFile(path, dataFolder_);
}

void Document::ImposeStructureLayout()
{
    config_.Impose(LayoutLevel::File, {{Layout::WordWrap, 0}, {Layout::Overwrite, 1}});
    ShowOverwriteStatus();
}

void Document::LiftLayout(LayoutLevel level)
{
    config_.Lift(level);
    ShowOverwriteStatus();
}

void Document::LoadText(int fd, const std::string& path)
{
    FileStatus status;
    StatusOf(fd, status);
    ResetText(false);
    file_.StartRead(fd, path, status);
    if (path.empty())
        file_.Unnamed("Untitled (standard input)");
    UpdateFileStatusText();
    follow_.UpdateWatch();
    ChooseDescriptions(path);

    const LoadParams params = CurrentLoadParams();
    borderWrapWidth_ = config_.On(Layout::WrapAtBorder) && view_ ? WindowColumns() : 0;
    loadParams_ = params;
    text_.SetFileSize(0);
    TextLoader loader(text_, params);
    const bool compressed = file_.Compression().Compressed();
    const bool background = !compressed && FitsBackgroundLoad(fd, status);
    if (background)
        loader.LimitBlocks(1);  // the first 16 MB, shown at once
    LoadOutcome outcome =
        compressed ? file_.LoadCompressed(loader, fd, status.size) : loader.Load(fd, status.size, progress_, prompter_);
    file_.WatchMappedBytes(fd, text_);
    if (background && text_.FileSize() < status.size) {
        if (FirstPartDecides(outcome)) {
            if (const int rest = ::dup(fd); rest >= 0) {
                background_.reset(new BackgroundLoad{FileHandle(rest), status.size, outcome});
                WithholdUnfinishedLines();
            }
        }
        if (!background_) {
            // The first part cannot decide how the text is shown: the rest is read now.
            outcome.Add(ReadOn(fd, status.size, -1, progress_));
        }
    }
    UpdateSelectionStatusText();
    FinishLoad(outcome);
    UpdateFileStatusText();
    file_.TellCompressedDamage();
}

std::uint64_t Document::ChooseTable(const LoadOutcome& outcome)
{
    // A text that is UTF-8 (plain ASCII too) is shown as such, without a table: the byte counts
    // pick a table only for the 8-bit files that are not. Its multi-byte characters are displayable.
    // The load counts every byte value once the text shows it is not UTF-8; where that showed
    // only at the end (a few damaged characters too many), the bytes are counted now.
    loadedUtf8_ = outcome.validUtf8;
    if (!outcome.validUtf8)
        return charset_.AutoSelect(outcome.histogramComplete ? outcome.histogram : CountBytes(text_), dataFolder_);
    charset_.Reset();
    return outcome.unusualAscii;
}

// Lines longer than a slot can borrow would each be copied: the longest cut line must fit.
static_assert(Settings::kNoLineLimit <= LineSlot::kMaxBorrowed, "loaded lines borrow their bytes");

LoadParams Document::CurrentLoadParams() const
{
    LoadParams params;
    params.cutLength = config_.On(Layout::WrapAtBorder) && view_ ? WindowColumns() : config_.Get(Layout::MaxLineLen);
    params.tabSize = config_.Get(Layout::TabSize);
    params.ignoreFormatCodes = ignoreFormatCodes_;
    params.binaryMode = binaryMode_;
    return params;
}

void Document::FinishLoad(const LoadOutcome& outcome)
{
    using Status = LoadOutcome::Status;
    if (outcome.status == Status::OutOfMemory) {
        // What was read stays; the decisions that need the whole text are skipped. Saving this
        // half text would destroy the rest of the file, so it counts as an aborted load.
        file_.MarkCutShort();
        if (text_.LineCount() == 0)
            text_.AppendLine(LineRecord());  // the text is never without a line
        text_.SetCurrentLine(0);
        // The bookmarks are read so that leaving the file writes them back; the position the
        // file was left at stays as it was, since the cursor never got there.
        positions_->ReadEntries(file_.Path());
        keepStoredPosition_ = true;
        prompter_.Error("Out of memory!");
        return;
    }
    file_.TellIncompleteRead(outcome);
    if (!view_)  // no window border to wrap at: for this file, not as the user's choice
        config_.Impose(LayoutLevel::File, {{Layout::WrapAtBorder, 0}});

    charset_.RememberLineBreaks();
    const std::uint64_t undisplayable = ChooseTable(outcome);
    TakeWidest(outcome, 0);
    const bool reflowDue = charset_.LineBreaksChanged() ||
                           (config_.On(Layout::WrapAtBorder) && EffectiveLineLength() < text_.WidestLine());

    UpdateTerminatorStatusText();
    if (background_) {
        PlaceLeftInFirstPart();
    } else {
        positions_->ReadEntries(file_.Path());
        restorePositionPending_ = true;
    }
    ReadCommandLineLine();
    ShowOverwriteStatus();
    DecideLayoutAfterLoad(undisplayable, reflowDue);
}

void Document::ReadCommandLineLine()
{
    if (!commandLine_)
        return;
    auto hash = commandLine_->find('#');
    if (hash == std::string::npos)
        return;
    // A number too large for a line index means the last line: it is held at the largest one.
    const char* digits = commandLine_->c_str() + hash + 1;
    if (std::isdigit(static_cast<unsigned char>(*digits)))
        gotoLine_ = static_cast<LineIndex>(std::strtoll(digits, nullptr, 10));
    restorePositionPending_ = false;
}

void Document::DecideLayoutAfterLoad(std::uint64_t undisplayable, bool reflowDue)
{
    const bool structureActive = structure_.IsActive();
    // UTF-16 text is not read as characters: it is said so, and its bytes are shown one by one.
    const std::string_view start = text_.LineCount() > 0 ? text_.Line(0).Text().substr(0, 2) : std::string_view();
    const bool utf16 = start == "\xFF\xFE" || start == "\xFE\xFF";
    if (utf16)
        prompter_.Inform(Format("%s is UTF-16 text (byte-order mark %s).\nIt is shown byte by byte in binary mode.",
                                file_.Path().c_str(), start[0] == '\xFF' ? "FF FE" : "FE FF"));
    if ((utf16 || undisplayable > static_cast<std::uint64_t>(text_.FileSize() / 3)) && !binaryMode_ &&
        !structureActive) {
        SwitchBinaryMode();
        return;
    }
    // Wrapping at the window border needs a window to measure.
    if (text_.WidestLine() > kWidestUnwrapped && !config_.On(Layout::WrapAtBorder) && !structureActive && view_) {
        // For this file only: the next one that does not need it gets the user's layout back,
        // and so do the settings written at exit.
        config_.Impose(
            LayoutLevel::File,
            {{Layout::MaxLineLen, Settings::kNoLineLimit}, {Layout::WordWrap, 1}, {Layout::WrapAtBorder, 1}});
        Reflow(-1);
        return;
    }
    if (reflowDue)
        Reflow(-1);
}

DisplayRules Document::Rules() const
{
    DisplayRules rules;
    rules.tabSize = config_.Get(Layout::TabSize);
    rules.ignoreFormatCodes = ignoreFormatCodes_;
    rules.binaryMode = binaryMode_;
    rules.utf8 = Utf8Text() && !binaryMode_;
    rules.terminator = text_.Terminator();
    rules.cr = charset_.CR();
    rules.lf = charset_.LF();
    rules.ff = charset_.FF();
    rules.tab = charset_.Tab();
    return rules;
}

const FileLineIndex& Document::FileLines() const
{
    // Records of a fixed length and binary mode ignore line ends: each display line is a record.
    if (binaryMode_ || ignoreFormatCodes_)
        return text_.FileLines(std::nullopt);
    return text_.FileLines(charset_.LF());
}

std::int64_t Document::DisplayWidth(LineIndex line) const
{
    if (line < 0 || line >= text_.LineCount())
        return 0;
    return quill::DisplayWidth(text_.Line(line), Rules());
}

ByteOffset Document::CursorByteOffset()
{
    const LineIndex upTo = std::min<LineIndex>(selection_.cursor.line, text_.LineCount());
    const bool showProgress = upTo > 50000;
    if (showProgress)
        progress_.Begin(40);
    ByteOffset offset = 0;
    for (LineIndex i = 0; i < upTo; ++i) {
        offset += text_.Line(i).Length();
        if (showProgress && i % 10000 == 0)
            progress_.Step(i * 40 / upTo);
    }
    if (showProgress)
        progress_.End();
    if (selection_.cursor.line < text_.LineCount()) {
        LineView line = text_.Line(selection_.cursor.line);
        offset += ColumnToIndex(line, selection_.cursor.column, Rules());
    }
    return offset;
}

}  // namespace quill
