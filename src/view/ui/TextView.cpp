// Drawing rows, the caret and the cross wires; keys, clicks and the wheel.
#include "view/ui/TextView.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <iterator>

#include "common/Format.h"
#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "platform/qt/Cp1252.h"
#include "search/BracketMatch.h"
#include "settings/Settings.h"
#include "view/FieldSpans.h"
#include "view/RowCells.h"
#include "view/RowLayout.h"
#include "view/SelectionRange.h"
#include "view/StatusTexts.h"
#include "view/ui/FieldRuler.h"
#include "view/ui/LineNumberGutter.h"

namespace quill {

namespace {

constexpr int kMaxRows = 91;
const QColor kGrey(0x70, 0x70, 0x70);
const QColor kCrossWires(0xF0, 0x80, 0x80);

int ClampToInt(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, 0, INT_MAX)); }

// The screen font by its settings; a missing face falls back to DejaVu Sans Mono.
QFont ScreenFont(const Settings& settings)
{
    QFont font(FromCp1252(settings.font));
    if (!QFontInfo(font).exactMatch() || !QFontInfo(font).fixedPitch())
        font = QFont(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(std::max(6, settings.fontSize * 10 / 75));
    font.setWeight(QFont::Weight(std::clamp(settings.fontWeight, 1, 1000)));
    return font;
}

}  // namespace

TextView::TextView(Document& doc, Settings& settings, QWidget* parent)
    : QAbstractScrollArea(parent),
      doc_(doc),
      settings_(settings),
      input_(doc, state_, clipboard_),
      navigation_(doc, state_),
      motion_(input_.Motion()),
      ruler_(new FieldRuler(doc, state_, this)),
      gutter_(new LineNumberGutter(doc, state_, this)),
      engine_(doc.Syntax())
{
    ruler_->hide();
    gutter_->hide();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    ApplyFont();
    ShowLineNumbers(settings_.lineNumbers != 0);
    caretTimer_.start(500, this);
    connect(gutter_, &LineNumberGutter::lineClicked, this, [this](qint64 line) {
        doc_.ToggleBookmarkAt(line);
        viewport()->update();
    });
}

TextView::~TextView() = default;

void TextView::ApplyFont()
{
    rows_.SetFont(ScreenFont(settings_));
    ruler_->SetCellWidth(rows_.CellWidth());
    gutter_->SetFont(rows_.TextFont(), rows_.CellWidth(), rows_.CellHeight());
    LayOutMargins();
    UpdateScrollRanges();
    viewport()->update();
}

// ---- DocumentView ---------------------------------------------------------------------------

void TextView::ResetScroll()
{
    state_.topLine = 0;
    state_.leftColumn = 0;
    SyncScrollBars();
}

int TextView::PageColumns() const { return std::max(1, viewport()->width() / rows_.CellWidth()); }

void TextView::Changed(DocumentChange changes)
{
    if (Has(changes, DocumentChange::NewText))
        ResetScroll();
    if (Has(changes, DocumentChange::Structure))
        ShowStructureBar(doc_.Structure().IsActive());
    if (Has(changes, DocumentChange::CursorPlaced | DocumentChange::CursorCentred))
        EnsureCursorVisible(Has(changes, DocumentChange::CursorCentred));
    if (Has(changes, DocumentChange::Text))
        RedrawAll();
    if (Has(changes, DocumentChange::Reread))
        emit documentChanged();
    if (Has(changes, DocumentChange::ChangedOnDisk))
        emit fileChangedOnDisk();
}

void TextView::RedrawAll()
{
    doc_.Follow().UpdateWatch();
    ++generation_;
    UpdateScrollRanges();
    viewport()->update();
    UpdateStatusPanes();
}

void TextView::EnsureCursorVisible(bool centre)
{
    if (quill::EnsureCursorVisible(doc_, state_, centre))
        SyncScrollBars();
    viewport()->update();
}

void TextView::SetStatusText(StatusPane pane, const std::string& text)
{
    emit statusTextChanged(static_cast<int>(pane), FromMessageBytes(text));
}

void TextView::ShowStructureBar(bool show)
{
    ruler_->setVisible(show);
    LayOutMargins();
    ruler_->update();
}

void TextView::ShowLineNumbers(bool show)
{
    gutter_->setVisible(show);
    LayOutMargins();
}

bool TextView::LineNumbersShown() const { return !gutter_->isHidden(); }

