// The desktop clipboard through Qt.
#pragma once

#include "platform/Clipboard.h"

namespace quill {

/// Plain text goes to the clipboard as Unicode (code page 1252 converted at the border, NUL bytes
/// left out, since the desktop's text cannot carry them); the block format as the MIME type
/// "application/x-quillarium-block", which other running instances read back.
class QtClipboard : public Clipboard {
public:
    static constexpr const char* kBlockMimeType = "application/x-quillarium-block";

    bool Put(std::string privateData, std::optional<std::string> shownText) override;
    std::optional<std::string> PrivateData() override;
    std::optional<std::string> Text() override;
    void PutPrimary(const std::string& text) override;
    std::optional<std::string> Primary() override;
};

}  // namespace quill
