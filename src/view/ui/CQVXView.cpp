// Drawing rows, the caret and the cross wires; keys, clicks, the wheel and the 500 ms timer.
#include "view/ui/CQVXView.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>

#include "app/Settings.h"
#include "common/Format.h"
#include "document/CQVXDoc.h"
#include "platform/qt/Cp1252.h"
#include "view/RowCells.h"
#include "view/StatusTexts.h"

namespace quill {

namespace {

constexpr int kMaxRows = 91;
const QColor kGrey(0x70, 0x70, 0x70);
const QColor kFormatBox(0x40, 0x40, 0xA0);
const QColor kOtherBox(0xA0, 0x40, 0x40);
const QColor kCrossWires(0xF0, 0x80, 0x80);
const QColor kFormFeedLine(0x80, 0x80, 0xF0);
const QColor kBookmarkText(0x80, 0x00, 0x00);

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

CQVXView::CQVXView(CQVXDoc& doc, Settings& settings, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), settings_(settings), motion_(doc, state_)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    ApplyFont();
    timer_.start(500, this);
}

CQVXView::~CQVXView() = default;

void CQVXView::ApplyFont()
{
    textFont_ = ScreenFont(settings_);
    QFontMetrics metrics(textFont_);
    cellWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('A')));
    cellHeight_ = std::max(1, metrics.height());
    hexFont_ = QFont(QStringLiteral("DejaVu Sans"));
    hexFont_.setPixelSize(std::max(5, cellHeight_ / 2 - 1));
    hexFont_.setBold(true);
    UpdateScrollRanges();
    viewport()->update();
}

// ---- DocumentView ---------------------------------------------------------------------------

void CQVXView::ResetScroll()
{
    state_.topLine = 0;
    state_.leftColumn = 0;
    SyncScrollBars();
}

void CQVXView::RecomputePageWidth()
{
    state_.pageWidth = std::max(1, viewport()->width() / cellWidth_);
    settings_.pageWidth = state_.pageWidth;
}

void CQVXView::RedrawAll()
{
    UpdateScrollRanges();
    viewport()->update();
    UpdateStatusPanes();
}

void CQVXView::EnsureCursorVisible(bool centre)
{
    if (quill::EnsureCursorVisible(doc_, state_, centre))
        SyncScrollBars();
    viewport()->update();
}

void CQVXView::SetStatusText(int pane, const std::string& text) { emit statusTextChanged(pane, FromMessageBytes(text)); }

void CQVXView::ShowStructureBar(bool show) { emit structureBarVisibilityChanged(show); }

void CQVXView::UpdateStatusPanes()
{
    doc_.UpdateFileStatusText();
    SetStatusText(2, CursorStatusText(doc_));
    doc_.UpdateSelectionStatusText();
    SetStatusText(4, DescriptionStatusText(doc_));
    SetStatusText(5, doc_.Charset().Name());
    doc_.UpdateTerminatorStatusText();
}

// ---- Scrolling --------------------------------------------------------------------------------

void CQVXView::UpdateScrollRanges()
{
    state_.pageLines = std::max(1, viewport()->height() / cellHeight_);
    RecomputePageWidth();
    syncing_ = true;
    verticalScrollBar()->setRange(0, ClampToInt(doc_.Text().LineCount() - state_.pageLines));
    verticalScrollBar()->setPageStep(ClampToInt(state_.pageLines));
    horizontalScrollBar()->setRange(0, ClampToInt(doc_.Text().WidestLine() + 1 - state_.pageWidth));
    horizontalScrollBar()->setPageStep(state_.pageWidth);
    syncing_ = false;
    state_.topLine = std::min<LineIndex>(state_.topLine, std::max(0, verticalScrollBar()->maximum()));
    SyncScrollBars();
}

void CQVXView::SyncScrollBars()
{
    syncing_ = true;
    verticalScrollBar()->setValue(ClampToInt(state_.topLine));
    horizontalScrollBar()->setValue(ClampToInt(state_.leftColumn));
    syncing_ = false;
}

void CQVXView::scrollContentsBy(int, int)
{
    if (syncing_)
        return;
    state_.topLine = verticalScrollBar()->value();
    state_.leftColumn = horizontalScrollBar()->value();
    viewport()->update();
}

void CQVXView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRanges();
}

void CQVXView::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    const int notches = (std::abs(delta) - 1) / 120 + 1;
    const int lines = notches * 5 * (delta > 0 ? -1 : 1);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + lines);
    event->accept();
}

// ---- Input ------------------------------------------------------------------------------------

void CQVXView::AfterCursorMove()
{
    caretPhase_ = true;
    EnsureCursorVisible(false);
    SetStatusText(2, CursorStatusText(doc_));
}

void CQVXView::keyPressEvent(QKeyEvent* event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Left: motion_.Left(); break;
    case Qt::Key_Right: motion_.Right(); break;
    case Qt::Key_Up: motion_.Up(); break;
    case Qt::Key_Down: motion_.Down(); break;
    case Qt::Key_Home: ctrl ? motion_.DocumentStart() : motion_.Home(); break;
    case Qt::Key_End: ctrl ? motion_.DocumentEnd() : motion_.End(); break;
    case Qt::Key_PageUp: motion_.PageUp(); break;
    case Qt::Key_PageDown: motion_.PageDown(); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    SyncScrollBars();
    AfterCursorMove();
}

void CQVXView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const LineIndex line = state_.topLine + at.y() / cellHeight_;
    const std::int64_t column = state_.leftColumn + (at.x() + cellWidth_ / 2) / cellWidth_;
    motion_.ClickAt(std::min(line, doc_.Text().LineCount() - 1), column);
    SyncScrollBars();
    AfterCursorMove();
}

