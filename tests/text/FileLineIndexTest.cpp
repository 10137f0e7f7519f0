// File line numbers among display lines, against a plain count of line ends, under random edits.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "text/TextStore.h"

namespace quill::test {
namespace {

// The plain rule: a file line ends with each display line that ends with LF.
struct Model {
    std::vector<std::string> rows;

    /// The file line of every display line, and one more entry for the end.
    std::vector<LineIndex> Numbers() const
    {
        std::vector<LineIndex> numbers{0};
        for (const std::string& row : rows)
            numbers.push_back(numbers.back() + (!row.empty() && row.back() == '\n'));
        return numbers;
    }
};

std::string RandomRow(std::mt19937& random)
{
    // Wrapped pieces, whole lines and empty ones, in about equal shares.
    switch (random() % 4) {
    case 0: return "piece";
    case 1: return "line\n";
    case 2: return "\n";
    default: return "";
    }
}

void ExpectSame(const TextStore& store, const Model& model, std::mt19937& random)
{
    const FileLineIndex& index = store.FileLines(kLF);
    ASSERT_EQ(store.LineCount(), static_cast<LineIndex>(model.rows.size()));
    const LineIndex rows = store.LineCount();
    const std::vector<LineIndex> numbers = model.Numbers();
    ASSERT_EQ(index.FileLineCount(), rows == 0 ? 0 : numbers[model.rows.size() - 1] + 1);
    for (int probe = 0; probe < 8 && rows > 0; ++probe) {
        const auto row = static_cast<std::size_t>(random() % static_cast<std::uint32_t>(rows));
        const LineIndex line = numbers[row];
        ASSERT_EQ(index.FileLineOf(static_cast<LineIndex>(row)), line) << "row " << row;
        const auto first = std::find(numbers.begin(), numbers.end(), line) - numbers.begin();
        ASSERT_EQ(index.FirstRowOf(line), first) << "line " << line;
        ASSERT_EQ(index.Continues(static_cast<LineIndex>(row)), row > 0 && numbers[row - 1] == line);
    }
}

TEST(FileLineIndexTest, RandomEditsKeepTheCountsOfAPlainScan)
{
    std::mt19937 random(7);
    for (int round = 0; round < 6; ++round) {
        TextStore store;
        Model model;
        // Enough rows for many chunks; one round starts counting before the rows come.
        const int initial = round == 0 ? 0 : 3000 + round * 700;
        if (round == 1)
            (void)store.FileLines(kLF);
        for (int i = 0; i < initial; ++i) {
            model.rows.push_back(RandomRow(random));
            store.AppendLine(LineRecord(model.rows.back()));
        }
        ExpectSame(store, model, random);
        for (int step = 0; step < 3000; ++step) {
            const std::size_t size = model.rows.size();
            const auto at = static_cast<std::size_t>(random() % (size + 1));
            const int what = static_cast<int>(random() % 10);
            if (what < 4 || size == 0) {
                // Runs of insertions at one place split a chunk.
                const std::string row = RandomRow(random);
                store.InsertLine(static_cast<LineIndex>(at), LineRecord(row));
                model.rows.insert(model.rows.begin() + static_cast<std::ptrdiff_t>(at), row);
            } else if (what < 7 && at < size) {
                store.RemoveLine(static_cast<LineIndex>(at));
                model.rows.erase(model.rows.begin() + static_cast<std::ptrdiff_t>(at));
            } else if (what < 9 && at < size) {
                const std::string row = RandomRow(random);
                store.ReplaceLine(static_cast<LineIndex>(at), LineRecord(row));
                model.rows[at] = row;
            } else if (at < size && model.rows[at].size() >= 2) {
                store.ShortenLineEnd(static_cast<LineIndex>(at), 2, 'x');
                std::string& row = model.rows[at];
                row.replace(row.size() - 2, 2, "x");
            }
            if (step % 50 == 0)
                ExpectSame(store, model, random);
        }
        ExpectSame(store, model, random);
    }
}

TEST(FileLineIndexTest, ManyInsertionsAtOnePlaceAndABlockRemovedWhole)
{
    TextStore store;
    Model model;
    for (int i = 0; i < 5000; ++i) {
        model.rows.push_back(i % 3 ? "a\n" : "wrapped");
        store.AppendLine(LineRecord(model.rows.back()));
    }
    std::mt19937 random(3);
    ExpectSame(store, model, random);
    for (int i = 0; i < 6000; ++i) {  // one chunk grows past twice its size, again and again
        const std::string row = i % 3 ? "b\n" : "w";
        store.InsertLine(2500, LineRecord(row));
        model.rows.insert(model.rows.begin() + 2500, row);
        if (i % 500 == 0)
            ExpectSame(store, model, random);
    }
    for (int i = 0; i < 9000; ++i) {  // whole chunks empty out
        store.RemoveLine(1000);
        model.rows.erase(model.rows.begin() + 1000);
    }
    ExpectSame(store, model, random);
    std::vector<LineIndex> order;
    for (LineIndex i = store.LineCount() - 1; i >= 0; --i)
        order.push_back(i);
    store.Reorder(order);
    std::reverse(model.rows.begin(), model.rows.end());
    ExpectSame(store, model, random);
}

TEST(FileLineIndexTest, BurstsOfLinesAppendedAsALoadReadsOnAreFollowed)
{
    // As a background load steps: the last lines are taken off and read again with many more,
    // far more at once than a burst of edits that is counted again instead of followed.
    std::mt19937 random(11);
    TextStore store;
    Model model;
    for (int step = 0; step < 6; ++step) {
        for (int i = 0; i < 2 && !model.rows.empty(); ++i) {
            store.RemoveLine(store.LineCount() - 1);
            model.rows.pop_back();
        }
        for (int i = 0; i < 20000; ++i) {
            model.rows.push_back(RandomRow(random));
            store.AppendLine(LineRecord(model.rows.back()));
        }
        ExpectSame(store, model, random);
    }
}

TEST(FileLineIndexTest, WithoutALineEndEveryDisplayLineIsALine)
{
    TextStore store;
    for (const char* row : {"abc", "def\n", "gh", ""})
        store.AppendLine(LineRecord(std::string(row)));
    const FileLineIndex& records = store.FileLines(std::nullopt);
    EXPECT_EQ(records.FileLineCount(), 4);
    EXPECT_EQ(records.FileLineOf(2), 2);
    EXPECT_EQ(records.FirstRowOf(3), 3);
    EXPECT_FALSE(records.Continues(1));
    const FileLineIndex& lines = store.FileLines(kLF);
    EXPECT_EQ(lines.FileLineCount(), 2);
    EXPECT_EQ(lines.FileLineOf(2), 1);
    EXPECT_EQ(lines.FirstRowOf(1), 2);
    EXPECT_EQ(lines.FirstRowOf(9), 3);  // beyond the text: its last display line
    EXPECT_TRUE(lines.Continues(1));
    EXPECT_TRUE(lines.Continues(3));
}

}  // namespace
}  // namespace quill::test
