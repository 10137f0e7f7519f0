// The cursor, the anchor and the bookmarks kept on their bytes across a re-cut.
#include "document/KeptPlaces.h"

#include "document/Document.h"
#include "text/TextStore.h"

namespace quill {

KeptPlaces::KeptPlaces(Document& doc) : doc_(doc)
{
    const TextSelection& selection = doc.Selection();
    std::vector<ShownPlace> places{{selection.cursor.line, selection.cursor.column},
                                   {selection.anchor.line, selection.anchor.column}};
    for (const BookmarkEntry& entry : doc.Positions().Entries())
        places.push_back({entry.line, entry.column});
    offsets_ = OffsetsOf(doc.Text(), doc.Rules(), places);
}

void KeptPlaces::PutBack()
{
    const std::vector<ShownPlace> places = PlacesOf(doc_.Text(), doc_.Rules(), offsets_);
    TextSelection& selection = doc_.Selection();
    const bool active = selection.Active();
    selection.cursor = {places[0].line, static_cast<Column>(places[0].column)};
    selection.preferredColumn = selection.cursor.column;
    if (active)
        selection.anchor = {places[1].line, static_cast<Column>(places[1].column)};
    else
        selection.Clear();
    constexpr std::size_t kFirstEntry = 2;
    std::vector<BookmarkEntry>& entries = doc_.Positions().MutableEntries();
    for (std::size_t i = 0; i < entries.size() && i + kFirstEntry < places.size(); ++i) {
        entries[i].line = places[i + kFirstEntry].line;
        entries[i].column = places[i + kFirstEntry].column;
    }
    doc_.Positions().EntriesChanged();
}

}  // namespace quill
