// What the Field dialog shows and does, without a window.
#pragma once

#include <string>

#include "structure/FieldDef.h"

namespace quill {

/// Edits one field. The texts are what the controls hold; Apply stores them in the field.
class FieldDialogModel {
public:
    static constexpr const char* kNameTip = "Fieldname will be displayed at the top of the column";
    static constexpr const char* kOffsetTip = "Offset in chars at which the field starts";
    static constexpr const char* kLengthTip = "Length of the field in chars";
    static constexpr const char* kRecordTypeTip =
        "If checked, the value of this field will control the record structure";
    static constexpr const char* kTypeValueTip = "Value of Record Type Field to use this field";
    static constexpr const char* kCommentTip = "Will be displayed at the status line";

    /// delimited: offsets and lengths are computed per record and are not edited.
    FieldDialogModel(FieldDef& field, bool delimited);

    std::string name, comment, typeValue, offset, length;
    bool isRecordType = false;

    bool OffsetAndLengthEnabled() const { return !delimited_; }
    bool TypeValueEnabled() const { return !isRecordType; }
    int Colour() const { return colour_; }
    /// The button of the current colour is the disabled one.
    bool ColourButtonEnabled(int index) const { return index != colour_; }
    void ChooseColour(int index);
    /// OK: stores every control into the field; numbers that are not numbers become 0.
    void Apply();

private:
    FieldDef& field_;
    bool delimited_;
    int colour_;
};

}  // namespace quill
