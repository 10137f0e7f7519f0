// The filter pane's search against a plain line-by-line reference: random texts searched in many
// small parts (both threads taking their halves of the larger ones), literals with and without
// case, expressions and whole words, with lines inserted, removed, edited and appended between the
// parts and after the end.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <regex>

#include "search/FilterRun.h"
#include "structure/FieldDef.h"
#include "structure/StructureDescription.h"
#include "support/DocumentFixture.h"
#include "support/TestScale.h"

namespace quill::test {
namespace {

std::string RandomLine(std::mt19937& random)
{
    static const char* kWords[] = {"error", "Error", "ERRORS", "warn", "pay", "id=42", "x", "errorless", "a-b"};
    std::string line;
    const int words = static_cast<int>(random() % 6);
    for (int i = 0; i < words; ++i)
        line += std::string(i ? " " : "") + kWords[random() % 9];
    return line + "\n";
}

std::string RandomText(std::mt19937& random, int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += RandomLine(random);
    return text;
}

// The filter by the plain rules, as a standard expression.
std::regex Pattern(const FilterOptions& filter)
{
    std::string pattern = filter.useRegEx
                              ? filter.text
                              : std::regex_replace(filter.text, std::regex(R"([.^$|()\[\]{}*+?\\-])"), R"(\$&)");
    if (filter.wholeWord)
        pattern = "\\b(?:" + pattern + ")\\b";
    auto flags = std::regex::ECMAScript;
    if (!filter.matchCase)
        flags |= std::regex::icase;
    return std::regex(pattern, flags);
}

// Whether a line (without its line end) holds the filter.
bool Matches(std::string line, const std::regex& pattern)
{
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    return std::regex_search(line, pattern);
}

class FilterRunTest : public DocumentFixture {
protected:
    std::vector<LineIndex> Expected(const FilterOptions& filter) const
    {
        const std::regex pattern = Pattern(filter);
        std::vector<LineIndex> lines;
        for (LineIndex i = 0; i < doc->Text().LineCount(); ++i)
            if (Matches(std::string(doc->Text().Line(i).Text()), pattern))
                lines.push_back(i);
        return lines;
    }
    static void RunToEnd(FilterRun& run, int budget = 1)
    {
        for (int steps = 0; run.Step(std::chrono::milliseconds(budget)); ++steps)
            ASSERT_LT(steps, 100000);
    }
};

const FilterOptions kFilters[] = {
    {"error", true, false, false, false, nullptr},        {"error", false, false, false, false, nullptr},
    {"err(or|ors) ", false, true, false, false, nullptr}, {"error", false, false, true, false, nullptr},
    {"id=4[0-9]", true, true, true, false, nullptr},      {"a-b", true, false, false, false, nullptr},
};

TEST_F(FilterRunTest, PartsOfAnySizeFindTheLinesALineByLineSearchFinds)
{
    std::mt19937 random(7);
    ASSERT_TRUE(OpenBytes(RandomText(random, 250000 / kSanitizerShare)));
    int budget = 1;
    for (const FilterOptions& filter : kFilters) {
        FilterRun run(*doc, filter);
        ASSERT_TRUE(run.Problem().empty()) << run.Problem();
        // Small parts, and parts large enough for both threads to take their halves.
        budget = budget == 1 ? 60 : 1;
        RunToEnd(run, budget);
        EXPECT_TRUE(run.Complete());
        EXPECT_TRUE(run.Lines() == Expected(filter))
            << filter.text << ": " << run.Lines().size() << " lines against " << Expected(filter).size();
    }
}

TEST_F(FilterRunTest, TheListFollowsEditsMadeWhileItIsFilledAndAfterwards)
{
    std::mt19937 random(11);
    ASSERT_TRUE(OpenBytes(RandomText(random, 20000)));
    for (const FilterOptions& filter : kFilters) {
        FilterRun run(*doc, filter);
        for (int round = 0; round < 40; ++round) {
            run.Step(std::chrono::milliseconds(round % 3 == 0 ? 0 : 1));
            TextStore& text = doc->Text();
            for (int edit = 0; edit < 20; ++edit) {
                const auto row = static_cast<LineIndex>(random() % static_cast<unsigned>(text.LineCount() - 1));
                switch (random() % 4) {
                case 0: text.InsertLine(row, LineRecord(RandomLine(random))); break;
                case 1: text.RemoveLine(row); break;
                case 2: text.ReplaceLine(row, LineRecord(RandomLine(random))); break;
                default: text.InsertLine(text.LineCount() - 1, LineRecord(RandomLine(random))); break;  // a follow
                }
            }
            if (round % 10 == 9) {
                RunToEnd(run);
                const std::vector<LineIndex> expected = Expected(filter);
                for (std::size_t i = 0; i < std::max(expected.size(), run.Lines().size()); ++i)
                    ASSERT_TRUE(i < expected.size() && i < run.Lines().size() && expected[i] == run.Lines()[i])
                        << filter.text << " round " << round << " at " << i << ": "
                        << (i < expected.size() ? expected[i] : -1) << " against "
                        << (i < run.Lines().size() ? run.Lines()[i] : -1) << " of " << doc->Text().LineCount() << " ["
                        << doc->Text().Line(expected[i]).Text() << "] hit " << run.FirstHit(expected[i]).has_value();
            }
        }
    }
}

TEST_F(FilterRunTest, ABadExpressionIsTheRunsProblemAndNoMessageBox)
{
    ASSERT_TRUE(OpenBytes("a\nb\n"));
    FilterRun run(*doc, FilterOptions{"err(or", false, true, false, false, nullptr});
    EXPECT_NE(run.Problem().find("Expression error"), std::string::npos);
    EXPECT_FALSE(run.Step(std::chrono::milliseconds(5)));
    EXPECT_TRUE(prompter.Texts().empty());
    EXPECT_TRUE(run.Lines().empty());
}

TEST_F(FilterRunTest, AFilterInAFieldFindsHitsThereOnlyAndStopsWhenTheFieldGoes)
{
    // Records: a type byte, then a field of four bytes from offset 1 for type "A".
    ASSERT_TRUE(OpenBytes("AERR.ERR\nA....ERR\nBERR....\nAxERRx..\n"));
    FieldDef& field = AddFieldOfTypeA("PART", 1, 4);
    StructureDescription& structure = doc->Structure();
    FilterRun run(*doc, FilterOptions{"ERR", true, false, false, false, &field});
    RunToEnd(run);
    EXPECT_EQ(run.Lines(), (std::vector<LineIndex>{0, 3}));
    structure.DeleteField(&field);
    doc->Text().ReplaceLine(1, LineRecord("AERR....\n"));
    EXPECT_FALSE(run.Step(std::chrono::milliseconds(5)));
    EXPECT_NE(run.Problem().find("no longer in the structure"), std::string::npos);
    EXPECT_FALSE(run.FirstHit(0));
}

TEST_F(FilterRunTest, TheFirstHitOfAListedLineIsShownWhereItIs)
{
    ASSERT_TRUE(OpenBytes("no\n\tthe Error here\n"));
    FilterRun run(*doc, FilterOptions{"error", false, false, false, false, nullptr});
    RunToEnd(run);
    ASSERT_EQ(run.Lines(), std::vector<LineIndex>{1});
    const auto hit = run.FirstHit(1);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->from, settings.tabSize + 4);  // display columns: the tab counts to its stop
    EXPECT_EQ(hit->to - hit->from, 5);
    EXPECT_FALSE(run.FirstHit(0));
}

}  // namespace
}  // namespace quill::test
