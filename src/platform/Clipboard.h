// The desktop's clipboard, as the editor uses it: plain text and the editor's own block format.
#pragma once

#include <optional>
#include <string>

namespace quill {

class Clipboard {
public:
    virtual ~Clipboard() = default;

    /// Puts both formats at once: text as code page 1252 display bytes, and the private data.
    /// False when the clipboard could not take them (the copy is then dropped silently).
    virtual bool Put(const std::string& text, const std::string& privateData) = 0;
    /// The private data put by this or another running instance, when the clipboard holds it.
    virtual std::optional<std::string> PrivateData() = 0;
    /// The plain text as code page 1252 bytes (characters it cannot hold become "?").
    virtual std::optional<std::string> Text() = 0;
};

}  // namespace quill
