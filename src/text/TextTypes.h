// Distinct names for the quantities the text store deals in.
#pragma once

#include <cstdint>

namespace quill {

using LineIndex = std::int64_t;   ///< 0-based index of a display line
using ByteOffset = std::int64_t;  ///< offset of a byte in the file
using Column = std::int32_t;      ///< 0-based display column

enum class TerminatorKind { CRLF = 1, LF = 2 };

inline constexpr std::uint8_t kLF = 10;
inline constexpr std::uint8_t kCR = 13;
inline constexpr std::uint8_t kFF = 12;
inline constexpr std::uint8_t kTab = 9;
inline constexpr std::uint8_t kBlank = 32;

/// The next tab stop after column c; a tab standing on a stop still moves a full tab size.
inline constexpr std::int64_t NextTabStop(std::int64_t column, int tabSize)
{
    return tabSize * ((column + tabSize) / tabSize);
}

/// How the document follows its file on disk: not at all, reloading it when it changes, or that
/// and staying at its end (Auto Reload & File End, -RELOAD).
enum class AutoReload { Off, Changes, ChangesAndEnd };

/// The panes of the status line, left to right: the message (the file, or the comment of the field
/// at the cursor), the cursor's line and column, the selection or the file size, the structure
/// description, the conversion table, the line ends, two kept free, and the overwrite indicator.
enum class StatusPane { Message = 1, Cursor, Selection, Structure, Table, LineEnds, Following, Free8, Overwrite };
inline constexpr int kStatusPaneCount = 9;

}  // namespace quill
