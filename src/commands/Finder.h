// Find Next and Find Prev.: the search engine's hits become the editor's selection.
#pragma once

#include "search/TextSearch.h"

namespace quill {

class Document;
struct SearchQuery;
struct ViewState;

/// What Find Next and Find Prev. say after a whole round of the text without a hit.
inline constexpr char kSearchTextNotFound[] = "Search text not found!";

/// Moves the cursor to what the search engine finds from it: a hit selects its span, the anchor at
/// its first byte and the cursor after its last; the view follows when asked.
class Finder {
public:
    Finder(Document& doc, ViewState& view, const SearchQuery& query);

    /// From the cursor towards the end; true on a hit, and when Escape stopped the search.
    bool FindForward(bool show);
    /// From the cursor (or the start of the selection ending there) towards the start.
    bool FindBackward();
    /// "Find Next": searches forward, asking at the end whether to go on from the top. False
    /// when the find text is empty (the caller opens the dialog) or the user gave up.
    bool FindNext();
    /// "Find Prev.": the same backwards, going on from the bottom.
    bool FindPrevious();

    TextSearch& Engine() { return search_; }
    /// The hit selected last: its bytes are what a replacement takes the place of.
    const std::optional<SearchMatch>& LastMatch() const { return lastMatch_; }

private:
    bool Found(const std::optional<SearchMatch>& match, bool show);
    /// Find Next (forward) or Find Prev.: at the end asks whether to go on from the other end.
    bool FindAround(bool forward);

    Document& doc_;
    ViewState& view_;
    const SearchQuery& query_;
    TextSearch search_;
    std::optional<SearchMatch> lastMatch_;
};

}  // namespace quill
