// Pages are planned first (so a preview knows them all), then painted line by line with the
// screen's row painter in the printer font; syntax colouring runs from the first line on, so
// colours carried over from lines above are right on every page.
#include "print/ui/DocumentPrinter.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cstring>
#include <ctime>

#include "document/Document.h"
#include "platform/ProgressWindow.h"
#include "platform/qt/Cp1252.h"
#include "print/HeaderFooter.h"
#include "settings/Settings.h"
#include "syntax/ColouringEngine.h"
#include "view/RowLayout.h"
#include "view/ui/RowPainter.h"

namespace quill {

namespace {

QFont PrinterFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);  // where that face is missing: the system's fixed face
    font.setFixedPitch(true);
    font.setPointSizeF(9);
    return font;
}

// Continuation rows and cut lines are marked in grey, apart from the text.
const QColor kMarkColour(110, 110, 110);
const QString kContinuationSign = QStringLiteral("\u21AA");
const QString kCutMark = QStringLiteral("\u00BB");

std::tm LocalDate(std::time_t time)
{
    std::tm date{};
    localtime_r(&time, &date);
    return date;
}

}  // namespace

PageRules DocumentPrinter::RulesFor(QPagedPaintDevice& device, int cellHeight) const
{
    PageRules rules;
    rules.rowsPerPage = device.height() / std::max(1, cellHeight);
    rules.header = !settings_.printHeader.empty();
    rules.footer = !settings_.printFooter.empty();
    rules.breakAtFormFeed = settings_.printFF != 0;
    return rules;
}

void DocumentPrinter::SetMargins(QPagedPaintDevice& device)
{
    constexpr qreal kMargin = 15;  // millimetres
    QPageLayout layout = device.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF least = layout.minimumMargins();
    device.setPageMargins(QMarginsF(std::max(kMargin, least.left()), std::max(kMargin, least.top()),
                                    std::max(kMargin, least.right()), std::max(kMargin, least.bottom())),
                          QPageLayout::Millimeter);
}

int DocumentPrinter::LeftEdge(QPagedPaintDevice& device) const
{
    return settings_.printLeft * device.logicalDpiX() * 10 / 254;
}

RowCut DocumentPrinter::CutFor(QPagedPaintDevice& device, const RowPainter& rows) const
{
    RowCut cut;
    cut.columns = std::max(1, (device.width() - LeftEdge(device)) / std::max(1, rows.CellWidth()));
    cut.wrap = settings_.printWrap != 0;
    return cut;
}

std::int64_t DocumentPrinter::CellsOf(LineIndex line) const
{
    return static_cast<std::int64_t>(LayOutRow(doc_, line, nullptr, true).cells.size());
}

std::vector<PlannedPage> DocumentPrinter::Plan(QPagedPaintDevice& device) const
{
    RowPainter rows;
    rows.SetFont(PrinterFont(), &device);
    const TextStore& text = doc_.Text();
    const bool formatCodes = !doc_.IgnoreFormatCodes();
    const DisplayRules rules = doc_.Rules();
    const RowCut cut = CutFor(device, rows);
    const auto hasFormFeed = [&](LineIndex line) {
        const LineView view = text.Line(line);
        return formatCodes && std::memchr(view.Bytes(), rules.ff, view.Length()) != nullptr;
    };
    if (!cut.wrap)
        return PlanPages(text.LineCount(), RulesFor(device, rows.CellHeight()), hasFormFeed);
    const FileLineIndex& fileLines = doc_.FileLines();
    return PlanPages(text.LineCount(), RulesFor(device, rows.CellHeight()), hasFormFeed, [&](LineIndex line) {
        const LineView view = text.Line(line);
        const bool continued = fileLines.Continues(line);
        const std::int64_t room = continued ? cut.columns - RowCut::kMarkCells : cut.columns;
        if (view.Length() <= room && std::memchr(view.Bytes(), rules.tab, view.Length()) == nullptr)
            return std::int64_t{1};
        return cut.Pieces(CellsOf(line), continued);
    });
}

void DocumentPrinter::DrawMark(QPainter& painter, const RowPainter& rows, int x, int y, const QString& mark)
{
    painter.fillRect(QRect(x, y, rows.CellWidth(), rows.CellHeight()), Qt::white);
    painter.setFont(rows.TextFont());
    painter.setPen(kMarkColour);
    painter.drawText(QRect(x, y, rows.CellWidth(), rows.CellHeight()), Qt::AlignCenter, mark);
}

