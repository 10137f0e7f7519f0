// The lines the user marked for the filter pane, kept on their lines while the text changes.
#pragma once

#include <cstdint>
#include <vector>

#include "text/LineWatcher.h"

namespace quill {

class TextStore;

/// Display lines the user collected beside the filter's matches. A mark moves with its line when
/// lines are inserted or removed above it and goes with its line; a re-cut leaves it on the line
/// that holds the first byte of its old line; another text takes them all.
class MarkedLines final : private LineWatcher {
public:
    explicit MarkedLines(TextStore& text);
    ~MarkedLines();
    MarkedLines(const MarkedLines&) = delete;
    MarkedLines& operator=(const MarkedLines&) = delete;

    /// Marks a line, or takes its mark away.
    void Toggle(LineIndex row);
    bool Contains(LineIndex row) const;
    /// The marked lines, in order.
    const std::vector<LineIndex>& Lines() const { return rows_; }
    /// Counts every change of the marks, for a list that shows them.
    std::uint64_t Changes() const { return changes_; }

private:
    void LineInserted(LineIndex row) override;
    void LineRemoved(LineIndex row) override;
    void LineReplaced(LineIndex) override {}
    void LinesReset() override;
    void BeforeRecut() override;
    void AfterRecut() override;

    TextStore& text_;
    std::vector<LineIndex> rows_;
    std::vector<ByteOffset> keptStarts_;  ///< during a re-cut: where the marked lines began
    std::uint64_t changes_ = 0;
};

}  // namespace quill
