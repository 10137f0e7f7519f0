// The byte conversion between a file's code page and the displayed characters.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "text/TextLoader.h"

namespace quill {

class Prompter;

/// Maps each of the 256 file bytes to the byte shown for it (display table) and back (input
/// table). Stored as QVXData/<Name>.tec, one entry "{file byte}={shown byte}" per line. "<ANSI>" is
/// the built-in empty table: no conversion.
class ConversionTable {
public:
    ConversionTable() { Reset(); }

    void Reset();
    /// Reads a table file; false, changing nothing, when it cannot be opened.
    bool Load(const std::string& path);
    /// Both tables from the entries; inactive without entries.
    void Rebuild();
    /// Writes QVXData/<Name>.tec; a name beginning with "<" only switches the table off.
    bool Save(const std::string& dataFolder, Prompter& prompter);
    /// Loads the table last loaded from a file again (when binary mode ends).
    void Restore();
    /// Forgets the loaded file, so Restore brings nothing back.
    void ForgetLoadedPath() { loadedPath_.clear(); }

    bool IsActive() const { return active_; }
    void SetActive(bool active) { active_ = active; }
    const std::string& Name() const { return name_; }
    /// What the status line says: the table's name, or "UTF-8" when none is active (text without a
    /// table is UTF-8).
    std::string StatusName() const { return active_ ? name_ : std::string("UTF-8"); }
    void SetName(std::string name) { name_ = std::move(name); }
    std::vector<std::string>& Entries() { return entries_; }
    const std::string& LoadedPath() const { return loadedPath_; }

    /// The shown byte of a file byte, and the file byte of a shown one (an entry 0 converts nothing).
    std::uint8_t ToDisplay(std::uint8_t stored) const
    {
        return active_ && display_[stored] ? display_[stored] : stored;
    }
    std::uint8_t FromDisplay(std::uint8_t shown) const { return active_ && input_[shown] ? input_[shown] : shown; }
    /// The same for whole texts.
    std::string ToDisplay(std::string bytes) const;
    std::string FromDisplay(std::string bytes) const;
    /// UTF-8 text (typed, pasted) as the code page 1252 codes shown for it, as far as the table can
    /// store them; each character it cannot (none in the code page, or no byte of the table shows
    /// it) is collected once in `missing`, as UTF-8, and left out.
    std::string ShownFromUtf8(const std::string& text, std::string& missing) const;
    /// The raw display entry (0 when the table leaves the byte alone), as Convert uses it.
    std::uint8_t DisplayEntry(std::uint8_t stored) const { return display_[stored]; }
    const std::array<std::uint8_t, 256>& DisplayEntries() const { return display_; }

    // The file bytes shown as the format characters (TAB is published to every column computation).
    std::uint8_t CR() const { return FromDisplay(13); }
    std::uint8_t LF() const { return FromDisplay(10); }
    std::uint8_t FF() const { return FromDisplay(12); }
    std::uint8_t Tab() const { return FromDisplay(9); }
    std::uint8_t Blank() const { return FromDisplay(32); }

    /// Takes a copy of the input table before a change of table.
    void RememberLineBreaks() { previousInput_ = EffectiveInput(); }
    /// Whether the bytes shown as LF or FF differ from the copy.
    bool LineBreaksChanged() const;

    /// Picks, among no table and the table files of the data folder, the one under which the fewest
    /// bytes of the histogram are unusual; loads it and returns that count.
    std::uint64_t AutoSelect(const ByteHistogram& histogram, const std::string& dataFolder);
    /// Bytes of the histogram whose shown byte is unusual under this table.
    std::uint64_t CountUndisplayable(const ByteHistogram& histogram) const;
    /// Digits and letters, CR and LF, German umlauts and a few punctuation marks are usual.
    static bool IsOrdinaryDisplayCode(std::uint8_t shown);
    /// One entry line: the file byte and the shown byte; false for a line to ignore.
    static bool ParseEntry(const std::string& line, std::uint8_t& stored, std::uint8_t& shown);

private:
    std::array<std::uint8_t, 256> EffectiveInput() const;

    std::array<std::uint8_t, 256> display_{};
    std::array<std::uint8_t, 256> input_{};
    std::array<std::uint8_t, 256> previousInput_{};
    std::vector<std::string> entries_;
    std::string name_;
    std::string loadedPath_;
    bool active_ = false;
};

}  // namespace quill
