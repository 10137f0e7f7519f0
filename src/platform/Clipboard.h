// The desktop's clipboard, as the editor uses it: plain text and the editor's own block format.
#pragma once

#include <optional>
#include <string>

namespace quill {

class Clipboard {
public:
    virtual ~Clipboard() = default;

    /// Puts both formats at once: the private data (a block flag, the byte count in 4 bytes, the
    /// stored bytes) and the text in UTF-8. Without a text of its own (no conversion table) the
    /// text is the stored bytes of the private data, read as UTF-8 (ill-formed bytes become
    /// U+FFFD). False when the clipboard could not take them (the copy is then dropped silently).
    virtual bool Put(std::string privateData, std::optional<std::string> shownText) = 0;
    /// The private data put by this or another running instance, when the clipboard holds it.
    virtual std::optional<std::string> PrivateData() = 0;
    /// The plain text in UTF-8.
    virtual std::optional<std::string> Text() = 0;
    /// The X11 primary selection, separate from the clipboard: the text selected last (UTF-8),
    /// which the middle button pastes. A desktop without one keeps nothing and gives none.
    virtual void PutPrimary(const std::string& text) { (void)text; }
    virtual std::optional<std::string> Primary() { return std::nullopt; }
};

}  // namespace quill
