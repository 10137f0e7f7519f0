// The commands of the Search menu that search: Find, Find Next, Find Prev., Replace, Count and
// Find Word under Cursor.
#pragma once

#include "search/SearchCommands.h"
#include "search/SearchOptions.h"
#include "search/TextSearch.h"

namespace quill {

class CQVXDoc;
class EditorInput;
class SearchDialogs;
struct ViewState;

class SearchMenu {
public:
    SearchMenu(CQVXDoc& doc, ViewState& view, SearchDialogs& dialogs, EditorInput& input);

    /// "Find" (Ctrl+F): the dialog, then a search, a line filter, or the search upwards.
    void Find(bool up = false);
    /// "Find Next" (F3) and "Find Prev." (Shift+F3); the dialog when nothing was searched yet.
    void FindNext();
    void FindPrevious();
    /// "Replace" (Ctrl+R) and "Count" (Ctrl+U).
    void Replace();
    void Count();
    /// "Find Word under Cursor" (F11): the word at the cursor, searched from the top.
    void FindWordUnderCursor();

    SearchOptions& Options() { return options_; }

private:
    /// The search field and the mode before the dialog opens; false when it was cancelled or the
    /// find text is empty.
    bool AskOptions(int mode);

    CQVXDoc& doc_;
    ViewState& view_;
    SearchDialogs& dialogs_;
    EditorInput& input_;
    SearchOptions options_;
    TextSearch search_;
    SearchCommands commands_;
};

}  // namespace quill
