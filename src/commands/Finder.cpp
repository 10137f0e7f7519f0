// Find Next and Find Prev. move the cursor to the engine's hits.
#include "commands/Finder.h"

#include "document/Document.h"
#include "platform/Prompter.h"
#include "search/SearchOptions.h"
#include "view/ViewState.h"

namespace quill {

Finder::Finder(Document& doc, ViewState& view, const SearchQuery& query)
    : doc_(doc),
      view_(view),
      query_(query),
      search_(doc, query)
{
}

bool Finder::Found(const std::optional<SearchMatch>& match, bool show)
{
    lastMatch_ = match;
    if (!match)
        return !search_.Failed() && search_.StoppedByUser();
    TextSelection& selection = doc_.Selection();
    selection.anchor = {match->line, match->from};
    selection.cursor = {match->line, match->to};
    selection.preferredColumn = match->to;
    doc_.Text().SetCurrentLine(match->line);
    if (show && EnsureCursorVisible(doc_, view_, false))
        doc_.RedrawViews();
    return true;
}

bool Finder::FindForward(bool show) { return Found(search_.Forward(doc_.Selection()), show); }

bool Finder::FindBackward() { return Found(search_.Backward(doc_.Selection()), true); }

bool Finder::FindNext() { return FindAround(true); }

bool Finder::FindPrevious() { return FindAround(false); }

bool Finder::FindAround(bool forward)
{
    if (query_.text.empty())
        return false;
    bool wrapped = false;
    while (!(forward ? FindForward(true) : FindBackward())) {
        if (search_.Failed())
            return false;  // the expression's fault was told; going round again would repeat it
        if (wrapped) {
            // A whole round without a hit: asking again would go round for ever.
            doc_.Ports().prompter.Inform(kSearchTextNotFound);
            return false;
        }
        const char* question = forward ? "End of file reached!\nContinue search at top of file?"
                                       : "Begin of file reached!\nContinue search at bottom of file?";
        if (doc_.Ports().prompter.Ask(question, Buttons::OkCancel) != Answer::Ok)
            return false;
        wrapped = true;
        // On from the other end of the text.
        TextSelection& selection = doc_.Selection();
        selection.Clear();
        selection.cursor.line = forward ? 0 : doc_.Text().LineCount() - 1;
        doc_.Text().SetCurrentLine(selection.cursor.line);
        selection.cursor.column = selection.preferredColumn =
            forward ? 0 : static_cast<Column>(doc_.DisplayWidth(selection.cursor.line));
    }
    return true;
}

}  // namespace quill
