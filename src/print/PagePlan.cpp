#include "print/PagePlan.h"

#include <algorithm>

namespace quill {

std::vector<PlannedPage> PlanPages(LineIndex lines, const PageRules& rules,
                                   const std::function<bool(LineIndex)>& hasFormFeed)
{
    // The lines a page can take: the rows less the one above the text and the one below it, and
    // two more for the footer's row and the gap before it.
    // Counted in 64 bits: any page height, the most extreme too, gives a sound count.
    std::int64_t capacity = static_cast<std::int64_t>(rules.rowsPerPage) - (rules.footer ? 4 : 2);
    if (rules.header && !rules.footer)
        --capacity;
    capacity = std::max<std::int64_t>(1, capacity);
    std::vector<PlannedPage> pages;
    PlannedPage page{0, 0, rules.header ? 3 : 1};
    for (LineIndex line = 0; line < lines; ++line) {
        const bool full = page.end - page.first >= capacity;
        const bool formFeed = rules.breakAtFormFeed && line > page.first && hasFormFeed(line - 1);
        if (full || formFeed) {
            pages.push_back(page);
            page.first = line;
        }
        page.end = line + 1;
    }
    pages.push_back(page);
    return pages;
}

}  // namespace quill
