// The places kept by line in the document (the bookmarks and the selection's anchor) following
// every change of the lines.
#pragma once

#include <optional>

#include "document/KeptPlaces.h"
#include "text/LineWatcher.h"

namespace quill {

class Document;

/// Lines put in or taken out above a bookmark move it with its text; a line cut in two takes the
/// bookmarks on its rest along; a re-cut puts the cursor, the anchor and the bookmarks back on
/// their bytes.
class PlaceFollower final : private LineWatcher {
public:
    explicit PlaceFollower(Document& doc);
    ~PlaceFollower();
    PlaceFollower(const PlaceFollower&) = delete;
    PlaceFollower& operator=(const PlaceFollower&) = delete;

private:
    void LineInserted(LineIndex row) override;
    void LineRemoved(LineIndex row) override;
    void LineReplaced(LineIndex) override {}
    void LineSplit(LineIndex row, std::uint32_t at) override;
    void LineJoined(LineIndex row) override;
    void LinesReset() override {}
    void BeforeRecut() override;
    void AfterRecut() override;
    /// Moves the bookmarks of line `from` at or after `fromColumn` to line `to`, `shift` columns on.
    void MoveBookmarks(LineIndex from, std::int64_t fromColumn, LineIndex to, std::int64_t shift);

    Document& doc_;
    std::optional<KeptPlaces> kept_;
};

}  // namespace quill
