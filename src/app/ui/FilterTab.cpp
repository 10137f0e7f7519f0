// A filter of the filter pane: its fields, the list's painting, and the run stepped from the event loop.
#include "app/ui/FilterTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QProgressBar>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

#include "app/ui/FilterListModel.h"
#include "document/Document.h"
#include "search/FilterRun.h"
#include "search/MarkedLines.h"
#include "settings/Settings.h"
#include "view/ui/TextView.h"

namespace quill {

namespace {

// A step of the run takes about this long; the window handles its events in between.
constexpr std::chrono::milliseconds kStep{15};

// Paints a row: the file line number in a gutter, then the line with its first hit marked.
class FilterRowDelegate : public QStyledItemDelegate {
public:
    FilterRowDelegate(const TextView& view, QObject* parent) : QStyledItemDelegate(parent), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        if (selected)
            painter->fillRect(r, palette.highlight());
        else if (index.data(FilterListModel::kMarked).toBool())
            painter->fillRect(r, QColor(255, 240, 190));
        painter->setFont(view_.TextFont());
        const QFontMetrics metrics(view_.TextFont());
        const int cell = metrics.horizontalAdvance(u'0');
        const int gutter = cell * 9;
        const QString number = QString::number(index.data(FilterListModel::kLineNumber).toLongLong());
        painter->setPen(selected ? palette.highlightedText().color() : QColor(128, 128, 128));
        painter->drawText(QRect(r.left(), r.top(), gutter - cell, r.height()), Qt::AlignRight | Qt::AlignVCenter,
                          number);
        const QString text = index.data(Qt::DisplayRole).toString();
        const QPoint hit = index.data(FilterListModel::kHit).toPoint();
        const int x = r.left() + gutter;
        if (index.data(FilterListModel::kHit).isValid() && hit.y() > hit.x() && hit.x() < text.size()) {
            const int from = metrics.horizontalAdvance(text.left(hit.x()));
            const int width = metrics.horizontalAdvance(text.mid(hit.x(), hit.y() - hit.x()));
            painter->fillRect(QRect(x + from, r.top() + 1, std::max(width, 2), r.height() - 2), QColor(255, 200, 80));
        }
        painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
        painter->drawText(QRect(x, r.top(), r.width() - gutter, r.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {400, QFontMetrics(view_.TextFont()).height() + 2};
    }

private:
    const TextView& view_;
};

QCheckBox* Option(const QString& text, QWidget* parent, const QString& tip)
{
    auto* box = new QCheckBox(text, parent);
    box->setToolTip(tip);
    box->setFocusPolicy(Qt::TabFocus);
    return box;
}

}  // namespace

FilterTab::FilterTab(Document& doc, TextView& view, const MarkedLines& marks, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      view_(view),
      marks_(marks)
{
    model_ = new FilterListModel(doc_, marks_, this);
    BuildLayout();
    work_.setSingleShot(true);
    work_.setInterval(0);
    connect(&work_, &QTimer::timeout, this, &FilterTab::Work);
    watch_.setInterval(250);
    connect(&watch_, &QTimer::timeout, this, &FilterTab::Watch);
    watch_.start();
    typing_.setSingleShot(true);
    typing_.setInterval(150);
    connect(&typing_, &QTimer::timeout, this, &FilterTab::Restart);
}

FilterTab::~FilterTab()
{
    model_->SetRun(nullptr);
    run_.reset();
}

void FilterTab::BuildLayout()
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(3);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Filter:"), this));
    field_ = new QComboBox(this);
    field_->setEditable(true);
    field_->setInsertPolicy(QComboBox::NoInsert);
    field_->setMinimumWidth(240);
    field_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (const std::string& text : doc_.AppSettings().filterTexts)
        field_->addItem(QString::fromStdString(text));
    field_->setCurrentText({});
    row->addWidget(field_, 1);
    matchCase_ = Option(QStringLiteral("Match case"), this, QStringLiteral("Upper and lower case differ"));
    regex_ = Option(QStringLiteral("Regular expression"), this, QStringLiteral("The text is a regular expression"));
    wholeWord_ = Option(QStringLiteral("Whole word"), this, QStringLiteral("Only hits that are whole words"));
    backslashes_ = Option(QStringLiteral("Backslash codes"), this, QStringLiteral("\\t, \\x41 and the like"));
    inField_ = Option(QStringLiteral("In field"), this, QStringLiteral("Only the field at the cursor"));
    for (QCheckBox* box : {matchCase_, regex_, wholeWord_, backslashes_, inField_}) {
        row->addWidget(box);
        connect(box, &QCheckBox::toggled, this, &FilterTab::Restart);
    }
    count_ = new QLabel(this);
    count_->setMinimumWidth(130);
    row->addWidget(count_);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 1000);
    bar_->setMaximumWidth(120);
    bar_->setTextVisible(false);
    QSizePolicy keepPlace = bar_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);  // the buttons stay where they are when it goes
    bar_->setSizePolicy(keepPlace);
    row->addWidget(bar_);
    stop_ = new QToolButton(this);
    stop_->setText(QStringLiteral("Stop"));
    stop_->setToolTip(QStringLiteral("Stop searching (Escape)"));
    connect(stop_, &QToolButton::clicked, this, &FilterTab::Stop);
    row->addWidget(stop_);
    column->addLayout(row);

    list_ = new QListView(this);
    list_->setModel(model_);
    list_->setUniformItemSizes(true);
    list_->setItemDelegate(new FilterRowDelegate(view_, list_));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    column->addWidget(list_, 1);

