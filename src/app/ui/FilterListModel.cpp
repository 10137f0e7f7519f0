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

QString FilterListModel::DisplayText(LineIndex line) const
{
    const std::string_view bytes = doc_.Text().Line(line).Text();
    std::size_t end = bytes.size();
    while (end > 0 && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r'))
        --end;
    QString raw;
    if (doc_.Utf8Text()) {
        raw = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(std::min<std::size_t>(end, 4 * kShownCharacters)));
    } else {
        for (std::size_t i = 0; i < end && i < kShownCharacters; ++i)
            raw += Cp1252ToChar(static_cast<unsigned char>(bytes[i]));
    }
    const int tab = std::max(1, doc_.AppSettings().tabSize);
    QString shown;
    for (const QChar c : raw) {
        if (shown.size() >= kShownCharacters)
            break;
        if (c == u'\t')
            shown += QString(tab - static_cast<int>(shown.size()) % tab, u' ');
        else
            shown += c.unicode() < 0x20 ? QChar(u'\u00B7') : c;
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
    case Qt::DisplayRole: return DisplayText(row.line);
    case kLineNumber: return static_cast<qlonglong>(doc_.FileLines().FileLineOf(row.line) + 1);
    case kHit:
        if (run_)
            if (const auto hit = run_->FirstHit(row.line))
                return QPoint(static_cast<int>(hit->from), static_cast<int>(hit->to));
        return {};
    case kMarked: return row.marked;
    case kRow: return static_cast<qlonglong>(row.line);
    default: return {};
    }
}

}  // namespace quill
