// Places on display lines as byte offsets of the text and back: what a re-cut keeps.
#pragma once

#include <vector>

#include "text/DisplayRules.h"
#include "text/TextTypes.h"

namespace quill {

class TextStore;

/// A line and a column on a display line, for reading places as byte offsets and back.
struct ShownPlace {
    LineIndex line = 0;
    std::int64_t column = 0;
};

/// The byte offsets of places in a text (one walk over the lines, up to the last place). A column
/// beyond the end of its line stands at the line's end; a line beyond the text keeps its distance
/// from the end (as a negative number: -1 for the first line after it).
std::vector<ByteOffset> OffsetsOf(const TextStore& text, const DisplayRules& rules,
                                  const std::vector<ShownPlace>& places);
/// The places that hold those bytes: a byte that ends one display line of a file line and begins
/// the next is the start of the next, where typing goes on.
std::vector<ShownPlace> PlacesOf(const TextStore& text, const DisplayRules& rules,
                                 const std::vector<ByteOffset>& offsets);

}  // namespace quill
