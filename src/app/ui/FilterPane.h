// View > Filter Pane: filters below the text, each in a tab, and the marked lines they share.
#pragma once

#include <QWidget>
#include <memory>

#include "text/TextTypes.h"

class QListView;
class QTabWidget;

namespace quill {

class Document;
class FilterListModel;
class FilterTab;
class MarkedLines;
class TextView;

/// Several filters at once, a tab each ("+" adds one): each lists the lines with a hit of its
/// text, filled in the background. Marked lines (Ctrl+click, Ctrl+Shift+M) join every list.
class FilterPane : public QWidget {
    Q_OBJECT
public:
    FilterPane(Document& doc, TextView& view, QWidget* parent = nullptr);
    ~FilterPane() override;

    /// Shows the pane with the current filter's text selected for typing.
    void Activate();
    /// Another filter in a tab of its own, made current.
    FilterTab& AddFilter();
    /// Marks the line or takes its mark away.
    void ToggleMark(LineIndex row);
    int FilterCount() const;
    FilterTab& Current();

    // The current filter's, for tests.
    void SetFilter(const QString& text, bool regularExpression = false, bool matchCase = false);
    bool Searching();
    QString CountText();
    FilterListModel& Model();
    QListView& List();

signals:
    void closeRequested();

private:
    void CloseFilter(int index);

    Document& doc_;
    TextView& view_;
    std::unique_ptr<MarkedLines> marks_;
    QTabWidget* tabs_ = nullptr;
};

}  // namespace quill
