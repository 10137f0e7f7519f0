// Puts the document on the pages of a printer, a print preview or a PDF file.
#pragma once

#include <string>
#include <vector>

#include "print/PagePlan.h"

class QPagedPaintDevice;
class QPainter;
class QString;

namespace quill {

class Document;
class RowPainter;
struct Settings;

class DocumentPrinter {
public:
    DocumentPrinter(Document& doc, const Settings& settings) : doc_(doc), settings_(settings) {}

    /// Prints pages from..to (1-based; 0 for either end: all) on the device, in the printer font,
    /// with header, footer, left margin and form-feed breaks as the settings say. Long jobs show
    /// the progress window; false when Escape stopped the job.
    bool Print(QPagedPaintDevice& device, int fromPage = 0, int toPage = 0);
    /// The pages the document takes on a device.
    std::vector<PlannedPage> Plan(QPagedPaintDevice& device) const;
    /// Gives a printer, a preview's printer or a PDF writer the page margins of every print job:
    /// 15 mm, or the printer's own least margin where that is wider, so that nothing falls outside
    /// what it can print.
    static void SetMargins(QPagedPaintDevice& device);

private:
    PageRules RulesFor(QPagedPaintDevice& device, int cellHeight) const;
    RowCut CutFor(QPagedPaintDevice& device, const RowPainter& rows) const;
    int LeftEdge(QPagedPaintDevice& device) const;
    /// The cells a line takes when printed.
    std::int64_t CellsOf(LineIndex line) const;
    /// The continuation sign or the cut mark in the cell at x.
    static void DrawMark(QPainter& painter, const RowPainter& rows, int x, int y, const QString& mark);
    /// Draws a header or footer line centred at a row's top.
    void DrawCentred(QPainter& painter, const RowPainter& rows, int width, int y, const std::string& pattern,
                     int page) const;

    Document& doc_;
    const Settings& settings_;
};

}  // namespace quill