void CQVXView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void CQVXView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != timer_.timerId())
        return QAbstractScrollArea::timerEvent(event);
    timer_.stop();  // a reload may show a message box: no ticks meanwhile
    caretPhase_ = !caretPhase_;
    if (pendingAutoReload_) {
        pendingAutoReload_ = false;
        doc_.SetAutoReloadMode(2);
    }
    const std::string before = doc_.Path();
    const FileTime time = doc_.ModificationTime();
    doc_.AutoReloadTick();
    if (doc_.Path() != before || doc_.ModificationTime() != time)
        emit documentChanged();
    viewport()->update();
    timer_.start(500, this);
}

// ---- Painting ---------------------------------------------------------------------------------

void CQVXView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const bool grey = settings_.viewLineTermination || doc_.BinaryMode();
    painter.fillRect(event->rect(), grey ? kGrey : palette().color(QPalette::Base));
    painter.setFont(textFont_);
    const LineIndex count = doc_.Text().LineCount();
    for (int row = 0; row < kMaxRows && state_.topLine + row < count; ++row) {
        QRect rowRect(0, row * cellHeight_, viewport()->width(), cellHeight_);
        if (rowRect.intersects(event->rect()))
            PaintRow(painter, row, state_.topLine + row);
    }
    PaintCaret(painter);
    if (doc_.RestorePositionPending()) {
        // Once the page size is known, the cursor goes back to where the file was left.
        doc_.ClearRestorePositionPending();
        doc_.GoToBookmark(true, false);
        SetStatusText(2, CursorStatusText(doc_));
    }
    if (doc_.GotoLine() >= 0) {
        // The line asked for on the command line, once the page size is known.
        motion_.GoToLine(doc_.GotoLine(), -1);
        doc_.ClearGotoLine();
        SyncScrollBars();
        viewport()->update();
        SetStatusText(2, CursorStatusText(doc_));
    }
}

void CQVXView::PaintRow(QPainter& painter, int row, LineIndex line)
{
    RowOptions options;
    options.visible = &settings_.visible;
    options.viewControlChars = settings_.viewControlChars != 0;
    const DisplayRules rules = doc_.Rules();
    const std::vector<Cell> cells = BuildRowCells(doc_.Text().Line(line), rules, doc_.Charset(), options);
    const int y = row * cellHeight_;
    const int x0 = static_cast<int>(-state_.leftColumn * cellWidth_);
    painter.fillRect(QRect(x0, y, static_cast<int>(cells.size()) * cellWidth_, cellHeight_), palette().color(QPalette::Base));

    const std::size_t first = static_cast<std::size_t>(std::min<std::int64_t>(state_.leftColumn, static_cast<std::int64_t>(cells.size())));
    const std::size_t last = std::min(cells.size(), first + static_cast<std::size_t>(state_.pageWidth) + 2);
    QString text;
    text.reserve(static_cast<qsizetype>(last - first));
    for (std::size_t i = first; i < last; ++i)
        text.append(Cp1252ToChar(cells[i].glyph));
    const QColor textColour = doc_.IgnoreFormatCodes() ? QColor(Qt::black)
                              : doc_.HasBookmark(line)  ? kBookmarkText
                                                        : palette().color(QPalette::Text);
    painter.setPen(textColour);
    const int ascent = QFontMetrics(textFont_).ascent();
    // Glyphs go cell by cell, so a face with uneven advances still keeps the columns.
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] != QLatin1Char(' '))
            painter.drawText(static_cast<int>(i) * cellWidth_, y + ascent, QString(text[i]));
    bool formFeed = false;
    for (std::size_t i = first; i < last; ++i) {
        if (cells[i].stored == rules.ff && !rules.ignoreFormatCodes)
            formFeed = true;
        if (cells[i].box)
            PaintHexBox(painter, static_cast<int>(i - first) * cellWidth_, y, cells[i].stored, cells[i].formatColour);
    }
    if (formFeed && settings_.ffLine) {
        painter.setPen(kFormFeedLine);
        painter.drawLine(0, y + cellHeight_ - 1, viewport()->width(), y + cellHeight_ - 1);
    }
    painter.setFont(textFont_);
}

void CQVXView::PaintHexBox(QPainter& painter, int x, int y, std::uint8_t byte, bool formatColour)
{
    painter.fillRect(QRect(x + 1, y, cellWidth_ - 1, cellHeight_), formatColour ? kFormatBox : kOtherBox);
    painter.setFont(hexFont_);
    painter.setPen(Qt::white);
    const QString digits = QString::asprintf("%02X", byte);
    const int half = cellHeight_ / 2;
    painter.drawText(QRect(x, y, cellWidth_, half), Qt::AlignCenter, digits.left(1));
    painter.drawText(QRect(x, y + half, cellWidth_, cellHeight_ - half), Qt::AlignCenter, digits.mid(1));
}

void CQVXView::PaintCaret(QPainter& painter)
{
    const int x = static_cast<int>((doc_.cursorColumn - state_.leftColumn) * cellWidth_);
    const int y = static_cast<int>((doc_.cursorLine - state_.topLine) * cellHeight_);
    if (settings_.viewCrossWires) {
        painter.setPen(kCrossWires);
        painter.drawLine(0, y + cellHeight_, viewport()->width(), y + cellHeight_);
        painter.drawLine(x - 1, 0, x - 1, viewport()->height());
    }
    if (!hasFocus() || caretPhase_) {
        const int width = doc_.OverwriteMode() ? cellWidth_ + 1 : 2;
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(QRect(x, y, width, cellHeight_), Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

}  // namespace quill
