// Search menu commands.
#include "commands/SearchMenu.h"

#include <algorithm>
#include <filesystem>
#include <fnmatch.h>

#include "common/Format.h"
#include "document/Document.h"
#include "platform/Prompter.h"
#include "search/SearchDialogs.h"
#include "settings/Settings.h"
#include "text/FileStatus.h"
#include "view/EditorInput.h"
#include "view/ViewState.h"

namespace quill {

SearchMenu::SearchMenu(Document& doc, ViewState& view, SearchDialogs& dialogs, EditorInput& input)
    : doc_(doc),
      view_(view),
      dialogs_(dialogs),
      input_(input),
      search_(doc, view, options_.query),
      commands_(doc, view, options_)
{
}

bool SearchMenu::AskOptions(int mode)
{
    options_.query.field = doc_.FieldAtCursor();
    options_.mode = mode;
    SearchDialogModel model(options_, doc_.AppSettings());
    model.utf8Texts = doc_.Utf8Text();
    const auto button = dialogs_.Show(model);
    if (!button)
        return false;
    model.Apply(*button, doc_.AppSettings());
    return !options_.query.text.empty();
}

void SearchMenu::Find(bool up)
{
    options_.binaryCopy = doc_.BinaryMode();
    options_.up = up;
    if (!AskOptions(SearchOptions::kFind))
        return;
    if (options_.lineFilter != SearchOptions::kNoFilter)
        commands_.ApplyLineFilter();
    else if (options_.up)
        search_.FindPrevious();
    else
        search_.FindNext();
}

void SearchMenu::FindNext()
{
    if (options_.query.text.empty())
        Find(false);
    else
        search_.FindNext();
}

void SearchMenu::FindPrevious()
{
    if (options_.query.text.empty())
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
    if (!doc_.Selection().Active())
        return;
    input_.Clip().Copy();
    bool block = false;
    const std::string word = input_.Clip().ClipboardBytes(block).value_or(std::string());
    doc_.Selection().Clear();
    doc_.Selection().cursor.line = 0;
    doc_.Selection().cursor.column = doc_.Selection().preferredColumn = 0;
    doc_.Text().SetCurrentLine(0);
    options_.query.typed = options_.query.text = doc_.Charset().ToDisplay(word);
    search_.FindNext();
}

std::vector<std::string> SearchMenu::MatchingFiles(const std::string& folder, const std::string& wildcard,
                                                   bool subdirectories)
{
    std::vector<std::string> files;
    std::vector<std::string> folders;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        std::error_code kind;
        if (entry.is_symlink(kind) && entry.is_directory(kind))
            continue;  // a link to a folder is not followed: it could lead in circles
        if (entry.is_directory(kind)) {
            if (subdirectories)
                folders.push_back(entry.path().string());
        } else if (entry.is_regular_file(kind) && ::fnmatch(wildcard.c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
            files.push_back(entry.path().string());  // pipes and devices are never opened
        }
    }
    std::sort(files.begin(), files.end(), NameOrder);
    std::sort(folders.begin(), folders.end(), NameOrder);
    for (const std::string& sub : folders)
        for (std::string& file : MatchingFiles(sub, wildcard, true))
            files.push_back(std::move(file));
    return files;
}

std::int64_t SearchMenu::ReplaceInFolder()
{
    // Presets from the document's path: its folder and "*" with its extension; none for a text
    // without a file.
    folder_.wildcard.clear();
    folder_.folder.clear();
    if (doc_.File().HasPath()) {
        const std::string name = FileNameOf(doc_.File().Path());
        const auto dot = name.rfind('.');
        folder_.wildcard = dot == std::string::npos ? std::string() : "*" + name.substr(dot);
        folder_.folder = FolderOf(doc_.File().Path());
    }
    folder_.replaceAll = true;
    folder_.useRegEx = doc_.AppSettings().useRegEx != 0;
    folder_.useBackslashes = doc_.AppSettings().useBackslashes != 0;
    if (!dialogs_.ShowFolderReplace(folder_) || folder_.findText.empty())
        return 0;
    doc_.AppSettings().useRegEx = folder_.useRegEx;
    doc_.AppSettings().useBackslashes = folder_.useBackslashes;
    options_.query.regex = folder_.useRegEx;
    options_.useBackslashes = folder_.useBackslashes;
    options_.query.text = folder_.findText;
    options_.replacement = folder_.replacement;
    options_.replaceAll = folder_.replaceAll;
    options_.counterOn = false;
    options_.counterStart = 0;
    options_.query.field = nullptr;
    options_.query.matchCase = folder_.matchCase;
    // A bad expression is told once, before any file is touched.
    if (options_.query.regex && !search_.Engine().Expression())
        return 0;
    if (!doc_.ConfirmSaveChanges())
        return 0;
    const std::vector<std::string> files = MatchingFiles(folder_.folder, folder_.wildcard, folder_.subdirectories);
    if (files.empty())
        return 0;
    std::int64_t total = 0;
    for (const std::string& path : files) {
        if (!doc_.Open(path, false))
            break;  // the load told why (a file that went away meanwhile too)
        doc_.Selection().Clear();
        doc_.Selection().cursor.line = 0;
        doc_.Selection().cursor.column = doc_.Selection().preferredColumn = 0;
        doc_.Text().SetCurrentLine(0);
        total += commands_.ReplaceText(true);
        if (commands_.Failed())
            return total;  // the expression failed on this file, which stays as it was: told, the run ends
        // Saved like any save: a failure leaves the file as it was and says which file it was.
        if (doc_.IsModified())
            doc_.Save(doc_.File().Path());
    }
    doc_.Ports().prompter.Inform(Format("%lld items replaced.", static_cast<long long>(total)));
    return total;
}

}  // namespace quill