void TextView::LayOutMargins()
{
    // The ruler sits in a margin above the text, the gutter in one to its left; the text keeps
    // what is left, so the page width shrinks by the gutter's width and nothing else.
    const int top = ruler_->isHidden() ? 0 : FieldRuler::kHeight;
    const int left = gutter_->isHidden() ? 0 : gutter_->WidthNeeded();
    if (left != gutterWidth_ || viewportMargins().top() != top) {
        gutterWidth_ = left;
        setViewportMargins(left, top, 0, 0);
    }
    const int frame = frameWidth();
    ruler_->setGeometry(frame + left, frame, viewport()->width(), FieldRuler::kHeight);
    gutter_->setGeometry(frame, frame + top, left, viewport()->height());
    gutter_->update();
}

void TextView::SelectAll()
{
    doc_.Model().RaiseUndoGroup();
    motion_.SelectAll();
    SyncScrollBars();
    AfterCursorMove();
    viewport()->update();
}

void TextView::UpdateStatusPanes()
{
    doc_.UpdateFileStatusText();
    SetStatusText(StatusPane::Cursor, CursorStatusText(doc_));
    doc_.UpdateSelectionStatusText();
    SetStatusText(StatusPane::Structure, DescriptionStatusText(doc_));
    SetStatusText(StatusPane::Table, doc_.EncodingName());
    doc_.UpdateTerminatorStatusText();
}

// ---- Scrolling --------------------------------------------------------------------------------

void TextView::UpdateScrollRanges()
{
    // The gutter widens when the line count gains a digit.
    if (!gutter_->isHidden() && gutter_->WidthNeeded() != gutterWidth_)
        LayOutMargins();
    state_.pageLines = std::max(1, viewport()->height() / rows_.CellHeight());
    state_.pageWidth = PageColumns();
    settings_.pageWidth = state_.pageWidth;
    syncing_ = true;
    // While a file loads in the background the bar stands for the whole file, as far as its
    // lines can be foreseen, so that its length and a drag to the end mean the file's.
    verticalScrollBar()->setRange(0, ClampToInt(doc_.ExpectedLineCount() - state_.pageLines));
    verticalScrollBar()->setPageStep(ClampToInt(state_.pageLines));
    horizontalScrollBar()->setRange(0, ClampToInt(doc_.Text().WidestLine() + 1 - state_.pageWidth));
    horizontalScrollBar()->setPageStep(state_.pageWidth);
    syncing_ = false;
    state_.topLine = std::min<LineIndex>(state_.topLine, LastTopLine());
    SyncScrollBars();
}

LineIndex TextView::LastTopLine() const { return std::max<LineIndex>(0, doc_.Text().LineCount() - state_.pageLines); }

void TextView::SyncScrollBars()
{
    syncing_ = true;
    verticalScrollBar()->setValue(ClampToInt(state_.topLine));
    horizontalScrollBar()->setValue(ClampToInt(state_.leftColumn));
    syncing_ = false;
}

void TextView::scrollContentsBy(int, int)
{
    if (syncing_)
        return;
    const LineIndex wanted = verticalScrollBar()->value();
    if (doc_.LoadingInBackground() && wanted > LastTopLine())
        ScrollPastTheLoadedPart(wanted, wanted >= verticalScrollBar()->maximum());
    state_.topLine = std::min(wanted, LastTopLine());
    state_.leftColumn = horizontalScrollBar()->value();
    viewport()->update();
    ruler_->update();
    gutter_->update();
}

void TextView::ScrollPastTheLoadedPart(LineIndex wanted, bool toEnd)
{
    // The page asked for is not read yet: the rest is read (with the progress window, whose events
    // must not come inside the scroll bar's own) and the page shown then.
    if (scrollPending_)
        return;
    scrollPending_ = true;
    QTimer::singleShot(0, this, [this, wanted, toEnd] {
        scrollPending_ = false;
        doc_.CompleteBackgroundLoad();
        UpdateScrollRanges();
        state_.topLine = toEnd ? LastTopLine() : std::min(wanted, LastTopLine());
        SyncScrollBars();
        RedrawAll();
    });
}

void TextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    LayOutMargins();
    UpdateScrollRanges();
    if (doc_.Config().On(Layout::WrapAtBorder) && state_.pageWidth != doc_.BorderWrapWidth())
        rewrapTimer_.start(300, this);  // once the user has stopped resizing
}

void TextView::RewrapAtBorder()
{
    rewrapTimer_.stop();
    if (!doc_.Config().On(Layout::WrapAtBorder) || state_.pageWidth == doc_.BorderWrapWidth())
        return;
    doc_.ReflowKeepingOffset(-1);
    emit documentChanged();
}

