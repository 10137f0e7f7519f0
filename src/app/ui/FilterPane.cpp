// The filter pane: its tabs, the marks they share, and Escape wherever the focus is in it.
#include "app/ui/FilterPane.h"

#include <QHBoxLayout>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ui/FilterTab.h"
#include "document/Document.h"
#include "search/MarkedLines.h"

namespace quill {

namespace {

// A tab's title: its text, cut short.
QString Title(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("Filter");
    return text.size() > 24 ? text.left(23) + QChar(u'\u2026') : text;
}

}  // namespace

FilterPane::FilterPane(Document& doc, TextView& view, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      view_(view),
      marks_(std::make_unique<MarkedLines>(doc.Text()))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    tabs_ = new QTabWidget(this);
    tabs_->setDocumentMode(true);
    connect(tabs_, &QTabWidget::tabCloseRequested, this, &FilterPane::CloseFilter);
    auto* corner = new QWidget(tabs_);
    auto* buttons = new QHBoxLayout(corner);
    buttons->setContentsMargins(0, 0, 0, 0);
    auto* add = new QToolButton(corner);
    add->setText(QStringLiteral("+"));
    add->setToolTip(QStringLiteral("Another filter"));
    connect(add, &QToolButton::clicked, this, [this] { AddFilter().Activate(); });
    buttons->addWidget(add);
    auto* close = new QToolButton(corner);
    close->setText(QStringLiteral("\u2715"));
    close->setToolTip(QStringLiteral("Close the filter pane"));
    connect(close, &QToolButton::clicked, this, &FilterPane::closeRequested);
    buttons->addWidget(close);
    tabs_->setCornerWidget(corner, Qt::TopRightCorner);
    column->addWidget(tabs_);
    // Wherever the focus is in the pane (a field, a list): the field's own use of Escape would
    // swallow it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] { Current().Escape(); });
    AddFilter();
}

FilterPane::~FilterPane()
{
    // The tabs' runs watch the text, as the marks do: they go first.
    while (tabs_->count() > 0)
        delete tabs_->widget(0);
}

FilterTab& FilterPane::AddFilter()
{
    auto* tab = new FilterTab(doc_, view_, *marks_, tabs_);
    const int index = tabs_->addTab(tab, Title({}));
    connect(tab, &FilterTab::restarted, this,
            [this, tab] { tabs_->setTabText(tabs_->indexOf(tab), Title(tab->Text())); });
    tabs_->setCurrentIndex(index);
    tabs_->setTabsClosable(tabs_->count() > 1);
    return *tab;
}

void FilterPane::CloseFilter(int index)
{
    if (tabs_->count() <= 1)
        return;  // the pane always has a filter; its close button closes the pane
    delete tabs_->widget(index);
    tabs_->setTabsClosable(tabs_->count() > 1);
}

void FilterPane::Activate()
{
    show();
    Current().Activate();
}

void FilterPane::ToggleMark(LineIndex row)
{
    if (row < 0 || row >= doc_.Text().LineCount())
        return;
    marks_->Toggle(row);
    for (int i = 0; i < tabs_->count(); ++i)
        static_cast<FilterTab*>(tabs_->widget(i))->MarksChanged();
}

int FilterPane::FilterCount() const { return tabs_->count(); }

FilterTab& FilterPane::Current() { return *static_cast<FilterTab*>(tabs_->currentWidget()); }

void FilterPane::SetFilter(const QString& text, bool regularExpression, bool matchCase)
{
    Current().SetFilter(text, regularExpression, matchCase);
}

bool FilterPane::Searching() { return Current().Searching(); }

QString FilterPane::CountText() { return Current().CountText(); }

FilterListModel& FilterPane::Model() { return Current().Model(); }

QListView& FilterPane::List() { return Current().List(); }

}  // namespace quill
