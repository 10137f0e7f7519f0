// The small dialog that asks for one value.
#pragma once

#include <optional>
#include <string>

namespace quill {

class EntryDialog {
public:
    virtual ~EntryDialog() = default;

    /// Asks for a value under a label ("Length", "Characters"), proposing a text; empty when
    /// cancelled. The text is code page 1252 bytes.
    virtual std::optional<std::string> AskValue(const std::string& label, const std::string& proposal) = 0;
};

/// The decimal number at the start of a text, as "%d" reads it; 0 for an empty text, none when
/// the text does not begin with a number.
std::optional<long long> ParseDecimal(const std::string& text);

}  // namespace quill
