// The rows of the filter pane's list: the lines with a hit and the marked lines, in text order.
#pragma once

#include <QAbstractListModel>
#include <cstdint>
#include <optional>
#include <vector>

#include "search/LineSearch.h"
#include "text/TextTypes.h"

namespace quill {

class Document;
class FilterRun;
class MarkedLines;

class FilterListModel : public QAbstractListModel {
public:
    enum Role { kLineNumber = Qt::UserRole, kHit, kMarked, kRow };

    FilterListModel(Document& doc, const MarkedLines& marks, QObject* parent = nullptr);

    /// The run whose lines are listed (none: only the marks).
    void SetRun(FilterRun* run);
    /// Takes in what changed in the run or the marks since the last call; cheap when nothing did.
    void Refresh();
    /// The list row of a display line, or -1.
    int RowOf(LineIndex line) const;
    LineIndex LineAt(int row) const;
    /// The lines with a hit among the rows (marked lines without one not counted).
    int HitCount() const { return hits_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Row {
        LineIndex line;
        bool marked;
        bool operator==(const Row&) const = default;
    };
    std::vector<Row> Merged() const;
    /// A line's text as the list shows it: tabs to their stops, the line end left off.
    /// A line as the list shows it, and where a hit's bytes lie in that text (-1: not shown).
    struct Shown {
        QString text;
        int hitFrom = -1;
        int hitTo = -1;
    };
    Shown ShownLine(LineIndex line, std::optional<SearchMatch> hit) const;

    Document& doc_;
    const MarkedLines& marks_;
    FilterRun* run_ = nullptr;
    std::vector<Row> rows_;
    int hits_ = 0;
    std::uint64_t runChanges_ = ~0ull;
    std::uint64_t markChanges_ = ~0ull;
};

}  // namespace quill
