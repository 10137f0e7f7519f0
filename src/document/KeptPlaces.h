// The cursor, the selection's anchor and the bookmarks kept on their bytes while the lines are cut
// anew.
#pragma once

#include <vector>

#include "text/TextPlaces.h"
#include "text/TextSelection.h"

namespace quill {

class Document;

/// A re-cut moves no byte but the lines the bytes are on: made before it, PutBack afterwards puts
/// the cursor, the anchor and every bookmark back on its byte.
class KeptPlaces {
public:
    explicit KeptPlaces(Document& doc);
    void PutBack();

private:
    Document& doc_;
    std::vector<ByteOffset> offsets_;  ///< the cursor, the anchor, then the entries in order
};

}  // namespace quill
