// The byte conversion between a file's code page and the displayed characters.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "document/TextLoader.h"

namespace quill {

/// The document's one conversion table. Until tables can be loaded it is always the built-in
/// empty table "<ANSI>": both directions are the identity.
class ConversionTable {
public:
    ConversionTable() { Reset(); }

    void Reset();
    bool IsActive() const { return active_; }
    const std::string& Name() const { return name_; }

    std::uint8_t ToDisplay(std::uint8_t stored) const { return display_[stored]; }
    std::uint8_t FromDisplay(std::uint8_t shown) const { return input_[shown]; }

    // The stored bytes that this table shows as the format characters.
    std::uint8_t CR() const { return StoredFor(13); }
    std::uint8_t LF() const { return StoredFor(10); }
    std::uint8_t FF() const { return StoredFor(12); }
    std::uint8_t Tab() const { return StoredFor(9); }
    std::uint8_t Blank() const { return StoredFor(32); }

    /// Picks, among no table and the table files of the data folder, the one under which the fewest
    /// bytes of the histogram are undisplayable, and returns that count. No table files are read
    /// yet, so the choice is always no table.
    std::uint64_t AutoSelect(const ByteHistogram& histogram, const std::string& dataFolder);

    /// Bytes of the histogram whose displayed character is not an ordinary one under this table.
    std::uint64_t CountUndisplayable(const ByteHistogram& histogram) const;
    /// Whether a displayed character counts as ordinary text for the automatic choice.
    static bool IsOrdinaryDisplayCode(std::uint8_t shown);

private:
    std::uint8_t StoredFor(std::uint8_t shown) const { return input_[shown]; }

    std::array<std::uint8_t, 256> display_{};
    std::array<std::uint8_t, 256> input_{};
    std::string name_;
    bool active_ = false;
};

}  // namespace quill
