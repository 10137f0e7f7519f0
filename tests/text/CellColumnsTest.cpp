// The one column model: tabs, UTF-8 characters of one and two cells, combining marks and bytes
// that are no character, checked against a plain model of cells.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/CellColumns.h"
#include "text/DisplayRules.h"

namespace quill {
namespace {

DisplayRules Utf8Rules()
{
    DisplayRules rules;
    rules.utf8 = true;
    return rules;
}

TEST(CellColumnsTest, TabsCoverTheColumnsUpToTheNextStop)
{
    const DisplayRules rules;  // tab size 3
    const LineView line(std::string_view("a\tbc"));
    // a at 0, the tab covers 1-2, b at 3, c at 4.
    const std::uint32_t expected[] = {0, 1, 1, 2, 3};
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(ColumnToIndex(line, column, rules), expected[column]) << column;
    EXPECT_EQ(ColumnToIndex(line, 99, rules), 4u);
    EXPECT_EQ(IndexToColumn(line, 2, rules), 3);
    // A tab standing on a stop still moves a whole tab size; another byte may play the tab.
    EXPECT_EQ(ColumnToIndex(LineView(std::string_view("\tx")), 3, rules), 1u);
    DisplayRules five = rules;
    five.tabSize = 4;
    five.tab = 5;
    EXPECT_EQ(ColumnToIndex(LineView(std::string_view("a\x05z")), 2, five), 1u);
    // With format codes ignored every byte is a column.
    DisplayRules ignoring = rules;
    ignoring.ignoreFormatCodes = true;
    EXPECT_EQ(ColumnToIndex(line, 2, ignoring), 2u);
    EXPECT_EQ(DisplayWidth(line, ignoring), 4);
}

TEST(CellColumnsTest, Utf8CharactersTakeOneOrTwoCellsAndMarksJoinTheCharacterBefore)
{
    const DisplayRules rules = Utf8Rules();
    // J ö r g: "ö" is two bytes and one cell.
    const LineView jorg(std::string_view("J\xC3\xB6rg\n"));
    EXPECT_EQ(DisplayWidth(jorg, rules), 4);
    EXPECT_EQ(ColumnToIndex(jorg, 2, rules), 3u);
    EXPECT_EQ(IndexToColumn(jorg, 3, rules), 2);
    EXPECT_EQ(IndexToColumn(jorg, 2, rules), 1);  // inside "ö": where it starts
    // 日本 are two cells each; a click on the right half lands on the character's start.
    const LineView cjk(std::string_view("\xE6\x97\xA5\xE6\x9C\xAC!"));
    EXPECT_EQ(DisplayWidth(cjk, rules), 5);
    EXPECT_EQ(ColumnToIndex(cjk, 1, rules), 0u);
    EXPECT_EQ(ColumnToIndex(cjk, 3, rules), 3u);
    EXPECT_EQ(ColumnToIndex(cjk, 4, rules), 6u);
    // An emoji is two cells; e + combining acute is one.
    EXPECT_EQ(DisplayWidth(LineView(std::string_view("\xF0\x9F\x98\x80x")), rules), 3);
    const LineView accent(std::string_view("e\xCC\x81x"));
    EXPECT_EQ(DisplayWidth(accent, rules), 2);
    EXPECT_EQ(ColumnToIndex(accent, 1, rules), 3u);
    EXPECT_EQ(UnitStart(accent, 2, rules), 0u);
    // Without UTF-8 (a table is active) every byte is its own column.
    EXPECT_EQ(DisplayWidth(jorg, DisplayRules{}), 5);
}

TEST(CellColumnsTest, IllFormedBytesAndByteOrderMark)
{
    const DisplayRules rules = Utf8Rules();
    // A lone lead byte, a stray continuation, an overlong form and a C1 control: one cell per byte.
    const LineView bad(std::string_view("\xC3"
                                        "a\x80\xC0\xAF\xC2\x85"));
    EXPECT_EQ(DisplayWidth(bad, rules), 7);
    // A byte-order mark at the start takes no cell: column 0 is the first character after it.
    const LineView bom(std::string_view("\xEF\xBB\xBFkey=1"));
    EXPECT_EQ(DisplayWidth(bom, rules), 5);
    EXPECT_EQ(ColumnToIndex(bom, 0, rules), 3u);
    EXPECT_EQ(IndexToColumn(bom, 3, rules), 0);
}

// The plain model: a list of (first byte, length, cells) per character, written from the rules
// of the display without sharing code with it.
struct ModelUnit {
    std::uint32_t byte, length;
    int cells;
};

std::vector<ModelUnit> Model(const std::string& s)
{
    std::vector<ModelUnit> units;
    for (std::uint32_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::uint32_t n = b < 0x80 ? 1 : (b >= 0xC2 && b <= 0xDF) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3 : 0;
        for (std::uint32_t k = 1; k < n; ++k)
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                n = 0;
        // The pieces the random texts are made of: no overlong or surrogate forms, no C1 controls.
        if (n == 2 && b == 0xC2 && static_cast<unsigned char>(s[i + 1]) < 0xA0)
            n = 0;
        if (n == 0) {
            units.push_back({i, 1, 1});
            ++i;
            continue;
        }
        const bool mark = n == 2 && b == 0xCC;  // U+0300 to U+033F
        const bool wide = n == 3 && b == 0xE6;  // CJK ideographs
        if (mark && !units.empty() && units.back().cells > 0 && units.back().byte + units.back().length == i &&
            !(units.back().length == 1 && static_cast<unsigned char>(s[units.back().byte]) >= 0x80)) {
            units.back().length += n;
        } else {
            units.push_back({i, n, wide ? 2 : 1});
        }
        i += n;
    }
    return units;
}

TEST(CellColumnsTest, RandomMixedTextsAgreeWithAPlainModelOfCells)
{
    const char* const pieces[] = {"a",        "Z",    " ",    "\xC3\xB6", "\xCE\xA9", "\xE6\x97\xA5",
                                  "\xCC\x81", "\xC3", "\x80", "\xE6\x97", "\xC2\x85", "\xD0\x96"};
    std::mt19937 random(19);
    const DisplayRules rules = Utf8Rules();
    for (int round = 0; round < 3000; ++round) {
        std::string s;
        const int count = static_cast<int>(random() % 12);
        for (int k = 0; k < count; ++k)
            s += pieces[random() % std::size(pieces)];
        const LineView line(s);
        const std::vector<ModelUnit> units = Model(s);
        const CellColumns columns(line, rules);
        std::int64_t column = 0;
        for (const ModelUnit& unit : units) {
            for (int c = 0; c < unit.cells; ++c)
                ASSERT_EQ(ColumnToIndex(line, column + c, rules), unit.byte) << testing::PrintToString(s);
            for (std::uint32_t k = 0; k < unit.length; ++k) {
                ASSERT_EQ(IndexToColumn(line, unit.byte + k, rules), column) << testing::PrintToString(s);
                ASSERT_EQ(columns[unit.byte + k], column);
                ASSERT_EQ(columns.After(unit.byte + k), k == 0 ? column : column + unit.cells);
            }
            ASSERT_EQ(columns.IndexAt(column, line.Length()), unit.byte);
            column += unit.cells;
        }
        ASSERT_EQ(DisplayWidth(line, rules), column) << testing::PrintToString(s);
        ASSERT_EQ(ColumnToIndex(line, column, rules), line.Length());
    }
}

TEST(CellColumnsTest, AnyBytesMapToCellsAndBackConsistently)
{
    // Random bytes of every kind, tabs and line ends among them: every column maps to a unit start
    // at or before it, every unit start maps back to itself, and the per-line table agrees.
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string s;
        const int length = static_cast<int>(random() % 24);
        for (int k = 0; k < length; ++k) {
            const int kind = static_cast<int>(random() % 4);
            s += static_cast<char>(kind == 0   ? "\t\r\nab"[random() % 5]
                                   : kind == 1 ? 0x80 + random() % 0x40
                                   : kind == 2 ? 0xC2 + random() % 0x33
                                               : random() % 256);
        }
        DisplayRules rules = Utf8Rules();
        rules.ignoreFormatCodes = round % 3 == 0;
        const LineView line(s);
        const std::int64_t width = IndexToColumn(line, line.Length(), rules);
        const CellColumns columns(line, rules);
        for (std::int64_t c = 0; c <= width; ++c) {
            const std::uint32_t i = ColumnToIndex(line, c, rules);
            ASSERT_LE(IndexToColumn(line, i, rules), c) << testing::PrintToString(s);
            ASSERT_EQ(UnitStart(line, i, rules), i);
            ASSERT_EQ(columns.IndexAt(IndexToColumn(line, i, rules), line.Length()), i) << testing::PrintToString(s);
        }
        for (std::uint32_t i = 0; i <= line.Length(); ++i) {
            ASSERT_EQ(columns[i], IndexToColumn(line, i, rules)) << testing::PrintToString(s);
            ASSERT_GE(columns.After(i), columns[i]);
        }
    }
}

}  // namespace
}  // namespace quill
