// Header and footer texts and the page decisions of printing.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "print/HeaderFooter.h"
#include "print/PagePlan.h"

namespace quill::test {
namespace {

PageFacts Facts()
{
    PageFacts facts;
    facts.page = 7;
    facts.path = "/home/ann/notes.txt";
    facts.size = 1536;
    facts.today.tm_mday = 8;
    facts.today.tm_mon = 11;
    facts.today.tm_year = 126;
    facts.fileTime.tm_mday = 1;
    facts.fileTime.tm_mon = 0;
    facts.fileTime.tm_year = 99;
    return facts;
}

TEST(HeaderFooterTest, PlaceholdersAndTheirEdges)
{
    const PageFacts facts = Facts();
    EXPECT_EQ(FormatHeaderFooter("Page &p", facts), "Page 7");
    EXPECT_EQ(FormatHeaderFooter("&f", facts), "/home/ann/notes.txt");
    EXPECT_EQ(FormatHeaderFooter("&d.&m.&y / &D.&M.&Y", facts), "08.12.2026 / 01.01.1999");
    EXPECT_EQ(FormatHeaderFooter("&&p", facts), "&p");
    EXPECT_EQ(FormatHeaderFooter("a&xb", facts), "ab");
    EXPECT_EQ(FormatHeaderFooter("A&", facts), "A");
    EXPECT_EQ(FormatHeaderFooter("", facts), "");
}

// One decimal of the size, cut off: not the first digit of the remainder.
TEST(HeaderFooterTest, SizesWithOneDecimal)
{
    EXPECT_EQ(SizeText(1536), "1.5 kb");
    EXPECT_EQ(SizeText(1100), "1.0 kb");
    EXPECT_EQ(SizeText(5), "0.0 kb");
    EXPECT_EQ(SizeText(1048575), "1023.9 kb");
    EXPECT_EQ(SizeText(1048576), "1.0 Mb");
    EXPECT_EQ(SizeText(3145728), "3.0 Mb");
    EXPECT_EQ(SizeText(5ll << 40), "5242880.0 Mb");
}

std::vector<LineIndex> Sizes(const std::vector<PlannedPage>& pages)
{
    std::vector<LineIndex> sizes;
    for (const PlannedPage& page : pages)
        sizes.push_back(page.end - page.first);
    return sizes;
}

TEST(PagePlanTest, LinesPerPageFollowHeaderAndFooter)
{
    const auto none = [](LineIndex) { return false; };
    PageRules rules;
    rules.rowsPerPage = 10;
    EXPECT_EQ(Sizes(PlanPages(15, rules, none)), (std::vector<LineIndex>{6, 6, 3}));  // footer: L - 4
    EXPECT_EQ(PlanPages(15, rules, none)[1].firstRow, 3);                             // below the header
    rules.footer = false;
    rules.header = false;
    EXPECT_EQ(Sizes(PlanPages(15, rules, none)), (std::vector<LineIndex>{8, 7}));  // L - 2
    EXPECT_EQ(PlanPages(15, rules, none)[0].firstRow, 1);
    rules.header = true;  // the last line would fall on the bottom edge: one less
    EXPECT_EQ(Sizes(PlanPages(15, rules, none)), (std::vector<LineIndex>{7, 7, 1}));
    rules.rowsPerPage = 2;  // tiny paper still moves on
    EXPECT_EQ(Sizes(PlanPages(3, rules, none)), (std::vector<LineIndex>{1, 1, 1}));
    EXPECT_EQ(Sizes(PlanPages(0, rules, none)), (std::vector<LineIndex>{0}));  // an empty text: one page
    // Extreme page heights count soundly (the sanitizer build checks the arithmetic).
    rules.rowsPerPage = INT_MIN;
    EXPECT_EQ(Sizes(PlanPages(2, rules, none)), (std::vector<LineIndex>{1, 1}));
    rules.rowsPerPage = INT_MAX;
    EXPECT_EQ(Sizes(PlanPages(3, rules, none)), (std::vector<LineIndex>{3}));
}

TEST(PagePlanTest, AFormFeedLineEndsItsPageWhenAsked)
{
    const auto formFeedIn = [](LineIndex line) { return line == 1 || line == 2; };
    PageRules rules;
    rules.rowsPerPage = 20;
    EXPECT_EQ(Sizes(PlanPages(6, rules, formFeedIn)), (std::vector<LineIndex>{6}));
    rules.breakAtFormFeed = true;
    EXPECT_EQ(Sizes(PlanPages(6, rules, formFeedIn)), (std::vector<LineIndex>{2, 1, 3}));
}

TEST(PagePlanTest, LongLinesGoOnInRowsAndAcrossPages)
{
    RowCut cut;
    cut.columns = 10;
    // Cells [0,10), then eight a row after the continuation sign.
    EXPECT_EQ(cut.Pieces(0), 1);
    EXPECT_EQ(cut.Pieces(10), 1);
    EXPECT_EQ(cut.Pieces(11), 2);
    EXPECT_EQ(cut.Pieces(18), 2);
    EXPECT_EQ(cut.Pieces(19), 3);
    EXPECT_EQ(cut.CellsOf(19, 2), (std::pair<std::int64_t, std::int64_t>{18, 19}));
    cut.wrap = false;  // cut: the last column holds the mark
    EXPECT_EQ(cut.Pieces(500), 1);
    EXPECT_TRUE(cut.Cut(11));
    EXPECT_FALSE(cut.Cut(10));
    EXPECT_EQ(cut.CellsOf(500, 0), (std::pair<std::int64_t, std::int64_t>{0, 9}));
    EXPECT_EQ(cut.CellsOf(10, 0), (std::pair<std::int64_t, std::int64_t>{0, 10}));

    // Three lines of 1, 9 and 2 rows on pages of 6 rows (10 less header and footer).
    PageRules rules;
    rules.rowsPerPage = 10;
    const std::vector<std::int64_t> pieces{1, 9, 2};
    const auto pages = PlanPages(
        3, rules, [](LineIndex) { return false; },
        [&](LineIndex line) { return pieces[static_cast<std::size_t>(line)]; });
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].first, 0);
    EXPECT_EQ(pages[0].end, 2);
    EXPECT_EQ(pages[0].rows, 6);
    EXPECT_EQ(pages[1].first, 1);  // the second line goes on at its sixth row
    EXPECT_EQ(pages[1].firstPiece, 5);
    EXPECT_EQ(pages[1].end, 3);
    EXPECT_EQ(pages[1].rows, 6);
}

