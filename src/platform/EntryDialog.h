// The small dialog that asks for one value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quill {

/// How a value of the entry dialog is read: "%d", "%x" or as it stands.
enum class EntryMode { Decimal, Hex, Text };

/// One row of the entry dialog ("Enter HEX Value"): its label (shown with a ":") and its text.
struct EntryValue {
    std::string label;
    EntryMode mode = EntryMode::Decimal;
    std::string text = "0";
};

class EntryDialog {
public:
    virtual ~EntryDialog() = default;

    /// The entry dialog with its values; an empty title is "first/second" or the first label.
    /// The texts come back as typed; false when cancelled.
    virtual bool AskValues(const std::string& title, std::vector<EntryValue>& values) = 0;

    /// Asks for a value under a label ("Length", "Characters"), proposing a text; empty when
    /// cancelled. The text is code page 1252 bytes.
    virtual std::optional<std::string> AskValue(const std::string& label, const std::string& proposal) = 0;
};

/// The decimal number at the start of a text, as "%d" reads it; 0 for an empty text, none when
/// the text does not begin with a number.
std::optional<long long> ParseDecimal(const std::string& text);

/// An entry as its mode reads it: an empty field is 0; none when the text is no number of its mode.
std::optional<std::int64_t> ReadEntry(const EntryValue& value);
/// The title of the entry dialog: "%s/%s" of the two labels, or the one label.
std::string EntryTitle(const std::vector<EntryValue>& values);

}  // namespace quill
