// One filter of the filter pane: its text and options, and the list of the lines that hold it.
#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>

#include "text/TextTypes.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListView;
class QModelIndex;
class QProgressBar;
class QToolButton;

namespace quill {

class Document;
class FilterListModel;
class FilterRun;
class MarkedLines;
class TextView;

/// Lists every line of the text with a hit of the filter, filled in the background a few
/// milliseconds at a time (typing, scrolling and a new filter text never wait for it), following
/// edits and a followed file's new lines. A row shows the file line number and the line with its
/// first hit; a click or Enter shows the line in the text. Marked lines join the list in their own
/// colour.
class FilterTab : public QWidget {
    Q_OBJECT
public:
    FilterTab(Document& doc, TextView& view, const MarkedLines& marks, QWidget* parent = nullptr);
    ~FilterTab() override;

    /// The filter text selected for typing.
    void Activate();
    /// The marks changed: the list shows them.
    void MarksChanged();
    /// Stops a search that runs; with none running, the focus goes back to the text.
    void Escape();
    /// The filter text, for the tab's title.
    QString Text() const;
    /// Sets the filter as typed and starts it at once (for tests and the history).
    void SetFilter(const QString& text, bool regularExpression = false, bool matchCase = false);
    /// Whether lines are still searched.
    bool Searching() const;
    /// The text above the list ("1,234 lines").
    QString CountText() const;
    FilterListModel& Model() { return *model_; }
    QListView& List() { return *list_; }
    /// Shows the line of a row of the list in the text.
    void ShowRow(int row);

signals:
    /// A new filter began (its text is the tab's title).
    void restarted();

protected:
    /// Escape that reached the tab without the pane's shortcut (the window not active).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildLayout();
    /// A new run from the field and the options.
    void Restart();
    /// One step of the run, then the list and the count.
    void Work();
    /// Looks whether edits or new lines left the run work to do.
    void Watch();
    void Stop();
    /// The list, and its end kept in sight while it follows a followed file's new lines.
    void RefreshList();
    bool LastRowInSight() const;
    void UpdateCount();
    void Remember(const QString& text);

    Document& doc_;
    TextView& view_;
    const MarkedLines& marks_;
    std::unique_ptr<FilterRun> run_;
    FilterListModel* model_ = nullptr;
    QComboBox* field_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QCheckBox* regex_ = nullptr;
    QCheckBox* wholeWord_ = nullptr;
    QCheckBox* backslashes_ = nullptr;
    QCheckBox* inField_ = nullptr;
    QLabel* count_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QToolButton* stop_ = nullptr;
    QListView* list_ = nullptr;
    QTimer work_;    ///< the next step, as soon as the window is idle
    QTimer watch_;   ///< looks for edits and new lines
    QTimer typing_;  ///< a new filter text starts when the typing pauses
    bool stopped_ = false;
    /// The file is followed and the list's last row was in sight: new hits keep it there.
    bool followsEnd_ = false;
};

}  // namespace quill
