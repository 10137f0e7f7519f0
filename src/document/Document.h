// The single document: the text of the open file and its life from open to close.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "charset/ConversionTable.h"
#include "document/DocumentConfig.h"
#include "document/FileFollow.h"
#include "document/FilePlaces.h"
#include "document/OpenFile.h"
#include "document/PlaceFollower.h"
#include "document/PositionStore.h"
#include "document/TextModel.h"
#include "platform/UserPorts.h"
#include "structure/StructureDescription.h"
#include "syntax/SyntaxDescription.h"
#include "text/DisplayRules.h"
#include "text/FileHandle.h"
#include "text/FileStatus.h"
#include "text/TextLoader.h"
#include "text/TextSelection.h"
#include "text/TextStore.h"

namespace quill {

struct Settings;
class Prompter;
class ProgressWindow;
class FileDialogs;
class EntryDialog;
class DocumentView;
struct FieldDef;

/// What the document needs from the program around it. The view may be absent (tests, start-up).
struct DocumentContext {
    Settings& settings;
    Prompter& prompter;
    ProgressWindow& progress;
    FileDialogs& fileDialogs;
    EntryDialog& entryDialog;
    std::string dataFolder;
    /// The editor's cursor and selection, which outlive the document.
    TextSelection& selection;
};

class Document {
public:
    explicit Document(DocumentContext context);
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    void SetView(DocumentView* view) { view_ = view; }
    DocumentView* View() const { return view_; }

    // ---- Life cycle ------------------------------------------------------------------------
    /// An empty, unnamed document.
    bool New();
    /// Opens a file, offering to create it when it does not exist (when offerToCreate; else that
    /// is a failure told like any other). The current text stays when that fails. "-" (or
    /// /dev/stdin) is the program's standard input: its text is unnamed and unsaved (Save asks for
    /// a name) and enters neither the recent files nor the position store.
    bool Open(const std::string& path, bool offerToCreate = true);
    /// Saves under path (asking for a name when it is empty); never leaves a damaged file behind.
    bool Save(const std::string& path);
    /// The file behind the text: its name, how it was read, whether it still holds what was read.
    const OpenFile& File() const { return file_; }
    /// Remembers the leaving file's position and bookmarks; auto reload off; a load in the
    /// background stops.
    void Clear();
    /// Asks "Do you want to save the changes?" for a modified text; false when the caller must stop.
    bool ConfirmSaveChanges();
    bool IsModified() const { return model_.IsModified(); }
    /// A change made without an undo record; auto reload goes off, as after any change.
    void MarkModified(bool modified = true);
    void Reload();
    void ToggleAutoReload(AutoReload mode);
    /// Following the file on disk: auto reload, the watcher, changes made by other programs.
    FileFollow& Follow() { return follow_; }
    const FileFollow& Follow() const { return follow_; }
    using FollowStep = quill::FollowStep;
    /// Under auto reload: looks at the file on disk now. A file that only grew (the same file,
    /// larger, its loaded bytes unchanged at their end) gets the new bytes appended as lines,
    /// keeping bookmarks, descriptions and table; any other change reloads it whole. With "File
    /// End" the cursor then goes to the last line. quietWhenMissing: a file that is away (a log
    /// being rotated) is waited for without a message.
    FollowStep CheckFollowedFile(bool quietWhenMissing = false);
    void LoadNeighbourFile(bool next);

    /// A large file shows its first part at once while the rest is read in steps (LoadMore, from
    /// the window's event loop); whatever needs the whole text completes the load first.
    bool LoadingInBackground() const { return background_ != nullptr; }
    /// How much of the file is read, 0..100.
    int BackgroundLoadPercent() const;
    /// The lines the whole text will have, foreseen from those read so far while the file loads
    /// in the background (at least the lines there are).
    LineIndex ExpectedLineCount() const;
    /// The blocks of 16 MB a step of the background load reads: some 64 MB, a few tens of
    /// milliseconds, so the window stays lively, while the next block is brought in and counted as
    /// one is cut, and the window's own work between steps is paid a quarter as often.
    static constexpr int kBackgroundStepBlocks = 4;
    /// Reads the next part of a file loaded in the background; false once the text is complete.
    bool LoadMore(int blocks = kBackgroundStepBlocks);
    /// Reads the rest at once with the progress window; Escape there stops as in any load.
    void CompleteBackgroundLoad();
    /// Escape while the rest is read: asks "Abort load?"; on Yes the text keeps what was read, as
    /// a load stopped by Escape does (saving it asks first).
    void StopBackgroundLoad();
    /// Files from this size on load in the background, their first part at once.
    static constexpr std::int64_t kBackgroundLoadBytes = 64ll << 20;
    /// Where the program's standard input is read from ("-" on the command line).
    static constexpr const char* kStandardInput = "/dev/stdin";
    void UpdateFileStatusText();
    void UpdateTerminatorStatusText();
    void UpdateSelectionStatusText();
    /// Pane 3: the bytes of a 1, 2 or 4 column selection as a number (kept as the selection
    /// value), the count of selected columns or lines, or the file size.
    std::string SelectionStatusText();

