// Places as byte offsets and back.
#include "document/KeptPlaces.h"

#include <algorithm>
#include <numeric>

#include "document/Document.h"
#include "text/TextStore.h"

namespace quill {

namespace {

/// The indices of values in ascending order of a key.
template <class Values, class Key> std::vector<std::size_t> OrderBy(const Values& values, Key key)
{
    std::vector<std::size_t> order(values.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return key(values[a]) < key(values[b]); });
    return order;
}

}  // namespace

std::vector<ByteOffset> OffsetsOf(const TextStore& text, const DisplayRules& rules,
                                  const std::vector<ShownPlace>& places)
{
    std::vector<ByteOffset> offsets(places.size());
    const LineIndex count = text.LineCount();
    LineIndex line = 0;
    ByteOffset start = 0;
    for (const std::size_t i : OrderBy(places, [](const ShownPlace& place) { return place.line; })) {
        const ShownPlace& place = places[i];
        if (place.line < 0) {  // no anchor
            offsets[i] = 0;
            continue;
        }
        if (place.line >= count) {
            offsets[i] = -1 - (place.line - count);
            continue;
        }
        for (; line < place.line; ++line)
            start += text.Line(line).Length();
        const LineView view = text.Line(line);
        const std::uint32_t index =
            std::min(ColumnToIndex(view, std::max<std::int64_t>(place.column, 0), rules), ContentLength(view, rules));
        offsets[i] = start + index;
    }
    return offsets;
}

std::vector<ShownPlace> PlacesOf(const TextStore& text, const DisplayRules& rules,
                                 const std::vector<ByteOffset>& offsets)
{
    std::vector<ShownPlace> places(offsets.size());
    const LineIndex count = text.LineCount();
    if (count == 0)
        return places;
    LineIndex line = 0;
    ByteOffset start = 0;
    for (const std::size_t i : OrderBy(offsets, [](ByteOffset offset) { return offset; })) {
        if (offsets[i] < 0) {
            places[i] = {count - 1 - offsets[i], 0};
            continue;
        }
        for (; line + 1 < count && start + text.Line(line).Length() <= offsets[i]; ++line)
            start += text.Line(line).Length();
        const LineView view = text.Line(line);
        const auto index = static_cast<std::uint32_t>(std::min<ByteOffset>(offsets[i] - start, view.Length()));
        places[i] = {line, IndexToColumn(view, index, rules)};
    }
    return places;
}

KeptPlaces::KeptPlaces(Document& doc, TextPosition* also) : doc_(doc), also_(also)
{
    const TextSelection& selection = doc.Selection();
    const TextPosition extra = also ? *also : TextPosition{-1, -1};
    std::vector<ShownPlace> places{{selection.cursor.line, selection.cursor.column},
                                   {selection.anchor.line, selection.anchor.column},
                                   {extra.line, extra.column}};
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
    if (also_)
        *also_ = {places[2].line, static_cast<Column>(places[2].column)};
    constexpr std::size_t kFirstEntry = 3;
    std::vector<BookmarkEntry>& entries = doc_.Positions().MutableEntries();
    for (std::size_t i = 0; i < entries.size() && i + kFirstEntry < places.size(); ++i) {
        entries[i].line = places[i + kFirstEntry].line;
        entries[i].column = places[i + kFirstEntry].column;
    }
    doc_.Positions().EntriesChanged();
}

}  // namespace quill
