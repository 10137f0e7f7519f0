// View > Filter Pane: a filter text and the list of the lines that hold it, below the text.
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
class FilterPane : public QWidget {
    Q_OBJECT
public:
    FilterPane(Document& doc, TextView& view, QWidget* parent = nullptr);
    ~FilterPane() override;

    /// Shows the pane with the filter text selected for typing.
    void Activate();
    /// Marks the line or takes its mark away.
    void ToggleMark(LineIndex row);
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
    void closeRequested();

protected:
    /// Escape that reached the pane without its shortcut (the window not active).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Escape();
    void BuildLayout();
    /// A new run from the field and the options.
    void Restart();
    /// One step of the run, then the list and the count.
    void Work();
    /// Looks whether edits or new lines left the run work to do.
    void Watch();
    void Stop();
    void UpdateCount();
    void Remember(const QString& text);

    Document& doc_;
    TextView& view_;
    std::unique_ptr<MarkedLines> marks_;
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
};

}  // namespace quill
