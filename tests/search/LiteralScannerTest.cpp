// The literal scanner against a plain search, over the vector loops and their ends.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "search/LiteralScanner.h"

namespace quill::test {
namespace {

// The first start from `from` on where every byte is accepted.
std::ptrdiff_t Plain(const std::string& text, std::size_t from, const std::vector<LiteralScanner::ByteSet>& accepted)
{
    for (std::size_t p = from; p + accepted.size() <= text.size(); ++p) {
        std::size_t k = 0;
        while (k < accepted.size() && accepted[k][static_cast<std::uint8_t>(text[p + k])])
            ++k;
        if (k == accepted.size())
            return static_cast<std::ptrdiff_t>(p);
    }
    return -1;
}

TEST(LiteralScannerTest, FindsWhatAPlainSearchFindsOnRandomTexts)
{
    std::mt19937 random(7);
    const std::string alphabet = "abAB\n\xE9\xC9x";
    for (int round = 0; round < 3000; ++round) {
        SCOPED_TRACE(round);
        std::string text;
        for (int k = 0, n = static_cast<int>(random() % 300); k < n; ++k)
            text += alphabet[random() % alphabet.size()];
        // Exact bytes, a few values per place (as folding gives), or so many that no vector
        // comparison applies.
        std::vector<LiteralScanner::ByteSet> accepted(1 + random() % 5, LiteralScanner::ByteSet{});
        const int kind = static_cast<int>(random() % 3);
        for (auto& set : accepted) {
            set[static_cast<std::uint8_t>(alphabet[random() % alphabet.size()])] = true;
            if (kind == 1)
                set[static_cast<std::uint8_t>(alphabet[random() % alphabet.size()])] = true;
            for (int b = 128; kind == 2 && b < 256; ++b)
                set[static_cast<std::size_t>(b)] = random() % 2;
        }
        const LiteralScanner scanner(accepted);
        // From several places, so that the vector loop starts and ends everywhere.
        for (std::size_t from = 0; from <= text.size(); from += 1 + random() % 40) {
            const char* found = scanner.Find(text.data() + from, text.data() + text.size());
            const std::ptrdiff_t at = found ? found - text.data() : -1;
            ASSERT_EQ(at, Plain(text, from, accepted)) << from;
        }
    }
}

TEST(LiteralScannerTest, ExactAndFoldedScanners)
{
    const std::string text = std::string(100, '-') + "Error ERROR error" + std::string(40, '-');
    EXPECT_EQ(LiteralScanner::Exact("ERROR").Find(text.data(), text.data() + text.size()) - text.data(), 106);
    std::array<std::uint8_t, 256> fold{};
    for (int b = 0; b < 256; ++b)
        fold[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b >= 'a' && b <= 'z' ? b - 32 : b);
    const LiteralScanner folded = LiteralScanner::Folded("ERROR", fold);
    EXPECT_EQ(folded.Find(text.data(), text.data() + text.size()) - text.data(), 100);
    EXPECT_EQ(folded.Find(text.data() + 101, text.data() + text.size()) - text.data(), 106);
    EXPECT_EQ(folded.Find(text.data() + 107, text.data() + text.size()) - text.data(), 112);
    EXPECT_EQ(folded.Find(text.data() + 113, text.data() + text.size()), nullptr);
    EXPECT_EQ(folded.Find(text.data() + 100, text.data() + 104), nullptr);  // cut by the end
}

}  // namespace
}  // namespace quill::test
