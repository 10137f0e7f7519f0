// One field of a structure description.
#pragma once

#include <cstdint>
#include <string>

namespace quill {

struct FieldDef {
    std::string name;       ///< always upper case; shown in the field ruler
    std::string comment;    ///< shown in the status line while the cursor is in the field
    std::string typeValue;  ///< the record-type content of the records this field belongs to
    std::int32_t offset = 0;
    std::int32_t length = 0;
    std::int32_t color = 4;  ///< index into the field palette
    bool isRecordType = false;
    /// Where the field's bytes lie in the delimited record split last; display columns and bytes
    /// differ where tabs are. Not stored in the description file.
    std::int64_t byteOffset = 0;
    std::int64_t byteLength = 0;
    /// Where the field's cells lie on the row of the record placed last: the characters whose
    /// first byte lies in the field's bytes. Not stored either.
    std::int64_t column = 0;
    std::int64_t width = 0;

    /// The column after the field; 64 bits, since offset and length come from files.
    std::int64_t End() const { return std::int64_t{offset} + length; }
    std::int64_t ColumnEnd() const { return column + width; }
};

/// The eight field colours as 0xRRGGBB, for index 0 to 7 ("COL01" to "COL08").
inline constexpr std::uint32_t kFieldPalette[8] = {0xC8FFFF, 0xFFC8C8, 0xC8FFC8, 0xFFC8FF,
                                                   0xFFFF96, 0xFFEBC6, 0xC8C8FF, 0xD5D5D5};

inline std::uint32_t FieldColour(std::int32_t index) { return kFieldPalette[static_cast<std::uint32_t>(index) % 8]; }

}  // namespace quill
