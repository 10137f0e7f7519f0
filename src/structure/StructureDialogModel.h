// What the Structure dialog shows and does, without a window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "structure/MaskListModel.h"

namespace quill {

class StructureDescription;
struct FieldDef;

/// Edits a whole description. Mask and field buttons change the description at once; OK stores
/// name, record length, field type and delimiter.
class StructureDialogModel {
public:
    static constexpr const char* kNameTip = "Name of the structure description";
    static constexpr const char* kRecordLengthTip = "If specified, a new line will be made every N chars.";
    static constexpr const char* kTypeTip =
        "Offset=Fields have fixed length and are on fixed offsets, Delimited=Fields have variable length and are "
        "delimited with a special char";
    static constexpr const char* kDelimiterTip = "Character which separates fields (\\t=Tab, \\x00=Any Hex value)";
    static constexpr const char* kMaskTip =
        "Use combinations of * in path, name and extension. For single substitutable character use ?.";
    static constexpr const char* kFieldsTip = "List of defined fields. Double click field to edit its properties.";

    using EditField = std::function<bool(FieldDef&)>;
    using Associate = MaskListModel::Associate;

    StructureDialogModel(StructureDescription& description, EditField editField, Associate associate);

    std::string name, recordLength, delimiter;
    int type = 0;         ///< 0 "Offset & Length", 1 "Delimiter"
    MaskListModel masks;  ///< the "Associate" group
    int selectedField = -1;

    bool DelimiterEnabled() const { return type == 1; }
    /// One line per field: type value, offset and name ("%s %04d %s").
    std::vector<std::string> FieldLines() const;

    void NewField();
    void EditSelectedField();
    void DeleteSelectedField();
    void FieldUp();
    void FieldDown();

    /// OK.
    void Apply();

private:
    bool ValidField() const;

    StructureDescription& description_;
    EditField editField_;
};

}  // namespace quill