    /// While the command line is processed, a "#" in it asks for a line instead of the
    /// remembered position.
    void SetCommandLineInProgress(const std::string* rawCommandLine);

    bool CanSave() const { return model_.IsModified(); }

    // ---- Text ------------------------------------------------------------------------------
    /// Frees the text and returns every mode to its start value; optionally one empty line.
    void ResetText(bool withEmptyLine);
    /// Reads the text from a file open for reading (path: its full path).
    void LoadText(int fd, const std::string& path);
    /// How a load cuts lines under the current settings.
    LoadParams CurrentLoadParams() const;
    void FreeLines();
    /// The text being edited, its edits and their undo.
    TextModel& Model() { return model_; }
    const TextModel& Model() const { return model_; }
    TextStore& Text() { return model_.Text(); }
    const TextStore& Text() const { return model_.Text(); }
    DisplayRules Rules() const;
    /// The file's own lines among the display lines: what line numbers count. In binary mode and
    /// with records of a fixed length every display line is a line.
    const FileLineIndex& FileLines() const;
    std::int64_t DisplayWidth(LineIndex line) const;
    std::int64_t DisplayWidth() const { return DisplayWidth(text_.CurrentIndex()); }
    /// Byte offset of the cursor in the file.
    ByteOffset CursorByteOffset();

    // ---- Attributes ------------------------------------------------------------------------
    bool IgnoreFormatCodes() const { return ignoreFormatCodes_; }
    /// Whether typed, pasted and searched characters are UTF-8: no table is active and the text
    /// was UTF-8 when it was read (a new text is). An 8-bit file left without a table keeps taking
    /// the bytes of code page 1252, as a table would give them, so that its characters stay of
    /// one encoding.
    bool Utf8Text() const { return !charset_.IsActive() && loadedUtf8_; }
    /// What the text is read as, for the status line: the table's name, "UTF-8", or "8-bit (1252)".
    std::string EncodingName() const;
    /// "Off" of the Charset menu: no table, and the text read as UTF-8 (stray bytes shown as
    /// boxes) or as bytes of code page 1252. No byte of the text changes.
    void ReadTextAs(bool utf8);
    bool BinaryMode() const { return binaryMode_; }
    bool OverwriteMode() const { return config_.On(Layout::Overwrite); }
    void SetOverwriteMode(bool on);
    /// How this text is cut and shown: its own values over the global settings.
    const DocumentConfig& Config() const { return config_; }
    /// The cut length of the wrap mode in force: the window border less 3, else the wrap width.
    int EffectiveLineLength() const;
    /// The whole cells that fit the window's width: what wrapping at the window border cuts at.
    int WindowColumns() const;
    /// "Control Characters" of the View menu, for this text.
    void ToggleControlChars();
    LineIndex GotoLine() const { return gotoLine_; }
    void ClearGotoLine() { gotoLine_ = -1; }
    bool RestorePositionPending() const { return restorePositionPending_; }
    void ClearRestorePositionPending() { restorePositionPending_ = false; }
    Settings& AppSettings() { return settings_; }
    const Settings& AppSettings() const { return settings_; }
    const ConversionTable& Charset() const { return charset_; }
    ConversionTable& Charset() { return charset_; }
    const StructureDescription& Structure() const { return structure_; }
    StructureDescription& Structure() { return structure_; }
    /// After a structure was chosen: no word wrap, overwrite on, and with a record length the
    /// text re-cut into records of that length; the field ruler is shown.
    void ApplyStructureSettings();
    /// "Off" of the Structure menu.
    void StructureOff();
    /// The field at the cursor of the active structure, or none.
    FieldDef* FieldAtCursor();
    /// The ports the document asks the user through, for the commands that work on it.
    const UserPorts& Ports() const { return ports_; }
    const std::string& DataFolder() const { return dataFolder_; }
    /// Repaints everything the text shows.
    void RedrawViews();
    /// Puts the records in a new order (no undo: the undo list is emptied).
    void ReorderLines(const std::vector<LineIndex>& order);
    const SyntaxDescription& Syntax() const { return syntax_; }
    SyntaxDescription& Syntax() { return syntax_; }
    /// After the conversion table changed: the lines are cut again when it shows other bytes as
    /// LF or FF than before, and everything is redrawn.
    void CharsetChanged();
    /// The line end the text's convention writes: CR LF or LF, as stored codes.
    LineRecord Terminator() const;
    /// The text becomes these of its lines, in this order (Extract Lines), the old text one undo
    /// step; the bookmarks, which named lines of the old text, are removed; one empty line when
    /// none is given.
    void ReplaceAllLines(const std::vector<LineIndex>& keep);
    /// Replaces every byte of the text through a map, in place (the undo list is emptied).
    void RewriteAllBytes(const std::array<std::uint8_t, 256>& map);

