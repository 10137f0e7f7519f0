// Places in the file's own lines, as the user names them and as positions are remembered, against
// the display lines that wrapping cuts them into.
#pragma once

#include <cstdint>

#include "document/PositionStore.h"
#include "text/TextTypes.h"

namespace quill {

class Document;

/// A line and a display column. In the file's terms the column is the one the place would have
/// were the file line not cut (tab stops counted from its start), so that the place stays on its
/// byte under any wrap width.
struct LinePlace {
    LineIndex line = 0;
    std::int64_t column = 0;
};

/// The file line and column of a place on a display line.
LinePlace FilePlaceOf(const Document& doc, LinePlace shown);
/// The display line and column of a place in the file; a column beyond the file line's end stays
/// on its last display line, a line beyond the text goes to the last line.
LinePlace ShownPlaceOf(const Document& doc, LinePlace file);

/// Keeps remembered positions and bookmarks in file lines in the database.
class DocumentPlaces : public PlaceConverter {
public:
    explicit DocumentPlaces(const Document& doc) : doc_(doc) {}
    void ToStored(LineIndex& line, std::int64_t& column) const override;
    void ToShown(LineIndex& line, std::int64_t& column) const override;

private:
    const Document& doc_;
};

}  // namespace quill
