// Pages are planned first (so a preview knows them all), then painted line by line with the
// screen's row painter in the printer font; syntax colouring runs from the first line on, so
// colours carried over from lines above are right on every page.
#include "print/ui/DocumentPrinter.h"

#include <QFontMetrics>
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

std::vector<PlannedPage> DocumentPrinter::Plan(QPagedPaintDevice& device) const
{
    RowPainter rows;
    rows.SetFont(PrinterFont(), &device);
    const TextStore& text = doc_.Text();
    const bool formatCodes = !doc_.IgnoreFormatCodes();
    const std::uint8_t ff = doc_.Rules().ff;
    return PlanPages(text.LineCount(), RulesFor(device, rows.CellHeight()), [&](LineIndex line) {
        const LineView view = text.Line(line);
        return formatCodes && std::memchr(view.Bytes(), ff, view.Length()) != nullptr;
    });
}

void DocumentPrinter::DrawCentred(QPainter& painter, const RowPainter& rows, int width, int y,
                                  const std::string& pattern, int page) const
{
    PageFacts facts;
    facts.page = page;
    facts.path = doc_.Path();
    facts.size = doc_.Text().FileSize();
    facts.today = LocalDate(std::time(nullptr));
    facts.fileTime = LocalDate(static_cast<std::time_t>(doc_.ModificationTime() / 1000000000));
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
    const int left = settings_.printLeft * device.logicalDpiX() * 10 / 254;
    const bool coloured = doc_.Syntax().IsActive() && !doc_.IgnoreFormatCodes();
    ColouringEngine engine(doc_.Syntax());
    const TextStore& text = doc_.Text();
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    ProgressScope progress(doc_.Progress(), 40);
    LineIndex coloredUpTo = 0;  // the engine has seen the lines before this one
    for (int number = first; number <= last; ++number) {
        if (doc_.Progress().Step(static_cast<std::int64_t>(number) * 40 / std::max(1, last))) {
            painter.end();
            return false;
        }
        if (number > first)
            device.newPage();
        const PlannedPage& page = pages[static_cast<std::size_t>(number - 1)];
        for (; coloured && coloredUpTo < page.first; ++coloredUpTo)
            engine.ColourLine(text.Line(coloredUpTo), false);
        if (!settings_.printHeader.empty())
            DrawCentred(painter, rows, width, rows.CellHeight(), settings_.printHeader, number);
        int row = page.firstRow;
        for (LineIndex line = page.first; line < page.end; ++line, ++row) {
            if (coloured) {
                engine.ColourLine(text.Line(line), true);
                coloredUpTo = line + 1;
            }
            const RowLayout layout = LayOutRow(doc_, line, coloured ? &engine : nullptr, true);
            // The form-feed line only when form feeds do not break pages.
            rows.Paint(painter, layout, left, row * rows.CellHeight(), 0, layout.cells.size(),
                       settings_.ffLine && !settings_.printFF, width);
        }
        if (!settings_.printFooter.empty())
            DrawCentred(painter, rows, width, height - rows.CellHeight(), settings_.printFooter, number);
    }
    painter.end();
    return true;
}

}  // namespace quill
