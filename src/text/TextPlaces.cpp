// Places as byte offsets and back.
#include "text/TextPlaces.h"

#include <algorithm>
#include <numeric>

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

}  // namespace quill
