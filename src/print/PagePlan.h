// Where printed pages end, and on which row each line goes.
#pragma once

#include <functional>
#include <vector>

#include "text/TextTypes.h"

namespace quill {

/// A page: its lines [first, end) and the row of the first one (rows are counted in cell heights
/// from the top edge; the header, when there is one, takes the two rows above the first line).
struct PlannedPage {
    LineIndex first = 0;
    LineIndex end = 0;
    int firstRow = 1;
};

struct PageRules {
    int rowsPerPage = 60;  ///< the printable height in cell heights
    bool header = true;
    bool footer = true;
    bool breakAtFormFeed = false;  ///< a line holding a form feed is the last of its page
};

/// The pages of a text of `lines` lines. Without a footer a page holds rowsPerPage - 2 lines,
/// with one rowsPerPage - 4; with a header but no footer one line less, so that the last line
/// does not fall on the bottom edge. Every page holds at least one line; an empty text is one
/// empty page.
std::vector<PlannedPage> PlanPages(LineIndex lines, const PageRules& rules,
                                   const std::function<bool(LineIndex)>& hasFormFeed);

}  // namespace quill