TEST(PagePlanTest, EveryCellIsPrintedOnceInOrderOnPagesNeverOverfull)
{
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        RowCut cut;
        cut.columns = 1 + static_cast<std::int64_t>(random() % 12);
        std::vector<std::int64_t> cells(random() % 30);
        for (auto& n : cells)
            n = static_cast<std::int64_t>(random() % 60);
        for (std::size_t line = 0; line < cells.size(); ++line) {
            // A continued line (a wrapped display line going on) is continuation rows throughout.
            for (const bool continued : {false, true}) {
                std::int64_t next = 0;
                for (std::int64_t piece = 0; piece < cut.Pieces(cells[line], continued); ++piece) {
                    const auto [from, to] = cut.CellsOf(cells[line], piece, continued);
                    ASSERT_EQ(from, next);
                    ASSERT_TRUE(to > from || cells[line] == 0);
                    const bool marked = piece > 0 || continued;
                    ASSERT_LE(to - from + (marked ? RowCut::kMarkCells : 0), std::max<std::int64_t>(cut.columns, 3));
                    next = to;
                }
                ASSERT_EQ(next, cells[line]);
            }
        }
        PageRules rules;
        rules.rowsPerPage = 5 + static_cast<int>(random() % 10);
        rules.footer = random() % 2;
        const auto pages = PlanPages(
            static_cast<LineIndex>(cells.size()), rules, [](LineIndex) { return false; },
            [&](LineIndex line) { return cut.Pieces(cells[static_cast<std::size_t>(line)]); });
        // Walking the pages row by row meets every piece of every line once, in order.
        LineIndex line = 0;
        std::int64_t piece = 0;
        for (const PlannedPage& page : pages) {
            ASSERT_EQ(page.first, std::min<LineIndex>(line, static_cast<LineIndex>(cells.size())));
            ASSERT_EQ(page.firstPiece, piece);
            ASSERT_LE(page.rows, rules.rowsPerPage - (rules.footer ? 4 : 3));
            for (std::int64_t row = 0; row < page.rows; ++row)
                if (++piece == cut.Pieces(cells[static_cast<std::size_t>(line)])) {
                    ++line;
                    piece = 0;
                }
            ASSERT_EQ(page.end, piece > 0 ? line + 1 : line);
        }
        ASSERT_EQ(line, static_cast<LineIndex>(cells.size()));
    }
}

}  // namespace
}  // namespace quill::test
