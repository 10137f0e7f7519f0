// Where printed pages end, and on which row each piece of a line goes.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "text/TextTypes.h"

namespace quill {

/// A page: its printed rows, from piece firstPiece of line first on, and the row of the first
/// one (rows are counted in cell heights from the top edge; the header, when there is one, takes
/// the two rows above the first line). A line wider than the page takes several pieces, one a
/// row, when long lines wrap; a page may begin or end inside such a line.
struct PlannedPage {
    LineIndex first = 0;
    std::int64_t firstPiece = 0;
    LineIndex end = 0;  ///< one past the line of the page's last row
    std::int64_t rows = 0;
    int firstRow = 1;
};

struct PageRules {
    int rowsPerPage = 60;  ///< the printable height in cell heights
    bool header = true;
    bool footer = true;
    bool breakAtFormFeed = false;  ///< a line holding a form feed is the last of its page
};

/// How a line is cut into printed rows of a page's width.
struct RowCut {
    /// Continuation rows begin with a continuation sign and a blank before the text goes on.
    static constexpr std::int64_t kMarkCells = 2;

    std::int64_t columns = 80;  ///< the cells a printed row holds
    bool wrap = true;           ///< long lines go on in the next rows; else they are cut, with a mark

    /// The rows a line of that many cells takes (at least one). A continued line (a display line
    /// that goes on with the file line of the one before) is all continuation rows.
    std::int64_t Pieces(std::int64_t cells, bool continued = false) const;
    /// The cells [first, last) of a line that piece k shows.
    std::pair<std::int64_t, std::int64_t> CellsOf(std::int64_t cells, std::int64_t piece, bool continued = false) const;
    /// Without wrapping: whether a line of that many cells is cut (the last column shows the mark).
    bool Cut(std::int64_t cells) const { return !wrap && cells > Columns(); }

private:
    std::int64_t Columns() const { return columns < 1 ? 1 : columns; }
    std::int64_t ContinuationColumns() const { return Columns() > kMarkCells ? Columns() - kMarkCells : 1; }
};

/// The pages of a text of `lines` lines, of which line i takes piecesOf(i) rows. Without a footer
/// a page holds rowsPerPage - 2 rows, with one rowsPerPage - 4; with a header but no footer one row
/// less, so that the last row does not fall on the bottom edge. Every page holds at least one row;
/// an empty text is one empty page.
std::vector<PlannedPage> PlanPages(LineIndex lines, const PageRules& rules,
                                   const std::function<bool(LineIndex)>& hasFormFeed,
                                   const std::function<std::int64_t(LineIndex)>& piecesOf = {});

}  // namespace quill
