// Search menu commands.
#include "search/SearchMenu.h"

#include "document/CQVXDoc.h"
#include "search/BackslashCodes.h"
#include "search/SearchDialogs.h"
#include "view/EditorInput.h"
#include "view/ViewState.h"

namespace quill {

SearchMenu::SearchMenu(CQVXDoc& doc, ViewState& view, SearchDialogs& dialogs, EditorInput& input)
    : doc_(doc),
      view_(view),
      dialogs_(dialogs),
      input_(input),
      search_(doc, view, options_),
      commands_(doc, view, options_)
{
}

bool SearchMenu::AskOptions(int mode)
{
    options_.searchField = doc_.FieldAtCursor();
    options_.mode = mode;
    SearchDialogModel model(options_, doc_.AppSettings());
    const auto button = dialogs_.Show(model);
    if (!button)
        return false;
    model.Apply(*button, doc_.AppSettings());
    return !options_.findText.empty();
}

void SearchMenu::Find(bool up)
{
    options_.binaryCopy = doc_.BinaryMode();
    options_.up = up;
    if (!AskOptions(SearchOptions::kFind))
        return;
    if (!options_.useRegEx && options_.useBackslashes && InterpretBackslashes(options_.findText))
        options_.matchCase = true;
    if (options_.lineFilter != SearchOptions::kNoFilter)
        commands_.ApplyLineFilter();
    else if (options_.up)
        search_.FindPrevious();
    else
        search_.FindNext();
}

void SearchMenu::FindNext()
{
    if (options_.findText.empty())
        Find(false);
    else
        search_.FindNext();
}

void SearchMenu::FindPrevious()
{
    if (options_.findText.empty())
        Find(true);
    else
        search_.FindPrevious();
}

void SearchMenu::Replace()
{
    options_.up = false;
    if (AskOptions(SearchOptions::kReplace))
        commands_.ReplaceText(false);
}

void SearchMenu::Count()
{
    if (AskOptions(SearchOptions::kCount))
        commands_.CountMatches();
}

void SearchMenu::FindWordUnderCursor()
{
    input_.SelectWord();
    if (!doc_.HasSelection())
        return;
    input_.Clip().Copy();
    bool block = false;
    const std::string word = input_.Clip().ClipboardBytes(block);
    doc_.ClearSelection();
    doc_.cursorLine = 0;
    doc_.cursorColumn = doc_.preferredColumn = 0;
    doc_.Text().SetCurrentLine(0);
    options_.typedText = options_.findText = doc_.Charset().ToDisplay(word);
    search_.FindNext();
}

}  // namespace quill
