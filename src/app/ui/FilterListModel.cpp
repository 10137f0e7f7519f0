// The filter pane's rows, refreshed from the run and the marks as they change.
#include "app/ui/FilterListModel.h"

#include <QColor>
#include <QPoint>
#include <algorithm>

#include "document/Document.h"
#include "platform/qt/Cp1252.h"
#include "search/FilterRun.h"
#include "search/MarkedLines.h"
#include "settings/Settings.h"
#include "text/DisplayRules.h"

namespace quill {

namespace {

// Longer lines are shown up to here: the list is for finding lines, the text shows them whole.
constexpr int kShownCharacters = 1000;

}  // namespace

FilterListModel::FilterListModel(Document& doc, const MarkedLines& marks, QObject* parent)
    : QAbstractListModel(parent),
      doc_(doc),
      marks_(marks)
{
}

void FilterListModel::SetRun(FilterRun* run)
{
    run_ = run;
    runChanges_ = ~0ull;
    Refresh();
}

std::vector<FilterListModel::Row> FilterListModel::Merged() const
{
    static const std::vector<LineIndex> kNone;
    const std::vector<LineIndex>& hits = run_ ? run_->Lines() : kNone;
    const std::vector<LineIndex>& marked = marks_.Lines();
    std::vector<Row> rows;
    rows.reserve(hits.size() + marked.size());
    auto h = hits.begin();
    auto m = marked.begin();
    while (h != hits.end() || m != marked.end()) {
        if (m == marked.end() || (h != hits.end() && *h < *m)) {
            rows.push_back({*h++, false});
        } else {
            const bool both = h != hits.end() && *h == *m;
            rows.push_back({*m++, true});
            if (both)
                ++h;
        }
    }
    return rows;
}

void FilterListModel::Refresh()
{
    const std::uint64_t runChanges = run_ ? run_->Changes() : 0;
    if (runChanges == runChanges_ && marks_.Changes() == markChanges_)
        return;
    runChanges_ = runChanges;
    markChanges_ = marks_.Changes();
    std::vector<Row> rows = Merged();
    hits_ = run_ ? static_cast<int>(run_->Lines().size()) : 0;
    // While the list fills, rows come at its end: the view keeps its place and selection.
    if (rows.size() >= rows_.size() && std::equal(rows_.begin(), rows_.end(), rows.begin())) {
        if (rows.size() > rows_.size()) {
            beginInsertRows({}, static_cast<int>(rows_.size()), static_cast<int>(rows.size()) - 1);
            rows_ = std::move(rows);
            endInsertRows();
        }
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int FilterListModel::RowOf(LineIndex line) const
{
    const auto at =
        std::lower_bound(rows_.begin(), rows_.end(), line, [](const Row& row, LineIndex l) { return row.line < l; });
    return at != rows_.end() && at->line == line ? static_cast<int>(at - rows_.begin()) : -1;
}

LineIndex FilterListModel::LineAt(int row) const
{
    return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[static_cast<std::size_t>(row)].line : -1;
}

int FilterListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

FilterListModel::Shown FilterListModel::ShownLine(LineIndex line, std::optional<SearchMatch> hit) const
{
    // Unit by unit, as the text shows the line: a tab up to its stop, a character with its marks,
    // a byte that is no character as a replacement sign; the hit's bytes are found in the string by
    // the units they begin and end in, whatever their cells and UTF-16 code units.
    const LineView view = doc_.Text().Line(line);
    const DisplayRules rules = doc_.Rules();
    const std::uint32_t end = ContentLength(view, rules);
    Shown shown;
    std::int64_t column = 0;
    for (std::uint32_t i = 0; i < end && shown.text.size() < kShownCharacters;) {
        const CellUnit unit = UnitAt(view, i, column, rules);
        if (hit && hit->fromByte >= i && hit->fromByte < i + unit.length)
            shown.hitFrom = static_cast<int>(shown.text.size());
        const bool hitEndsHere = hit && hit->toByte > i && hit->toByte <= i + unit.length;
        const unsigned char first = static_cast<unsigned char>(view.ByteAt(i));
        if (first == rules.tab && !rules.ignoreFormatCodes)
            shown.text += QString(static_cast<qsizetype>(std::max<std::int64_t>(1, unit.nextColumn - column)), u' ');
        else if (first < 0x20)
            shown.text += QChar(u'\u00B7');
        else if (rules.utf8 && unit.character != 0)
            shown.text += QString::fromUtf8(view.Bytes() + i, static_cast<qsizetype>(unit.length));
        else if (rules.utf8)
            shown.text += QChar(u'\uFFFD');
        else
            shown.text += Cp1252ToChar(doc_.Charset().ToDisplay(first));
        if (hitEndsHere)
            shown.hitTo = static_cast<int>(shown.text.size());
        column = unit.nextColumn;
        i += unit.length;
    }
    return shown;
}

QVariant FilterListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()))
        return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    if (row.line >= doc_.Text().LineCount())
        return {};
    switch (role) {
    case Qt::DisplayRole: return ShownLine(row.line, std::nullopt).text;
    case kLineNumber: return static_cast<qlonglong>(doc_.FileLines().FileLineOf(row.line) + 1);
    case kHit:
        if (run_)
            if (const auto hit = run_->FirstHit(row.line)) {
                const Shown shown = ShownLine(row.line, hit);
                if (shown.hitFrom >= 0)
                    return QPoint(shown.hitFrom, shown.hitTo >= 0 ? shown.hitTo : shown.hitFrom);
            }
        return {};
    case kMarked: return row.marked;
    case kRow: return static_cast<qlonglong>(row.line);
    default: return {};
    }
}

}  // namespace quill