    connect(field_, &QComboBox::editTextChanged, this, [this] { typing_.start(); });
    connect(field_->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        typing_.stop();
        Remember(field_->currentText());
        Restart();
    });
    // A text whose list was used is worth keeping, however the search was started.
    const auto use = [this](const QModelIndex& index) {
        Remember(field_->currentText());
        ShowRow(index.row());
    };
    connect(list_, &QListView::clicked, this, use);
    connect(list_, &QListView::activated, this, use);
    UpdateCount();
}

void FilterTab::Activate()
{
    field_->setFocus();
    field_->lineEdit()->selectAll();
}

void FilterTab::SetFilter(const QString& text, bool regularExpression, bool matchCase)
{
    const QSignalBlocker blockRegex(regex_);
    const QSignalBlocker blockCase(matchCase_);
    regex_->setChecked(regularExpression);
    matchCase_->setChecked(matchCase);
    field_->setEditText(text);
    typing_.stop();
    Restart();
}

void FilterTab::Restart()
{
    model_->SetRun(nullptr);
    FilterOptions options;
    options.text = field_->currentText().toStdString();
    options.matchCase = matchCase_->isChecked();
    options.useRegEx = regex_->isChecked();
    options.wholeWord = wholeWord_->isChecked();
    options.useBackslashes = backslashes_->isChecked();
    options.field = inField_->isChecked() ? doc_.FieldAtCursor() : nullptr;
    run_ = std::make_unique<FilterRun>(doc_, options);
    stopped_ = false;
    followsEnd_ = false;  // a new list fills from its top
    model_->SetRun(run_.get());
    Work();  // the first screen of hits at once
    emit restarted();
}

QString FilterTab::Text() const { return field_->currentText(); }

void FilterTab::Work()
{
    if (!run_ || stopped_)
        return;
    if (run_->Step(kStep))
        work_.start();
    RefreshList();
    UpdateCount();
}

void FilterTab::Watch()
{
    // As in a followed text, the list follows a followed file's new hits while its last row is
    // in sight; scrolled away from it, it stays where the user put it.
    followsEnd_ = doc_.Follow().Mode() != AutoReload::Off && LastRowInSight();
    // Edits and a followed file's new lines leave the run lines to look at.
    if (run_ && !stopped_ && !run_->Complete() && !work_.isActive())
        work_.start();
    RefreshList();
    UpdateCount();
}

void FilterTab::RefreshList()
{
    const int rows = model_->rowCount();
    model_->Refresh();
    if (followsEnd_ && model_->rowCount() > rows) {
        list_->doItemsLayout();  // the new rows count in the scroll range at once
        list_->scrollToBottom();
    }
}

bool FilterTab::LastRowInSight() const
{
    const int rows = model_->rowCount();
    return rows == 0 || list_->visualRect(model_->index(rows - 1)).intersects(list_->viewport()->rect());
}

void FilterTab::Stop()
{
    stopped_ = true;
    work_.stop();
    UpdateCount();
}

bool FilterTab::Searching() const { return run_ && !stopped_ && !run_->Complete() && run_->Problem().empty(); }

QString FilterTab::CountText() const { return count_->text(); }

void FilterTab::UpdateCount()
{
    const LineIndex total = doc_.Text().LineCount();
    QString text;
    QString problem;
    if (run_)
        problem = QString::fromStdString(run_->Problem());
    if (!problem.isEmpty()) {
        text = problem;
    } else {
        text = QLocale().toString(model_->HitCount()) +
               (model_->HitCount() == 1 ? QStringLiteral(" line") : QStringLiteral(" lines"));
        if (!marks_.Lines().empty())
            text += QStringLiteral(", %1 marked").arg(marks_.Lines().size());
        if (Searching())
            text += QStringLiteral("\u2026");
        else if (stopped_ && run_ && !run_->Complete())
            text += QStringLiteral(" (stopped)");
    }
    count_->setText(text);
    // Set only when it changes: the count is brought up to date four times a second, and a new
    // style sheet makes Qt lay the label out afresh.
    const QString style = problem.isEmpty() ? QString() : QStringLiteral("color: #b00000");
    if (count_->styleSheet() != style)
        count_->setStyleSheet(style);
    bar_->setVisible(Searching());
    stop_->setEnabled(Searching());
    if (run_ && total > 0)
        bar_->setValue(static_cast<int>(std::min<LineIndex>(run_->Searched(), total) * 1000 / total));
}

void FilterTab::Remember(const QString& text)
{
    if (text.isEmpty())
        return;
    std::vector<std::string>& texts = doc_.AppSettings().filterTexts;
    std::erase(texts, text.toStdString());
    texts.insert(texts.begin(), text.toStdString());
    if (texts.size() > Settings::kFilterTexts)
        texts.resize(Settings::kFilterTexts);
    const QSignalBlocker block(field_);
    field_->clear();
    for (const std::string& t : texts)
        field_->addItem(QString::fromStdString(t));
    field_->setEditText(text);
}

void FilterTab::MarksChanged()
{
    model_->Refresh();
    UpdateCount();
}

void FilterTab::ShowRow(int row)
{
    const LineIndex line = model_->LineAt(row);
    if (line < 0 || line >= doc_.Text().LineCount())
        return;
    const auto hit = run_ ? run_->FirstHit(line) : std::nullopt;
    view_.Navigate().GoToRow(line, hit ? hit->from : 0);
    view_.AfterEdit();
}

void FilterTab::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape)
        return QWidget::keyPressEvent(event);
    Escape();
}

void FilterTab::Escape()
{
    // Escape stops a search; with none running it goes back to the text.
    if (Searching())
        Stop();
    else
        view_.setFocus();
}

}  // namespace quill