    // ---- Cursor and selection --------------------------------------------------------------
    /// The editor's cursor and selection. They belong to the editor, not to the text; the document
    /// is given them so that what it does to lines (undo, reload, reflow, transformations) keeps
    /// the cursor on the text it was on.
    TextSelection& Selection() { return selection_; }
    const TextSelection& Selection() const { return selection_; }

    // ---- Undo ---------------------------------------------------------------------------------
    // The edits themselves are the model's; these take back and put the cut of the settings in
    // force back where a change of another cut was taken back.
    /// Undoes the newest group of records; what it took back can be redone.
    void Undo();
    /// Takes back the newest Undo, group by group, until a new change empties the redo list.
    void Redo();
    /// Takes back the newest changes until the undo list has `count` records again, leaving
    /// nothing to redo: an operation that failed half-way leaves the text as it found it.
    void TakeBackTo(std::size_t count);

    // ---- Whole-text transformations ---------------------------------------------------------
    /// "&Convert CRLF<->LF": rewrites the terminators in place (the undo list is emptied).
    void ConvertTerminators();
    /// "&Convert" of the Charset menu: rewrites every byte through the conversion table.
    void ConvertCharset();
    /// "Convert TABs to Spaces", "Convert Spaces to TABs": undoable, line by line.
    void TabsToSpaces();
    void SpacesToTabs();
    /// The selection commands, enabled outside binary mode with a selection.
    void FixateWrapping();
    void TrimLines();
    void ExtendLines();
    bool CanRunSelectionCommand() const { return !binaryMode_ && selection_.Active(); }
    /// "Wrap Lines At...": asks for a width, or switches a fixed width off.
    void WrapLinesAt();
    /// "Find Undisplayable Character": true when the cursor moved to one.
    bool FindUndisplayable();

    // ---- Positions and bookmarks -------------------------------------------------------------
    PositionStore& Positions() { return *positions_; }
    /// Sets or removes the bookmark of the cursor line (only for a file with a path).
    void ToggleBookmark();
    /// Sets or removes the bookmark of a line without moving the cursor (a click in the gutter).
    void ToggleBookmarkAt(LineIndex line);
    bool HasBookmark(LineIndex line) const { return positions_->HasBookmark(line); }
    /// Moves to the remembered last position, or to the next or previous bookmark: past the last
    /// one round to the first (before the first, to the last), said in the status line; false
    /// when there is none.
    bool GoToBookmark(bool lastPosition, bool forward);
    void RemoveBookmarks();

    // ---- Wrapping ----------------------------------------------------------------------------
    /// Re-cuts the lines from a line (-1: the whole text) for the line length in force; returns
    /// the cursor hint (see Reflower).
    Column Reflow(LineIndex fromLine);
    /// The page width the whole text was last cut at while wrapping at the window border (0: never).
    int BorderWrapWidth() const { return borderWrapWidth_; }
    /// Reflow that keeps the cursor on its byte.
    Column ReflowKeepingOffset(LineIndex fromLine);
    /// Switches binary mode on or off, with the display settings it replaces.
    void SwitchBinaryMode();
    /// "Word Wrap", "Wrap Lines At Window Border", "Ignore Format Codes".
    void ToggleWordWrap();
    void ToggleWrapAtWindowBorder();
    void ToggleIgnoreFormatCodes();
    /// Puts the cursor on a byte offset (0 to file size - 1); false, changing nothing, outside.
    bool GoToOffset(ByteOffset offset);
    /// The width that binary mode cuts at; kept for the whole run.
    int BinaryLineLength() const;
    void ReportOutOfMemory();
    /// The Options dialog's tab size: the cursor stays on its byte; below 1 means the default.
    void ChangeTabSize(int tabSize);

private:
    bool ReplaceTextFrom(const std::string& path, const char* failureFormat);
    void ChooseDescriptions(const std::string& path);
    /// A structure description sets its layout for this file alone: no word wrap, overwrite on.
    void ImposeStructureLayout();
    /// Ends what a level set (a text without a structure description, the file left: the layout
    /// the last description or long-line file replaced returns).
    void LiftLayout(LayoutLevel level);
    /// "OVR" in the status line while overwrite is in force.
    void ShowOverwriteStatus();
    void FinishLoad(const LoadOutcome& outcome);
    /// The conversion table for a loaded text: none for UTF-8; the count of undisplayable bytes.
    std::uint64_t ChooseTable(const LoadOutcome& outcome);
    /// A text with a line wider than this is wrapped at the window border after its load.
    static constexpr std::int64_t kWidestUnwrapped = 98995;
    void DecideLayoutAfterLoad(std::uint64_t undisplayable, bool reflowDue);
    void ReadCommandLineLine();
    void SetStatus(StatusPane pane, const std::string& text);
    /// Remembers where the file was left and writes its bookmarks.
    void LeaveFile();

