// The command table. Ctrl+# and Ctrl++ are bound to the keys that give those characters: on a US
// layout Ctrl+Shift+3 and Ctrl+Shift+= (Qt matches the shifted character), on a German one the
// "#" and "+" keys themselves; Ctrl+= is offered too, since "+" needs Shift on many layouts.
#include "app/CommandTable.h"

#include <algorithm>
#include <map>

#include "commands/FieldOperations.h"
#include "document/Document.h"
#include "settings/Settings.h"

namespace quill {

namespace {

using C = CommandId;
using E = EnableRule;
using K = CheckRule;

CommandEntry Item(C id, const char* menu, const char* text, std::vector<std::string> keys = {}, E enable = E::Always,
                  K check = K::None, const char* tip = "")
{
    return CommandEntry{id, menu, text, std::move(keys), enable, check, tip};
}

CommandEntry Separator(const char* menu) { return CommandEntry{C::None, menu, "", {}, E::Always, K::None, ""}; }

std::vector<CommandEntry> Build()
{
    const char* f = "&File";
    const char* e = "&Edit";
    const char* v = "&View";
    const char* s = "&Search";
    const char* c = "&Charset";
    const char* u = "Str&ucture";
    const char* x = "Synta&x";
    const char* o = "&Options";
    const char* h = "&Help";
    return {
        Item(C::FileNew, f, "&New", {"Ctrl+F4"}),
        Item(C::FileOpen, f, "&Open...", {"Ctrl+O"}),
        Item(C::FileSave, f, "&Save", {"Ctrl+S"}, E::Modified),
        Item(C::FileSaveAs, f, "Save &As..."),
        Item(C::FileClose, f, "&Close"),
        Separator(f),
        Item(C::Reload, f, "Reload", {"F5"}, E::PathSet),
        Item(C::AutoReload, f, "Auto Reload", {}, E::PathSet, K::AutoReload1),
        Item(C::AutoReloadFileEnd, f, "Auto Reload  && File End", {}, E::PathSet, K::AutoReload2),
        Separator(f),
        Item(C::Compile, f, "Compile", {"Shift+F8"}),
        Item(C::Execute, f, "Execute", {"F8"}),
        Separator(f),
        Item(C::LoadPrevFile, f, "Load Prev. File", {"Ctrl+PgUp"}, E::PathSet),
        Item(C::LoadNextFile, f, "Load Next File", {"Ctrl+PgDown"}, E::PathSet),
        Separator(f),
        Item(C::Print, f, "&Print...", {"Ctrl+P"}),
        Item(C::PrintPreview, f, "Print Pre&view"),
        Item(C::PrinterSetup, f, "P&rinter Setup..."),
        Item(C::PageSetup, f, "Page Setup"),
        Separator(f),
        Item(C::Exit, f, "E&xit"),

        Item(C::Undo, e, "&Undo", {"Ctrl+Z"}, E::CanUndo),
        Item(C::Redo, e, "&Redo", {"Ctrl+Shift+Z"}, E::CanRedo),
        Separator(e),
        Item(C::Cut, e, "Cu&t", {"Ctrl+X"}, E::Selection),
        Item(C::Copy, e, "&Copy", {"Ctrl+C"}, E::Selection),
        Item(C::Paste, e, "&Paste", {"Ctrl+V"}),
        Item(C::PasteAsBlock, e, "Paste As Block", {"Ctrl+Shift+V"}),
        Item(C::PasteWithCounter, e, "Paste && Replace Counter"),
        Item(C::SelectAll, e, "Select All", {"Ctrl+A"}),
        Separator(e),
        Item(C::AutoIndent, e, "Auto Indent", {}, E::Always, K::AutoIndent),
        Item(C::InsertHex, e, "Insert HEX", {"Ctrl+I"}),
        Separator(e),
        Item(C::ConvertTerminators, e, "&Convert CRLF<->LF"),
        Item(C::FixateWrapping, e, "Fixate Wrapping With Line Terminations", {}, E::SelectionNotBinary),
        Item(C::TrimLines, e, "Trim Lines", {}, E::SelectionNotBinary),
        Item(C::ExtendLines, e, "Extend Lines To Same Length", {}, E::SelectionNotBinary),
        Item(C::TabsToSpaces, e, "Convert TABs to Spaces"),
        Item(C::SpacesToTabs, e, "Convert Spaces to TABs"),

        Item(C::ViewToolbar, v, "&Toolbar", {}, E::Always, K::Toolbar),
        Item(C::ViewStatusBar, v, "&Status Bar", {}, E::Always, K::StatusBar),
        Item(C::LineNumbers, v, "&Line Numbers", {}, E::Always, K::LineNumbers),
        Item(C::FilterPane, v, "&Filter Pane", {"Ctrl+Shift+F"}, E::Always, K::FilterPane),
        Item(C::MarkLine, v, "&Mark Line in Filter Pane", {"Ctrl+Shift+M"}),
        Separator(v),
        Item(C::ControlChars, v, "Control Chars", {"F10"}, E::Always, K::ControlChars),
        Item(C::LineTermination, v, "Line Termination", {"F7"}, E::Always, K::LineTermination),
        Item(C::CrossWires, v, "Cross Wires", {"F12"}, E::Always, K::CrossWires),
        Item(C::CurrentOffset, v, "Current Offset?", {"Ctrl+Q"}),
        Separator(v),
        Item(C::WrapLinesAt, v, "Wrap Lines At...", {}, E::Always, K::WrapLinesAt),
        Item(C::WrapAtWindowBorder, v, "Wrap Lines At Window Border", {}, E::Always, K::WrapAtBorder),
        Item(C::IgnoreFormatCodes, v, "Ignore Format Codes", {}, E::Always, K::IgnoreFormatCodes),
        Item(C::WordWrap, v, "Word Wrap", {}, E::Always, K::WordWrap),
        Separator(v),
        Item(C::Bookmark, v, "&Bookmark", {"Ctrl+F2"}, E::PathSet),
        Item(C::NextBookmark, v, "Next Bookmark", {"F2"}),
        Item(C::PrevBookmark, v, "Prev. Bookmark", {"Shift+F2"}),
        Item(C::RemoveBookmarks, v, "Remove Bookmarks"),
        Separator(v),
        Item(C::BinaryMode, v, "Binary Mode", {"F6"}, E::Always, K::BinaryMode),

        Item(C::Find, s, "&Find", {"Ctrl+F"}),
        Item(C::FindNext, s, "Find &Next", {"F3"}),
        Item(C::FindPrev, s, "Find &Prev.", {"Shift+F3"}),
        Item(C::Replace, s, "&Replace", {"Ctrl+R"}),
        Item(C::ReplaceInFolder, s, "Replace in Folder"),
        Item(C::Count, s, "&Count", {"Ctrl+U"}),
        Separator(s),
        Item(C::FindField, s, "Find Field", {"Ctrl+E"}, E::StructureActive),
        Item(C::FindNextField, s, "Find Next Field", {"F4"}, E::StructureActive),
        Item(C::FindPrevField, s, "Find Prev. Field", {"Shift+F4"}, E::StructureActive),
        Separator(s),
        Item(C::GoToLineColumn, s, "Go To &Line/Column", {"Ctrl+G"}),
        Item(C::GoToByte, s, "Go To &Byte", {"Ctrl+B"}),
        Item(C::GoToOffsetPlusSelection, s, "Go to Current Offset+Selected Bytes", {"Ctrl++", "Ctrl+="},
             E::SelectionValue),
        Item(C::FindUndisplayable, s, "Find Undisplayable Character", {"Ctrl+#"}),
        Item(C::FindWordUnderCursor, s, "Find Word under Cursor", {"F11"}),

        Item(C::CharsetOff, c, "&Off (UTF-8)", {}, E::TableOrEightBit, K::Utf8Text),
        Item(C::CharsetEightBit, c, "Off (&8-Bit, 1252)", {}, E::Always, K::EightBit,
             "Read the text as bytes of code page 1252 instead of UTF-8"),
        Item(C::CharsetOpen, c, "O&pen...", {"F9"}),
        Item(C::CharsetModify, c, "&Modify"),
        Item(C::CharsetSaveAs, c, "Save &As...", {}, E::TableActive),
        Separator(c),
        Item(C::CharsetConvert, c, "&Convert", {}, E::Always, K::None, "Convert the text through the table"),
        Item(C::SelectCharset, "", "Select Character Set", {}, E::Always, K::TableActive),

        Item(C::StructureOff, u, "&Off", {}, E::StructureActive),
        Item(C::StructureOpen, u, "&Open"),
        Item(C::StructureModify, u, "&Modify", {}, E::Always, K::None, "Modify the structure description"),
        Item(C::StructureSaveAs, u, "&Save As...", {}, E::StructureActive),
        Separator(u),
        Item(C::AddField, u, "Add Field", {"Ctrl+N"}, E::SelectionInOneLine),
        Item(C::ModifyField, u, "Modify Field", {"Ctrl+M"}, E::StructureFieldAtCursor),
        Item(C::DeleteField, u, "&Delete Field", {}, E::StructureFieldAtCursor),
        Item(C::CopyRecordType, u, "Copy Record Type", {}, E::RecordTypeFieldAtCursor),
        Separator(u),
        Item(C::SumField, u, "&S&um Field", {}, E::StructureFieldAtCursor),
        Item(C::MaxField, u, "Max Field", {}, E::StructureFieldAtCursor),
        Item(C::SortByFields, u, "Sort by Fields", {}, E::StructureActive),
        Item(C::OpenStructureToggle, "", "Open structure description", {}, E::Always, K::StructureActive),

        Item(C::SyntaxOff, x, "&Off", {}, E::SyntaxActive),
        Item(C::SyntaxOpen, x, "&Open"),
        Item(C::SyntaxModify, x, "&Modify", {"Ctrl+Y"}),
        Item(C::SyntaxSaveAs, x, "&Save As...", {}, E::SyntaxActive),

        Item(C::Font, o, "&Font"),
        Item(C::VisibleCodes, o, "Visible Character Codes"),
        Item(C::FileAssignments, o, "File Assignments"),
        Item(C::Options, o, "Options"),

        Item(C::About, h, "&About Quillarium..."),
    };
}

}  // namespace

std::vector<std::string> KeysOf(const CommandEntry& entry, KeyScheme scheme)
{
    if (scheme == KeyScheme::CommandTable)
        return entry.keys;
    // The desktop scheme: the keys Linux users press without thinking. The commands whose keys
    // they take move to free ones (Current Offset, Add Field) or keep the menu only (Modify
    // syntax description).
    static const std::map<CommandId, std::vector<std::string>> desktop = {
        {C::FileNew, {"Ctrl+N"}},
        {C::FileClose, {"Ctrl+W"}},
        {C::FileSaveAs, {"Ctrl+Shift+S"}},
        {C::Exit, {"Ctrl+Q"}},
        {C::Redo, {"Ctrl+Y", "Ctrl+Shift+Z"}},
        {C::Replace, {"Ctrl+H", "Ctrl+R"}},
        {C::CurrentOffset, {"Ctrl+Shift+O"}},
        {C::AddField, {"Ctrl+Shift+N"}},
        {C::SyntaxModify, {}},
    };
    const auto moved = desktop.find(entry.id);
    return moved == desktop.end() ? entry.keys : moved->second;
}

const std::vector<CommandEntry>& CommandTable()
{
    static const std::vector<CommandEntry> table = Build();
    return table;
}

const std::vector<std::string>& MenuTitles()
{
    static const std::vector<std::string> titles = {"&File",      "&Edit",   "&View",    "&Search", "&Charset",
                                                    "Str&ucture", "Synta&x", "&Options", "&Help"};
    return titles;
}

const std::vector<CommandId>& ToolbarOrder()
{
    static const std::vector<CommandId> order = {
        C::FileNew,
        C::FileOpen,
        C::AutoReloadFileEnd,
        C::FileSave,
        C::None,
        C::Cut,
        C::Copy,
        C::Paste,
        C::Undo,
        C::None,
        C::Print,
        C::None,
        C::SelectCharset,
        C::ControlChars,
        C::LineTermination,
        C::CrossWires,
        C::BinaryMode,
        C::None,
        C::Find,
        C::None,
        C::AutoIndent,
        C::WordWrap,
        C::WrapLinesAt,
        C::WrapAtWindowBorder,
        C::None,
        C::ConvertTerminators,
        C::CharsetConvert,
        C::None,
        C::OpenStructureToggle,
        C::StructureModify,
        C::AddField,
        C::ModifyField,
        C::DeleteField,
        C::SumField,
        C::MaxField,
    };
    return order;
}

const CommandEntry* FindCommand(CommandId id)
{
    const auto& table = CommandTable();
    const auto found =
        std::find_if(table.begin(), table.end(), [id](const CommandEntry& entry) { return entry.id == id; });
    return found == table.end() || id == C::None ? nullptr : &*found;
}

bool IsEnabled(EnableRule rule, const CommandState& state)
{
    switch (rule) {
    case E::Always: return true;
    case E::PathSet: return state.pathSet;
    case E::Modified: return state.modified;
    case E::CanUndo: return state.canUndo;
    case E::CanRedo: return state.canRedo;
    case E::Selection: return state.selection;
    case E::SelectionInOneLine: return state.selectionInOneLine;
    case E::SelectionValue: return state.selectionValue;
    case E::SelectionNotBinary: return state.selection && !state.binaryMode;
    case E::StructureActive: return state.structureActive;
    case E::StructureFieldAtCursor: return state.structureActive && state.fieldAtCursor;
    case E::RecordTypeFieldAtCursor: return state.structureActive && state.recordTypeField && state.fieldAtCursor;
    case E::SyntaxActive: return state.syntaxActive;
    case E::TableActive: return state.tableActive;
    case E::TableOrEightBit: return state.tableActive || state.eightBit;
    }
    return true;
}

std::optional<bool> IsChecked(CheckRule rule, const CommandState& state)
{
    switch (rule) {
    case K::None: return std::nullopt;
    case K::AutoReload1: return state.autoReloadMode == AutoReload::Changes;
    case K::AutoReload2: return state.autoReloadMode == AutoReload::ChangesAndEnd;
    case K::AutoIndent: return state.autoIndent;
    case K::Toolbar: return state.toolbarVisible;
    case K::StatusBar: return state.statusBarVisible;
    case K::LineNumbers: return state.lineNumbers;
    case K::FilterPane: return state.filterPaneVisible;
    case K::ControlChars: return state.controlChars;
    case K::LineTermination: return state.lineTermination;
    case K::CrossWires: return state.crossWires;
    case K::WrapLinesAt: return state.maxLineLenBelowLimit && !state.truncateAtBorder;
    case K::WrapAtBorder: return state.truncateAtBorder;
    case K::IgnoreFormatCodes: return state.ignoreFormatCodes;
    case K::WordWrap: return state.wordWrap;
    case K::BinaryMode: return state.binaryMode;
    case K::TableActive: return state.tableActive;
    case K::StructureActive: return state.structureActive;
    case K::Utf8Text: return !state.tableActive && !state.eightBit;
    case K::EightBit: return state.eightBit;
    }
    return std::nullopt;
}

bool IsEnabled(CommandId id, const CommandState& state)
{
    const CommandEntry* entry = FindCommand(id);
    return !entry || IsEnabled(entry->enable, state);
}

std::optional<bool> IsChecked(CommandId id, const CommandState& state)
{
    const CommandEntry* entry = FindCommand(id);
    return entry ? IsChecked(entry->check, state) : std::nullopt;
}

std::string PlainText(const std::string& menuText)
{
    std::string plain;
    for (std::size_t k = 0; k < menuText.size(); ++k) {
        if (menuText[k] == '&' && k + 1 < menuText.size())
            ++k;  // "&x" is x with its mnemonic, "&&" one "&"
        plain += menuText[k];
    }
    return plain;
}

CommandState CommandState::Of(const Document& doc, const Settings& settings, const FieldOperations& fields)
{
    CommandState state;
    state.pathSet = doc.File().HasPath();
    state.modified = doc.IsModified();
    state.canUndo = doc.Model().CanUndo();
    state.canRedo = doc.Model().CanRedo();
    state.lineNumbers = settings.lineNumbers != 0;
    state.selection = doc.Selection().Active();
    state.selectionInOneLine = fields.CanAddField();
    state.selectionValue = doc.Selection().value != 0;
    state.binaryMode = doc.BinaryMode();
    state.structureActive = doc.Structure().IsActive();
    state.recordTypeField = doc.Structure().RecordTypeField() != nullptr;
    state.fieldAtCursor = fields.HasFieldAtCursor();
    state.syntaxActive = doc.Syntax().IsActive();
    state.tableActive = doc.Charset().IsActive();
    state.eightBit = !state.tableActive && !doc.Utf8Text();
    state.autoReloadMode = doc.Follow().Mode();
    state.autoIndent = settings.autoIndent != 0;
    const DocumentConfig& config = doc.Config();
    state.controlChars = config.On(Layout::ControlChars);
    state.lineTermination = settings.viewLineTermination != 0;
    state.crossWires = settings.viewCrossWires != 0;
    state.maxLineLenBelowLimit = config.Get(Layout::MaxLineLen) < Settings::kNoLineLimit;
    state.truncateAtBorder = config.On(Layout::WrapAtBorder);
    state.ignoreFormatCodes = doc.IgnoreFormatCodes();
    state.wordWrap = config.On(Layout::WordWrap);
    return state;
}

}  // namespace quill
