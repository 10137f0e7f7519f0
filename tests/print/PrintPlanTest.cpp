// Header and footer texts and the page decisions of printing.
#include <gtest/gtest.h>

#include <climits>

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

}  // namespace
}  // namespace quill::test