void TextView::wheelEvent(QWheelEvent* event)
{
    const std::int64_t lines = WheelLines(event->angleDelta().y());
    if (lines == 0)
        return;
    verticalScrollBar()->setValue(ClampToInt(verticalScrollBar()->value() + lines));
    event->accept();
}

// ---- Input ------------------------------------------------------------------------------------

void TextView::AfterCursorMove()
{
    caretPhase_ = true;
    ruler_->update();
    doc_.UpdateFileStatusText();
    EnsureCursorVisible(false);
    SetStatusText(StatusPane::Cursor, CursorStatusText(doc_));
    doc_.UpdateSelectionStatusText();
}

bool TextView::EditorKeyOf(const QKeyEvent* event, EditorKey& key)
{
    switch (event->key()) {
    case Qt::Key_Left: key = EditorKey::Left; return true;
    case Qt::Key_Right: key = EditorKey::Right; return true;
    case Qt::Key_Up: key = EditorKey::Up; return true;
    case Qt::Key_Down: key = EditorKey::Down; return true;
    case Qt::Key_Home: key = EditorKey::Home; return true;
    case Qt::Key_End: key = EditorKey::End; return true;
    case Qt::Key_PageUp: key = EditorKey::PageUp; return true;
    case Qt::Key_PageDown: key = EditorKey::PageDown; return true;
    case Qt::Key_Insert: key = EditorKey::Insert; return true;
    case Qt::Key_Delete: key = EditorKey::Delete; return true;
    case Qt::Key_Backspace: key = EditorKey::Backspace; return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: key = EditorKey::Enter; return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: key = EditorKey::Tab; return true;
    case Qt::Key_Escape: key = EditorKey::Escape; return true;
    default: return false;
    }
}

void TextView::AfterEdit()
{
    ++generation_;
    UpdateScrollRanges();
    EnsureCursorVisible(false);
    caretPhase_ = true;
    UpdateStatusPanes();
    emit documentChanged();
}

void TextView::AfterRowEdit()
{
    ++generation_;
    caretPhase_ = true;
    UpdateStatusPanes();
    const int y = static_cast<int>((doc_.Selection().cursor.line - state_.topLine) * rows_.CellHeight());
    const int height = doc_.Syntax().IsActive() ? viewport()->height() - y : rows_.CellHeight();
    viewport()->update(QRect(0, y, viewport()->width(), height));
    ruler_->update();
    emit rowChanged();
}

void TextView::keyPressEvent(QKeyEvent* event)
{
    const LineIndex lines = doc_.Text().LineCount(), line = doc_.Selection().cursor.line, top = state_.topLine;
    const std::int64_t left = state_.leftColumn, widest = doc_.Text().WidestLine();
    const bool selected = doc_.Selection().Active();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool shift = modifiers & Qt::ShiftModifier || event->key() == Qt::Key_Backtab;
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (doc_.LoadingInBackground() && WaitsForTheLoad(event))
        return;
    EditorInput::Effect effect = EditorInput::Effect::None;
    if (EditorKey key; EditorKeyOf(event, key)) {
        effect = input_.Press(key, shift, ctrl);
    } else if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        // Ctrl and Alt combinations are the menus' business: they never type, even when they are
        // no shortcut, so a stray Alt+letter cannot change the text unnoticed.
        effect = input_.Type(event->text().toStdString());
    }
    // Typing and deleting within a row repaint that row only.
    const bool rowOnly = lines == doc_.Text().LineCount() && line == doc_.Selection().cursor.line &&
                         top == state_.topLine && left == state_.leftColumn && widest == doc_.Text().WidestLine() &&
                         !selected && !doc_.Selection().Active() && !doc_.BinaryMode();
    switch (effect) {
    case EditorInput::Effect::TextChanged: rowOnly ? AfterRowEdit() : AfterEdit(); return;
    case EditorInput::Effect::CursorMoved:
        SyncScrollBars();
        AfterCursorMove();
        if (shift && doc_.Selection().Active())
            input_.Clip().OfferPrimary();  // selecting with Shift sets the primary selection too
        viewport()->update();
        return;
    case EditorInput::Effect::None: QAbstractScrollArea::keyPressEvent(event); return;
    }
}

bool TextView::WaitsForTheLoad(QKeyEvent* event)
{
    // Escape stops the load; the editor completes it first for the keys that need the whole text.
    EditorKey key;
    if (EditorKeyOf(event, key) && key == EditorKey::Escape) {
        doc_.StopBackgroundLoad();
        RedrawAll();
        return true;
    }
    return false;
}

bool TextView::focusNextPrevChild(bool) { return false; }  // Tab is typed, not a focus move