void DocumentPrinter::DrawCentred(QPainter& painter, const RowPainter& rows, int width, int y,
                                  const std::string& pattern, int page) const
{
    PageFacts facts;
    facts.page = page;
    facts.path = doc_.File().Path();
    facts.size = doc_.Text().FileSize();
    facts.today = LocalDate(std::time(nullptr));
    facts.fileTime = LocalDate(static_cast<std::time_t>(doc_.File().ModificationTime() / 1000000000));
    const QString text = FromCp1252(FormatHeaderFooter(pattern, facts));
    painter.setFont(rows.TextFont());
    painter.setPen(Qt::black);
    const QFontMetrics metrics(rows.TextFont(), painter.device());
    painter.drawText(width / 2 - metrics.horizontalAdvance(text) / 2, y + metrics.ascent(), text);
}

bool DocumentPrinter::Print(QPagedPaintDevice& device, int fromPage, int toPage)
{
    RowPainter rows;
    rows.SetFont(PrinterFont(), &device);
    rows.SetColours(Qt::white, Qt::black);
    const std::vector<PlannedPage> pages = Plan(device);
    const int first = std::max(1, fromPage);
    const int last =
        toPage > 0 ? std::min<int>(toPage, static_cast<int>(pages.size())) : static_cast<int>(pages.size());
    const int width = device.width();
    const int height = device.height();
    const int left = LeftEdge(device);
    const RowCut cut = CutFor(device, rows);
    const FileLineIndex& fileLines = doc_.FileLines();
    const int cellWidth = rows.CellWidth();
    const bool coloured = doc_.Syntax().IsActive() && !doc_.IgnoreFormatCodes();
    ColouringEngine engine(doc_.Syntax());
    const TextStore& text = doc_.Text();
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    ProgressScope progress(doc_.Ports().progress, 40);
    LineIndex colouredUpTo = 0;  // the engine has seen the lines before this one
    LineIndex laidOut = -1;      // the line whose layout is at hand (a page may begin inside it)
    RowLayout layout;
    const auto layOut = [&](LineIndex line) {
        if (laidOut == line)
            return;
        for (; coloured && colouredUpTo < line; ++colouredUpTo)
            engine.ColourLine(text.Line(colouredUpTo), false);
        if (coloured) {
            engine.ColourLine(text.Line(line), true);
            colouredUpTo = line + 1;
        }
        layout = LayOutRow(doc_, line, coloured ? &engine : nullptr, true);
        laidOut = line;
    };
    for (int number = first; number <= last; ++number) {
        if (doc_.Ports().progress.Step(static_cast<std::int64_t>(number) * 40 / std::max(1, last))) {
            painter.end();
            return false;
        }
        if (number > first)
            device.newPage();
        const PlannedPage& page = pages[static_cast<std::size_t>(number - 1)];
        if (!settings_.printHeader.empty())
            DrawCentred(painter, rows, width, rows.CellHeight(), settings_.printHeader, number);
        LineIndex line = page.first;
        std::int64_t piece = page.firstPiece;
        for (std::int64_t row = 0; row < page.rows; ++row) {
            layOut(line);
            const auto cells = static_cast<std::int64_t>(layout.cells.size());
            // A display line that continues the file line of the one before (the text is wrapped)
            // is printed as the continuation it is.
            const bool continued = cut.wrap && fileLines.Continues(line);
            const auto [from, to] = cut.CellsOf(cells, piece, continued);
            const int y = static_cast<int>(page.firstRow + row) * rows.CellHeight();
            const bool marked = piece > 0 || continued;
            // A continuation row shows its cells after the sign; nothing of the line's other
            // pieces (field colours) strays into the margin.
            const int textLeft = left + (marked ? static_cast<int>(RowCut::kMarkCells) * cellWidth : 0);
            painter.save();
            painter.setClipRect(QRect(textLeft, y, width - textLeft, rows.CellHeight()));
            // The form-feed line only when form feeds do not break pages.
            rows.Paint(painter, layout, textLeft - static_cast<int>(from) * cellWidth, y,
                       static_cast<std::size_t>(from), static_cast<std::size_t>(to),
                       settings_.ffLine && !settings_.printFF, width);
            painter.restore();
            if (marked)
                DrawMark(painter, rows, left, y, kContinuationSign);
            if (cut.Cut(cells))
                DrawMark(painter, rows, left + static_cast<int>(cut.columns - 1) * cellWidth, y, kCutMark);
            if (++piece >= cut.Pieces(cells, continued)) {
                ++line;
                piece = 0;
            }
        }
        if (!settings_.printFooter.empty())
            DrawCentred(painter, rows, width, height - rows.CellHeight(), settings_.printFooter, number);
    }
    painter.end();
    return true;
}

}  // namespace quill
