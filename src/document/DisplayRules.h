// How bytes of a line map to display columns under the document's current modes.
#pragma once

#include <cstdint>

#include "document/LineView.h"
#include "document/TextTypes.h"

namespace quill {

/// The modes and special bytes that column arithmetic depends on. The special bytes are the
/// stored codes that the active conversion table shows as CR, LF, FF and TAB.
struct DisplayRules {
    int tabSize = 3;
    bool ignoreFormatCodes = false;
    bool binaryMode = false;
    TerminatorKind terminator = TerminatorKind::CRLF;
    std::uint8_t cr = kCR;
    std::uint8_t lf = kLF;
    std::uint8_t ff = kFF;
    std::uint8_t tab = kTab;
};

/// Columns of a line up to its terminator (the first LF, FF, or CR LF in CR LF mode); with ignored
/// format codes the byte count. Tabs move to the next stop unless in binary mode.
std::int64_t DisplayWidth(LineView line, const DisplayRules& rules);

/// Number of bytes before the terminator, by the same rule as DisplayWidth.
std::uint32_t ContentLength(LineView line, const DisplayRules& rules);

}  // namespace quill