std::pair<LineIndex, std::int64_t> TextView::CellAt(const QPoint& at) const
{
    const LineIndex line = state_.topLine + std::max(0, at.y()) / rows_.CellHeight();
    const std::int64_t column = state_.leftColumn + (std::max(0, at.x()) + rows_.CellWidth() / 2) / rows_.CellWidth();
    return {line, column};
}

void TextView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        doc_.CompleteBackgroundLoad();  // a paste changes the text: all of it must be there
        return PastePrimaryAt(event->position().toPoint());
    }
    if (event->button() != Qt::LeftButton)
        return;
    const auto [line, column] = CellAt(event->position().toPoint());
    const bool ctrlOnly = (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) == Qt::ControlModifier;
    ctrlClickLine_ = ctrlOnly ? line : -1;
    ctrlClickAt_ = event->position().toPoint();
    input_.MousePress(line, column, event->modifiers() & Qt::ShiftModifier, event->modifiers() & Qt::ControlModifier);
    SyncScrollBars();
    AfterCursorMove();
    viewport()->update();
}

void TextView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint at = event->position().toPoint();
    if ((at - ctrlClickAt_).manhattanLength() > 3)
        ctrlClickLine_ = -1;  // a drag: a block selection, no click
    if (input_.EdgeScroll(at.x(), at.y(), viewport()->width(), viewport()->height()))
        SyncScrollBars();
    const auto [line, column] = CellAt(at);
    input_.MouseMove(line, column);
    AfterCursorMove();
    viewport()->update();
}

void TextView::PastePrimaryAt(const QPoint& at)
{
    // As in every X program: the middle button pastes the text selected last where it is pressed.
    const auto [line, column] = CellAt(at);
    input_.MousePress(line, column, false, false);
    input_.MouseRelease();
    input_.Clip().PastePrimary();
    SyncScrollBars();
    AfterEdit();
}

void TextView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        input_.MouseRelease();
        input_.Clip().OfferPrimary();
        if (ctrlClickLine_ >= 0)
            emit lineCtrlClicked(ctrlClickLine_);
        ctrlClickLine_ = -1;
    }
    AfterCursorMove();
    viewport()->update();
}

void TextView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    input_.SelectWord();
    input_.Clip().OfferPrimary();
    AfterCursorMove();
    viewport()->update();
}

void TextView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TextView::timerEvent(QTimerEvent* event)
{
    if (doc_.Ports().progress.IsActive())
        return;  // the document is in the middle of long work: it must not be changed now
    if (event->timerId() == rewrapTimer_.timerId())
        return RewrapAtBorder();
    if (event->timerId() != caretTimer_.timerId())
        return QAbstractScrollArea::timerEvent(event);
    caretPhase_ = !caretPhase_;
    viewport()->update();
}

bool TextView::ShowsLastLine() const { return state_.topLine + state_.pageLines >= doc_.Text().LineCount(); }

// ---- Painting ---------------------------------------------------------------------------------

void TextView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const bool grey = settings_.viewLineTermination || doc_.BinaryMode();
    painter.fillRect(event->rect(), grey ? kGrey : palette().color(QPalette::Base));
    painter.setFont(rows_.TextFont());
    const LineIndex count = doc_.Text().LineCount();
    const bool coloured = doc_.Syntax().IsActive() && !doc_.IgnoreFormatCodes();
    if (coloured)
        LookBack();
    for (int row = 0; row < kMaxRows && state_.topLine + row < count; ++row) {
        QRect rowRect(0, row * rows_.CellHeight(), viewport()->width(), rows_.CellHeight());
        if (coloured)
            engine_.ColourLine(doc_.Text().Line(state_.topLine + row), true);  // keeps the state going
        if (rowRect.intersects(event->rect()))
            PaintRow(painter, row, state_.topLine + row, coloured);
    }
    PaintSelection(painter);
    PaintCaret(painter);
    if (!gutter_->isHidden())
        gutter_->update();  // the numbers follow every repaint of the text: scrolls, edits, bookmarks
    if (doc_.RestorePositionPending()) {
        // Once the page size is known, the cursor goes back to where the file was left.
        doc_.ClearRestorePositionPending();
        doc_.GoToBookmark(true, false);
        SetStatusText(StatusPane::Cursor, CursorStatusText(doc_));
    }
    if (doc_.GotoLine() >= 0 && doc_.LoadingInBackground() && doc_.GotoLine() > doc_.FileLines().FileLineCount()) {
        // The line asked for is not read yet: it is waited for with the progress window, whose
        // events must not come inside this paint, and gone to at the next one.
        QTimer::singleShot(0, this, [this] {
            doc_.CompleteBackgroundLoad();
            viewport()->update();
        });
    } else if (doc_.GotoLine() >= 0) {
        // The line asked for on the command line, once the page size is known.
        motion_.GoToLine(doc_.GotoLine(), -1);
        doc_.ClearGotoLine();
        SyncScrollBars();
        viewport()->update();
        SetStatusText(StatusPane::Cursor, CursorStatusText(doc_));
    }
    emit painted();
}