    Settings& settings_;
    DocumentConfig config_;
    Prompter& prompter_;
    ProgressWindow& progress_;
    FileDialogs& fileDialogs_;
    EntryDialog& entryDialog_;
    UserPorts ports_{prompter_, progress_, entryDialog_, fileDialogs_};
    OpenFile file_{ports_};
    FileFollow follow_{*this, file_};
    std::string dataFolder_;
    DocumentView* view_ = nullptr;
    TextSelection& selection_;
    std::unique_ptr<PositionStore> positions_;
    DocumentPlaces places_{*this};

    TextModel model_;
    TextStore& text_ = model_.Text();
    LoadParams loadParams_;  ///< how that read cut the lines
    bool ignoreFormatCodes_ = false;
    bool binaryMode_ = false;
    bool loadedUtf8_ = true;  ///< the text read last was UTF-8 (a new text counts as such)
    LineIndex gotoLine_ = -1;
    bool restorePositionPending_ = false;
    bool keepStoredPosition_ = false;
    int borderWrapWidth_ = 0;  ///< after a load that ran out of memory
    const std::string* commandLine_ = nullptr;

    /// Whether the grown file may be read on from where the text ends.
    bool CanAppendFrom(int fd, const FileStatus& status) const;
    /// Reads the bytes the file gained since the text was read and appends them as lines.
    void AppendGrownFile(int fd, const FileStatus& status);
    /// Reads on from where the text ends, as a load of the whole file would have cut it: the
    /// lines that end where the text ends are read again with what follows. At most maxBlocks
    /// blocks (-1: to the end of the file); size is the file's expected size.
    LoadOutcome ReadOn(int fd, std::int64_t size, int maxBlocks, ProgressWindow& progress);
    /// After a load (or a part of one) into a text that was this wide: the widest line in cells
    /// when the text is shown as UTF-8.
    void TakeWidest(const LoadOutcome& outcome, std::int64_t widestBefore);
    /// The first of the lines that end where the text ends, which a read on reads again.
    LineIndex FirstLineToReadAgain() const;
    /// Between two parts of a background load: the lines the next part may still change are
    /// taken out of the text until it comes.
    void WithholdUnfinishedLines();
    /// Whether a load of this file shows its first part and reads the rest in the background.
    bool FitsBackgroundLoad(int fd, const FileStatus& status) const;
    /// Whether the first part read decides the layout as the whole text would: UTF-8, no line
    /// that asks for wrapping, not binary.
    bool FirstPartDecides(const LoadOutcome& outcome) const;
    /// The last part was read (or the load stopped or failed): the decisions that need the whole
    /// text are taken now.
    void EndBackgroundLoad();
    /// The place the file was left, when the first part holds it: the cursor goes there at once.
    /// The bookmarks wait for the whole text, since a line beyond the part read cannot be placed.
    void PlaceLeftInFirstPart();
    void GoToFileEnd();
    /// After an Undo, Redo or taking back: the cut of the settings in force again when a change
    /// of another cut came back, then the text redrawn.
    void EndTakingBack(bool cutTakenBack);
    /// Undo or Redo as the user's command.
    void TakeBack(bool redo);
    /// The text is the file's as loaded or saved: not modified, and undo and redo can come back here.
    void MarkUnmodified();

    void PlaceCursorAt(ByteOffset offset);
    struct SelectedRange {
        LineIndex first;
        LineIndex last;  ///< -1 below first when nothing is selected
    };
    SelectedRange SelectionLines() const;
    template <class Rewrite> void RewriteSelectedLines(Rewrite rewrite);
    template <class Rewrite> void RewriteAllLines(Rewrite rewrite);
    void FinishRewrite();

    PlaceFollower placeFollower_{*this};
    // The wrap width binary mode had when it was last switched off, for the next time.
    int binaryLineLength_ = 99000;

    // A file whose rest is read in the background: the file, its size when opened, and what the
    // parts read so far told (the byte counts add up; the status is the last part's).
    struct BackgroundLoad {
        FileHandle file;
        std::int64_t size;
        LoadOutcome outcome;
        std::int64_t readTo = 0;  ///< the bytes read so far, the lines withheld among them
        bool busy = false;        ///< the rest is being read at once, or the user asked whether to stop
    };
    std::unique_ptr<BackgroundLoad> background_;
    /// Where the file was left, for a text still loading in the background.
    std::optional<BookmarkEntry> placeLeft_;

    ConversionTable charset_;
    StructureDescription structure_;
    SyntaxDescription syntax_;
};

}  // namespace quill
