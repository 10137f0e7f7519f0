// Every command of the menus and the toolbar: its text, keys and the rules that grey or check it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/TextTypes.h"

namespace quill {

class Document;
class FieldOperations;
struct Settings;

/// The command identifiers (those from 57600 on are the standard commands of a desktop editor).
enum class CommandId : int {
    None = 0,  ///< a separator in a menu or the toolbar
    FileNew = 57600,
    FileOpen = 57601,
    FileSave = 32848,
    FileSaveAs = 57604,
    Reload = 32791,
    AutoReload = 32845,
    AutoReloadFileEnd = 32846,
    Compile = 32865,
    Execute = 32866,
    LoadPrevFile = 32843,
    LoadNextFile = 32842,
    Print = 57607,
    PrintPreview = 57609,
    PrinterSetup = 57606,
    PageSetup = 32826,
    Exit = 57665,
    Undo = 57643,
    Redo = 57644,
    Cut = 57635,
    Copy = 57634,
    Paste = 57637,
    PasteAsBlock = 32867,
    PasteWithCounter = 32873,
    SelectAll = 32790,
    AutoIndent = 32777,
    InsertHex = 32780,
    ConvertTerminators = 32809,
    FixateWrapping = 32870,
    TrimLines = 32871,
    ExtendLines = 32872,
    TabsToSpaces = 32862,
    SpacesToTabs = 32863,
    ViewToolbar = 59392,
    ViewStatusBar = 59393,
    LineNumbers = 32876,
    ControlChars = 32771,
    LineTermination = 32773,
    CrossWires = 32775,
    CurrentOffset = 32858,
    WrapLinesAt = 32807,
    WrapAtWindowBorder = 32839,
    IgnoreFormatCodes = 32812,
    WordWrap = 32837,
    Bookmark = 32832,
    NextBookmark = 32833,
    PrevBookmark = 32834,
    RemoveBookmarks = 32835,
    BinaryMode = 32857,
    Find = 32781,
    FindNext = 32782,
    FindPrev = 32783,
    Replace = 32784,
    ReplaceInFolder = 32875,
    Count = 32785,
    FindField = 32816,
    FindNextField = 32827,
    FindPrevField = 32828,
    GoToLineColumn = 32788,
    GoToByte = 32789,
    GoToOffsetPlusSelection = 32864,
    FindUndisplayable = 32844,
    FindWordUnderCursor = 32860,
    CharsetOff = 32804,
    CharsetOpen = 32801,
    CharsetModify = 32802,
    CharsetSaveAs = 32803,
    CharsetConvert = 32808,
    SelectCharset = 32806,
    StructureOff = 32814,
    StructureOpen = 32795,
    StructureModify = 32796,
    StructureSaveAs = 32815,
    AddField = 32798,
    ModifyField = 32813,
    DeleteField = 32817,
    CopyRecordType = 32836,
    SumField = 32829,
    MaxField = 32849,
    SortByFields = 32855,
    OpenStructureToggle = 32821,
    SyntaxOff = 32851,
    SyntaxOpen = 32852,
    SyntaxModify = 32853,
    SyntaxSaveAs = 32854,
    Font = 32856,
    VisibleCodes = 32868,
    FileAssignments = 32859,
    Options = 32861,
    About = 57664,
};

/// What the rules look at, read from the document, the settings and the window at one moment.
struct CommandState {
    bool pathSet = false;
    bool modified = false;
    bool canUndo = false;
    bool canRedo = false;
    bool selection = false;           ///< an anchor that differs from the cursor
    bool selectionInOneLine = false;  ///< a selection within one line that has a width
    bool selectionValue = false;      ///< the selected bytes read as a number are not 0
    bool binaryMode = false;
    bool structureActive = false;
    bool recordTypeField = false;
    bool fieldAtCursor = false;
    bool syntaxActive = false;
    bool tableActive = false;
    AutoReload autoReloadMode = AutoReload::Off;
    bool autoIndent = false;
    bool controlChars = false;
    bool lineTermination = false;
    bool crossWires = false;
    bool maxLineLenBelowLimit = false;  ///< a wrap width below the no-limit value is in force
    bool truncateAtBorder = false;
    bool ignoreFormatCodes = false;
    bool wordWrap = false;
    bool toolbarVisible = true;
    bool statusBarVisible = true;
    bool lineNumbers = false;

    /// The state of the document and settings; the bars' visibility is the window's to fill in.
    static CommandState Of(const Document& doc, const Settings& settings, const FieldOperations& fields);
};

/// The rules: when a command is enabled, and whether it shows a check mark (none: no check).
enum class EnableRule {
    Always,
    PathSet,
    Modified,
    CanUndo,
    CanRedo,
    Selection,
    SelectionInOneLine,
    SelectionValue,
    SelectionNotBinary,
    StructureActive,
    StructureFieldAtCursor,
    RecordTypeFieldAtCursor,
    SyntaxActive,
    TableActive,
};
enum class CheckRule {
    None,
    AutoReload1,
    AutoReload2,
    AutoIndent,
    Toolbar,
    StatusBar,
    LineNumbers,
    ControlChars,
    LineTermination,
    CrossWires,
    WrapLinesAt,
    WrapAtBorder,
    IgnoreFormatCodes,
    WordWrap,
    BinaryMode,
    TableActive,
    StructureActive,
};

struct CommandEntry {
    CommandId id = CommandId::None;
    const char* menu = "";          ///< the menu it is in; empty for the toolbar-only toggles
    const char* text = "";          ///< the menu text with its mnemonic
    std::vector<std::string> keys;  ///< portable key texts ("Ctrl+F4"); the first one is shown
    EnableRule enable = EnableRule::Always;
    CheckRule check = CheckRule::None;
    const char* toolTip = "";  ///< for the toolbar; the text without mnemonic when empty
};

/// The menus in their order, each entry in order; separators have the id None.
const std::vector<CommandEntry>& CommandTable();
/// The menu titles in their order.
const std::vector<std::string>& MenuTitles();
/// The toolbar's buttons in order; None is a separator.
const std::vector<CommandId>& ToolbarOrder();
const CommandEntry* FindCommand(CommandId id);

bool IsEnabled(EnableRule rule, const CommandState& state);
std::optional<bool> IsChecked(CheckRule rule, const CommandState& state);
bool IsEnabled(CommandId id, const CommandState& state);
std::optional<bool> IsChecked(CommandId id, const CommandState& state);

/// The text of a menu entry without its mnemonic ("&&" stays one "&").
std::string PlainText(const std::string& menuText);

}  // namespace quill
