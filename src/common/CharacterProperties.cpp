// Lookups in tables generated from the Unicode database (scripts/gen-unicode-tables.py).
#include "common/CharacterProperties.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>

#include "common/Utf8.h"

namespace quill {

namespace {

struct CodeRange {
    char32_t first;
    char32_t last;
};

struct CodeFold {
    char32_t from;
    char32_t to;
};

#include "common/UnicodeTables.inc"

template <std::size_t N> bool InRanges(const CodeRange (&ranges)[N], char32_t c)
{
    const auto it = std::upper_bound(std::begin(ranges), std::end(ranges), c,
                                     [](char32_t value, const CodeRange& range) { return value < range.first; });
    return it != std::begin(ranges) && c <= std::prev(it)->last;
}

}  // namespace

namespace {

int CellsByRanges(char32_t c)
{
    if (InRanges(kZeroWidth, c))
        return 0;
    return c >= 0x1100 && InRanges(kDoubleWidth, c) ? 2 : 1;
}

// The cells of the first two planes, where nearly every character of a text lies, looked up at
// once: loads and searches ask for every character of long texts.
constexpr char32_t kTabled = 0x20000;
const std::array<std::uint8_t, kTabled>& CellTable()
{
    static const auto table = [] {
        auto cells = std::make_unique<std::array<std::uint8_t, kTabled>>();
        for (char32_t c = 0; c < kTabled; ++c)
            (*cells)[c] = static_cast<std::uint8_t>(c < 0x300 ? 1 : CellsByRanges(c));
        return cells;
    }();
    return *table;
}

}  // namespace

bool MayBeginZeroWidth(unsigned char leadByte)
{
    static const auto leads = [] {
        std::array<bool, 256> may{};
        // The lead byte of a code point's UTF-8 form grows with the code point: a range's leads
        // are those from its first to its last character's.
        const auto lead = [](char32_t c) -> unsigned char {
            std::string bytes;
            AppendUtf8(bytes, c);
            return static_cast<unsigned char>(bytes[0]);
        };
        for (const CodeRange& range : kZeroWidth)
            for (unsigned b = lead(range.first); b <= lead(range.last); ++b)
                may[b] = true;
        return may;
    }();
    return leads[leadByte];
}

int CharacterCells(char32_t c)
{
    if (c < 0x300)  // everything before the combining marks takes one cell
        return 1;
    return c < kTabled ? CellTable()[c] : CellsByRanges(c);
}

bool IsWordCharacterBeyondAscii(char32_t c)
{
    // Blocks of punctuation and symbols; everything else counts as part of a word.
    static constexpr CodeRange kNotWord[] = {
        {0x80, 0xBF},     {0xD7, 0xD7},     {0xF7, 0xF7},     {0x2000, 0x2BFF}, {0x2E00, 0x2E7F},   {0x3000, 0x3003},
        {0x3008, 0x3020}, {0x3030, 0x3030}, {0xFE10, 0xFE1F}, {0xFE30, 0xFE6F}, {0xFEFF, 0xFEFF},   {0xFF00, 0xFF0F},
        {0xFF1A, 0xFF20}, {0xFF3B, 0xFF40}, {0xFF5B, 0xFF65}, {0xFFF0, 0xFFFF}, {0x1F000, 0x1FAFF},
    };
    return !InRanges(kNotWord, c) && CharacterCells(c) != 0;
}

char32_t FoldCase(char32_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    const auto it = std::lower_bound(std::begin(kFolds), std::end(kFolds), c,
                                     [](const CodeFold& fold, char32_t value) { return fold.from < value; });
    return it != std::end(kFolds) && it->from == c ? it->to : c;
}

}  // namespace quill
