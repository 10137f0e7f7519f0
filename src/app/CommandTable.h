// Every command of the menus and the toolbar: its text, keys and the rules that grey or check it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/TextTypes.h"

namespace quill {

class Document;
class FieldOperations;
struct Settings;

/// The commands, by name.
enum class CommandId : int {
    None,  ///< a separator in a menu or the toolbar
    FileNew,
    FileOpen,
    FileSave,
    FileSaveAs,
    FileClose,
    Reload,
    AutoReload,
    AutoReloadFileEnd,
    Compile,
    Execute,
    LoadPrevFile,
    LoadNextFile,
    Print,
    PrintPreview,
    PrinterSetup,
    PageSetup,
    Exit,
    Undo,
    Redo,
    Cut,
    Copy,
    Paste,
    PasteAsBlock,
    PasteWithCounter,
    SelectAll,
    AutoIndent,
    InsertHex,
    ConvertTerminators,
    FixateWrapping,
    TrimLines,
    ExtendLines,
    TabsToSpaces,
    SpacesToTabs,
    ViewToolbar,
    ViewStatusBar,
    LineNumbers,
    FilterPane,
    MarkLine,
    ControlChars,
    LineTermination,
    CrossWires,
    CurrentOffset,
    WrapLinesAt,
    WrapAtWindowBorder,
    IgnoreFormatCodes,
    WordWrap,
    Bookmark,
    NextBookmark,
    PrevBookmark,
    RemoveBookmarks,
    BinaryMode,
    Find,
    FindNext,
    FindPrev,
    Replace,
    ReplaceInFolder,
    Count,
    FindField,
    FindNextField,
    FindPrevField,
    GoToLineColumn,
    GoToByte,
    GoToOffsetPlusSelection,
    FindUndisplayable,
    FindWordUnderCursor,
    CharsetOff,
    CharsetEightBit,
    CharsetOpen,
    CharsetModify,
    CharsetSaveAs,
    CharsetConvert,
    SelectCharset,
    StructureOff,
    StructureOpen,
    StructureModify,
    StructureSaveAs,
    AddField,
    ModifyField,
    DeleteField,
    CopyRecordType,
    SumField,
    MaxField,
    SortByFields,
    OpenStructureToggle,
    SyntaxOff,
    SyntaxOpen,
    SyntaxModify,
    SyntaxSaveAs,
    Font,
    VisibleCodes,
    FileAssignments,
    Options,
    About,
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
    bool eightBit = false;  ///< no table, and the text read as bytes of code page 1252, not UTF-8
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
    bool filterPaneVisible = false;

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
    TableOrEightBit,
};
enum class CheckRule {
    None,
    AutoReload1,
    AutoReload2,
    AutoIndent,
    Toolbar,
    StatusBar,
    LineNumbers,
    FilterPane,
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
    Utf8Text,
    EightBit,
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
/// Which keys the commands answer to: those of the command table, or the keys that desktop
/// programs on Linux share (Ctrl+Q, Ctrl+W, Ctrl+N, Ctrl+H, Ctrl+Y, Ctrl+Shift+S).
enum class KeyScheme { CommandTable = 0, Desktop = 1 };
/// The keys of a command under a scheme; the first one is shown in the menu.
std::vector<std::string> KeysOf(const CommandEntry& entry, KeyScheme scheme);
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
