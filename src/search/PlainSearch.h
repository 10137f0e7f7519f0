// The plain search: the find text compared byte for byte as shown.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search/LineSearch.h"

namespace quill {

/// Bytes are compared as shown (through the conversion table), folded to upper case without
/// match case. Lines far from the cursor are scanned in runs as they lie in memory.
class PlainSearch : public LineSearch {
public:
    PlainSearch(Document& doc, const SearchQuery& query);
    ~PlainSearch() override;

    /// Counts the hits from a place to the end as repeated forward searches would (no field); none
    /// when that does not apply.
    std::optional<std::int64_t> CountLiteral(const TextPosition& from);
    /// The lines with a hit from a place on, found as CountLiteral finds them (see
    /// LineSearch::LinesBy for a search Escape stopped); none when that does not apply.
    std::optional<std::vector<LineIndex>> MatchingLines(const TextPosition& from);

private:
    void ScanForward() override;
    void ScanBackward() override;
    std::uint8_t Compared(std::uint8_t stored) const;
    /// A shown byte, or the find text, as compared: folded to upper case without match case.
    std::uint8_t Folded(std::uint8_t shown) const;
    std::string FoldedText(std::string text) const;
    /// Compared() for every byte value.
    const std::array<std::uint8_t, 256>& FoldTable() const;
    /// The scanner of a literal, kept while the literal and the comparison table stay.
    const LiteralScanner& ScannerFor(const std::string& wanted, const std::array<std::uint8_t, 256>& fold);
    /// take(part, line, hits) for the cursor's line (from the cursor, part 0, its hits up to
    /// `most`) and for every hit after it (or a line's first only, when `most` is 1), each part
    /// on its own thread in line order. False when it does not apply (no find text, a field).
    template <typename Take> bool LinesWithHits(const TextPosition& from, std::int64_t most, Take&& take);
    /// The first hit of a literal in the lines from `first` on.
    std::optional<LineHit> FirstHitInRuns(LineIndex first, const LiteralScanner& scanner, bool& shown);

    /// A search for the next hit goes this far alone before it shares the rest of the text.
    static constexpr std::ptrdiff_t kSerialBytes = 32 << 20;

    /// What the comparison table depends on: the case rule, the text's encoding and the table.
    struct FoldKey {
        bool matchCase;
        bool utf8;
        bool table;
        std::array<std::uint8_t, 256> display;
        bool operator==(const FoldKey&) const = default;
    };
    mutable std::optional<FoldKey> foldKey_;
    mutable std::array<std::uint8_t, 256> fold_{};
    mutable bool foldIsIdentity_ = true;  ///< every byte compared as it is
    std::unique_ptr<LiteralScanner> scanner_;
    std::string scannerText_;
    std::array<std::uint8_t, 256> scannerFold_{};
};

}  // namespace quill
