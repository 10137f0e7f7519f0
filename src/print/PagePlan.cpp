// Page planning for printing.
#include "print/PagePlan.h"

#include <algorithm>

namespace quill {

std::int64_t RowCut::Pieces(std::int64_t cells, bool continued) const
{
    if (!wrap)
        return 1;
    if (continued)
        return std::max<std::int64_t>(1, (cells + ContinuationColumns() - 1) / ContinuationColumns());
    if (cells <= Columns())
        return 1;
    const std::int64_t rest = cells - Columns();
    return 1 + (rest + ContinuationColumns() - 1) / ContinuationColumns();
}

std::pair<std::int64_t, std::int64_t> RowCut::CellsOf(std::int64_t cells, std::int64_t piece, bool continued) const
{
    if (!wrap)
        return {0, std::min(cells, Cut(cells) ? Columns() - 1 : cells)};
    if (piece == 0 && !continued)
        return {0, std::min(cells, Columns())};
    const std::int64_t first =
        continued ? piece * ContinuationColumns() : Columns() + (piece - 1) * ContinuationColumns();
    return {std::min(first, cells), std::min(first + ContinuationColumns(), cells)};
}

std::vector<PlannedPage> PlanPages(LineIndex lines, const PageRules& rules,
                                   const std::function<bool(LineIndex)>& hasFormFeed,
                                   const std::function<std::int64_t(LineIndex)>& piecesOf)
{
    // The rows a page can take: the rows less the one above the text and the one below it, and
    // two more for the footer's row and the gap before it.
    // Counted in 64 bits: any page height, the most extreme too, gives a sound count.
    std::int64_t capacity = static_cast<std::int64_t>(rules.rowsPerPage) - (rules.footer ? 4 : 2);
    if (rules.header && !rules.footer)
        --capacity;
    capacity = std::max<std::int64_t>(1, capacity);
    std::vector<PlannedPage> pages;
    PlannedPage page{0, 0, 0, 0, rules.header ? 3 : 1};
    const auto startPage = [&](LineIndex line, std::int64_t piece) {
        pages.push_back(page);
        page.first = line;
        page.firstPiece = piece;
        page.rows = 0;
    };
    for (LineIndex line = 0; line < lines; ++line) {
        if (rules.breakAtFormFeed && page.rows > 0 && line > page.first && hasFormFeed(line - 1))
            startPage(line, 0);
        const std::int64_t pieces = piecesOf ? std::max<std::int64_t>(1, piecesOf(line)) : 1;
        for (std::int64_t piece = 0; piece < pieces;) {
            if (page.rows >= capacity)
                startPage(line, piece);
            // As many pieces as the page has room for, at once: a line of a million rows is not
            // walked row by row.
            const std::int64_t take = std::min(pieces - piece, capacity - page.rows);
            page.rows += take;
            piece += take;
            page.end = line + 1;
        }
    }
    pages.push_back(page);
    return pages;
}

}  // namespace quill
