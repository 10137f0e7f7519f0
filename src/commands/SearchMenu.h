// The commands of the Search menu that search: Find, Find Next, Find Prev., Replace, Count and
// Find Word under Cursor.
#pragma once

#include <string>
#include <vector>

#include "commands/Finder.h"
#include "commands/SearchCommands.h"
#include "search/FolderReplaceModel.h"
#include "search/SearchOptions.h"

namespace quill {

class Document;
class EditorInput;
class SearchDialogs;
struct ViewState;

class SearchMenu {
public:
    SearchMenu(Document& doc, ViewState& view, SearchDialogs& dialogs, EditorInput& input);

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
    /// "Replace in Folder": one replacement over the files of a folder matching a wildcard, each
    /// loaded, replaced and, when something changed, saved in turn. The total replaced.
    std::int64_t ReplaceInFolder();
    /// The files of a folder whose names match a wildcard, in name order; with subdirectories
    /// those of its folders too (links to folders are not followed). Folders are no files.
    static std::vector<std::string> MatchingFiles(const std::string& folder, const std::string& wildcard,
                                                  bool subdirectories);
    FolderReplaceModel& FolderState() { return folder_; }

    SearchOptions& Options() { return options_; }
    /// The search the menu drives (Compile and Execute look for their markers with it).
    Finder& Searcher() { return search_; }

private:
    /// The search field and the mode before the dialog opens; false when it was cancelled or the
    /// find text is empty.
    bool AskOptions(int mode);

    Document& doc_;
    ViewState& view_;
    SearchDialogs& dialogs_;
    EditorInput& input_;
    SearchOptions options_;
    FolderReplaceModel folder_;
    Finder search_;
    SearchCommands commands_;
};

}  // namespace quill
