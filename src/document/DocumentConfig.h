// The layout values of one open text over the global settings.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace quill {

struct Settings;

/// The values that decide how one text is cut and shown.
enum class Layout : std::size_t { WordWrap, MaxLineLen, WrapAtBorder, ControlChars, TabSize, Overwrite, Count };

/// Who set a layout value for this text, the lowest first: the user; this file alone (its record
/// structure or its very long lines); binary mode. A level above the user's holds what it imposes
/// and what the user changed of that while it was in force; both end with it.
enum class LayoutLevel : std::size_t { User, File, Binary, Count };

/// Each value is taken from the highest level that holds it, else from the global settings. The
/// global settings are read and never written: what the user chose for this text goes there only
/// when the application keeps it as the next start's default.
class DocumentConfig {
public:
    explicit DocumentConfig(const Settings& parent) : parent_(parent) {}

    int Get(Layout key) const;
    bool On(Layout key) const { return Get(key) != 0; }
    /// Sets the value at the highest level in force that imposes it, else as the user's choice: a
    /// wrap width changed in binary mode ends with it, a tab size changed there stays.
    void Set(Layout key, int value);
    void Flip(Layout key) { Set(key, On(key) ? 0 : 1); }
    /// Drops a value from every level, so the global one counts again.
    void Forget(Layout key);

    /// Puts a level in force with the values it imposes (added to those it already holds).
    void Impose(LayoutLevel level, std::initializer_list<std::pair<Layout, int>> values);
    /// Ends a level: its values go, those below count again.
    void Lift(LayoutLevel level);
    bool InForce(LayoutLevel level) const { return inForce_[Index(level)]; }

    /// Writes the user's own choices for this text into the settings kept for the next start.
    void KeepUserChoicesIn(Settings& settings) const;

private:
    using Values = std::array<std::optional<int>, static_cast<std::size_t>(Layout::Count)>;
    static constexpr std::size_t Index(LayoutLevel level) { return static_cast<std::size_t>(level); }
    static constexpr std::size_t Index(Layout key) { return static_cast<std::size_t>(key); }
    /// The global setting that stands under a value; none for a value no setting keeps.
    static int Settings::*Field(Layout key);
    int ParentValue(Layout key) const;

    const Settings& parent_;
    std::array<Values, static_cast<std::size_t>(LayoutLevel::Count)> levels_{};
    std::array<bool, static_cast<std::size_t>(LayoutLevel::Count)> inForce_{true, false, false};
};

}  // namespace quill