void TextView::LookBack()
{
    if (lookBackGeneration_ == generation_ && lookBackTop_ == state_.topLine) {
        engine_.SetOpenItems(lookBackState_);
        return;
    }
    engine_.ResetOpenItems();
    for (LineIndex line = std::max<LineIndex>(0, state_.topLine - 15000); line < state_.topLine; ++line)
        engine_.ColourLine(doc_.Text().Line(line), false);
    lookBackState_ = engine_.OpenItems();
    lookBackGeneration_ = generation_;
    lookBackTop_ = state_.topLine;
}

void TextView::PaintRow(QPainter& painter, int row, LineIndex line, bool coloured)
{
    const RowLayout layout = LayOutRow(doc_, line, coloured ? &engine_ : nullptr);
    const std::size_t first = static_cast<std::size_t>(
        std::min<std::int64_t>(state_.leftColumn, static_cast<std::int64_t>(layout.cells.size())));
    rows_.SetColours(palette().color(QPalette::Base), palette().color(QPalette::Text));
    rows_.Paint(painter, layout, static_cast<int>(-state_.leftColumn * rows_.CellWidth()), row * rows_.CellHeight(),
                first, first + static_cast<std::size_t>(state_.pageWidth) + 2, settings_.ffLine != 0,
                viewport()->width());
}

void TextView::PaintSelection(QPainter& painter)
{
    const SelectionRange range = SelectionRange::Of(doc_, doc_.Selection().block);
    if (range.Empty())
        return;
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const LineIndex first = std::max(range.upper, state_.topLine);
    const LineIndex last = std::min(range.lower, state_.topLine + state_.pageLines);
    for (LineIndex line = first; line <= last; ++line) {
        // A block spans its columns on every line; a normal selection runs from its start on the
        // upper line to the line ends and on to its end on the lower line.
        const std::int64_t from = range.block || line == range.upper ? range.left : 0;
        const std::int64_t to = range.block || line == range.lower ? range.right : doc_.DisplayWidth(line);
        const int x = static_cast<int>((from - state_.leftColumn) * rows_.CellWidth());
        const int width = static_cast<int>((to - from) * rows_.CellWidth());
        painter.fillRect(
            QRect(x, static_cast<int>((line - state_.topLine) * rows_.CellHeight()), width, rows_.CellHeight()),
            Qt::white);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TextView::PaintCaret(QPainter& painter)
{
    const int x = static_cast<int>((doc_.Selection().cursor.column - state_.leftColumn) * rows_.CellWidth());
    const int y = static_cast<int>((doc_.Selection().cursor.line - state_.topLine) * rows_.CellHeight());
    if (settings_.viewCrossWires) {
        painter.setPen(kCrossWires);
        painter.drawLine(0, y + rows_.CellHeight(), viewport()->width(), y + rows_.CellHeight());
        painter.drawLine(x - 1, 0, x - 1, viewport()->height());
    }
    if (!hasFocus() || caretPhase_) {
        const int width = doc_.OverwriteMode() ? rows_.CellWidth() + 1 : 2;
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(QRect(x, y, width, rows_.CellHeight()), Qt::white);
        // The partner of the bracket under the cursor gets a thin frame that blinks with the caret.
        if (const BracketMatch match = MatchBracket(doc_); match.Found()) {
            const int bx = static_cast<int>((match.column - state_.leftColumn) * rows_.CellWidth());
            const int by = static_cast<int>((match.line - state_.topLine) * rows_.CellHeight());
            painter.fillRect(QRect(bx - 1, by - 1, 1, rows_.CellHeight() + 4), Qt::white);
            painter.fillRect(QRect(bx + rows_.CellWidth() + 1, by - 1, 1, rows_.CellHeight() + 4), Qt::white);
            painter.fillRect(QRect(bx, by - 1, rows_.CellWidth() + 1, 1), Qt::white);
            painter.fillRect(QRect(bx, by + rows_.CellHeight() + 2, rows_.CellWidth() + 1, 1), Qt::white);
        }
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

}  // namespace quill
