// Colours the bytes of display lines by the items of a syntax description, carrying items that
// stay open (comments, strings) from one line to the next.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "text/LineView.h"

namespace quill {

class SyntaxDescription;
struct SyntaxItem;

class ColouringEngine {
public:
    static constexpr int kOpenSlots = 7;

    /// A stretch of bytes coloured by one item (0: not coloured).
    struct Run {
        std::uint32_t start = 0;
        std::uint32_t length = 0;
        int item = 0;
    };

    explicit ColouringEngine(const SyntaxDescription& description) : description_(description) { ResetOpenItems(); }

    /// Forgets every open item; the view does this before each paint.
    void ResetOpenItems();
    /// Colours one line. State-only mode (full false) skips keywords and line-start items, which
    /// never open an item, for the lines above the window.
    void ColourLine(LineView line, bool full);
    /// The next run of the line coloured last; false after the last one.
    bool NextRun(Run& run);
    /// The item colour of a run as 0xRRGGBB; -1 for uncoloured runs (the window-text colour).
    std::int64_t RunColour(const Run& run) const;

    int ItemOfByte(std::uint32_t i) const { return itemOfByte_[i]; }
    const std::array<int, kOpenSlots>& OpenItems() const { return openItems_; }
    void SetOpenItems(const std::array<int, kOpenSlots>& items) { openItems_ = items; }

private:
    long Find(std::size_t from, std::string_view pattern, bool ignoreCase, std::string_view escapes) const;
    bool Writable(std::uint32_t j, const SyntaxItem& item, bool checkSub) const;
    void Apply(std::uint32_t j, int item, bool release, int keepSlot = -1);
    void Continue(const SyntaxItem& item, int number);
    void WholeLine(const SyntaxItem& item, int number);
    void Keywords(const SyntaxItem& item, int number);
    void LineEnd(const SyntaxItem& item, int number);
    void LineStart(const SyntaxItem& item, int number);
    void Delimited(const SyntaxItem& item, int number);
    bool Excepted(const SyntaxItem& item, std::uint32_t j) const;

    const SyntaxDescription& description_;
    const char* line_ = nullptr;
    std::uint32_t n_ = 0;
    std::vector<std::uint8_t> itemOfByte_;
    std::vector<std::uint8_t> rootMark_;
    std::array<int, kOpenSlots> openItems_{};
    std::array<long, kOpenSlots> openStart_{};
    std::uint32_t runPosition_ = 0;
};

}  // namespace quill
