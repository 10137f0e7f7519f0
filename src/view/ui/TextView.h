// The text area: draws one display line per row in a fixed-pitch font and moves the cursor.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFont>

#include "document/DocumentView.h"
#include "platform/qt/QtClipboard.h"
#include "syntax/ColouringEngine.h"
#include "view/EditorInput.h"
#include "view/Navigation.h"
#include "view/ViewState.h"
#include "view/ui/RowPainter.h"

namespace quill {

class Document;
class FieldRuler;
class LineNumberGutter;
struct Settings;

class TextView : public QAbstractScrollArea, public DocumentView {
    Q_OBJECT
public:
    TextView(Document& doc, Settings& settings, QWidget* parent = nullptr);
    ~TextView() override;

    // DocumentView
    void Changed(DocumentChange changes) override;
    void SetStatusText(StatusPane pane, const std::string& text) override;
    int PageColumns() const override;
    bool ShowsLastLine() const override;

    /// Scrolls both scroll bars to 0.
    void ResetScroll();
    /// Lays out and repaints everything.
    void RedrawAll();
    /// Scrolls so the cursor is visible, centring it on request.
    void EnsureCursorVisible(bool centre);
    /// Shows or hides the field ruler bar.
    void ShowStructureBar(bool show);
    /// Re-reads the font settings and lays everything out again.
    void ApplyFont();
    /// "Select All".
    void SelectAll();
    /// View > Line Numbers: the gutter left of the text.
    void ShowLineNumbers(bool show);
    bool LineNumbersShown() const;
    /// Writes status panes 1 to 6.
    void UpdateStatusPanes();
    /// The keys and the clipboard commands of the editor.
    EditorInput& Input() { return input_; }
    /// The commands that go to a named place.
    Navigation& Navigate() { return navigation_; }
    /// The commands of the Search menu that search.
    /// What the window shows of the text: the search commands move it.
    ViewState& State() { return state_; }
    /// After a command changed the text or the cursor: repaint and refresh the panes.
    void AfterEdit();
    int CellWidth() const { return rows_.CellWidth(); }
    const QFont& TextFont() const { return rows_.TextFont(); }
    /// The height of a hex box's digits in pixels.
    int HexDigitHeight() const { return rows_.HexDigitHeight(); }
    int CellHeight() const { return rows_.CellHeight(); }

signals:
    void statusTextChanged(int pane, const QString& text);
    void documentChanged();
    /// Another program changed the open file (not followed): the window offers Reload.
    void fileChangedOnDisk();
    /// The text changed within the cursor row only: title and command states may change, the
    /// rest of the window need not be painted again.
    void rowChanged();
    /// After every paint of the text.
    void painted();
    /// Ctrl and a click that did not move: the line clicked (the filter pane marks it).
    void lineCtrlClicked(qlonglong line);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    /// A key while a file loads in the background: Escape stops the load, a key that changes the
    /// text completes it first. True when the key was used up.
    bool WaitsForTheLoad(QKeyEvent* event);
    /// The greatest top line the text read so far allows.
    LineIndex LastTopLine() const;
    /// A scroll beyond the part of a file read so far: the rest is read first.
    void ScrollPastTheLoadedPart(LineIndex wanted, bool toEnd);
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void timerEvent(QTimerEvent* event) override;
    /// The middle button: the primary selection goes in at the cell pressed.
    void PastePrimaryAt(const QPoint& at);
    void focusInEvent(QFocusEvent* event) override;

private:
    /// Where a Ctrl+click began, until the mouse moves away or is released (-1: none).
    qlonglong ctrlClickLine_ = -1;
    QPoint ctrlClickAt_;
    void UpdateScrollRanges();
    void SyncScrollBars();
    void AfterCursorMove();
    /// After an edit that changed only the cursor row: that row (and, with syntax colouring, the
    /// rows below it, which an opened comment may colour) is painted again.
    void AfterRowEdit();
    /// The key of an event as the editor knows it; false for keys it does not handle.
    static bool EditorKeyOf(const QKeyEvent* event, EditorKey& key);
    void PaintSelection(QPainter& painter);
    /// The cell under a point of the text area: line and column.
    std::pair<LineIndex, std::int64_t> CellAt(const QPoint& at) const;
    void RewrapAtBorder();
    /// The margins around the text: the field ruler above, the line numbers left.
    void LayOutMargins();
    void PaintRow(QPainter& painter, int row, LineIndex line, bool coloured);
    /// Feeds the lines above the window to the colouring engine, so items opened there colour
    /// the first rows; the result is kept while neither the text nor the top line changes.
    void LookBack();
    void PaintCaret(QPainter& painter);

    Document& doc_;
    Settings& settings_;
    ViewState state_;
    QtClipboard clipboard_;
    EditorInput input_;
    Navigation navigation_;
    CursorMotion& motion_;
    QBasicTimer rewrapTimer_;  ///< wrapping at the window border follows the window's width
    FieldRuler* ruler_;
    LineNumberGutter* gutter_;
    int gutterWidth_ = 0;  ///< the left margin the gutter has now (0: hidden)
    ColouringEngine engine_;
    std::uint64_t generation_ = 0;  ///< raised whenever the text may have changed
    std::uint64_t lookBackGeneration_ = ~std::uint64_t{0};
    LineIndex lookBackTop_ = -1;
    std::array<int, ColouringEngine::kOpenSlots> lookBackState_{};
    RowPainter rows_;
    QBasicTimer caretTimer_;  ///< the caret blinks at half-second steps
    bool caretPhase_ = true;
    bool syncing_ = false;
    bool scrollPending_ = false;  ///< a scroll waits for the rest of a file loading in the background
};

}  // namespace quill
