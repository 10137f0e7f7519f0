// The Field dialog's logic.
#include "structure/FieldDialogModel.h"

#include "structure/ProfileFile.h"

namespace quill {

FieldDialogModel::FieldDialogModel(FieldDef& field, bool delimited)
    : name(field.name),
      comment(field.comment),
      typeValue(field.typeValue),
      offset(delimited ? std::string() : std::to_string(field.offset)),
      length(delimited ? std::string() : std::to_string(field.length)),
      isRecordType(field.isRecordType),
      field_(field),
      delimited_(delimited),
      colour_(field.color)
{
}

void FieldDialogModel::ChooseColour(int index)
{
    if (index >= 0 && index < 8)
        colour_ = index;
}

void FieldDialogModel::Apply()
{
    field_.name = name;
    field_.comment = comment;
    field_.typeValue = typeValue;
    field_.color = colour_;
    field_.isRecordType = isRecordType;
    field_.offset = ProfileFile::ParseInt32(offset);
    field_.length = ProfileFile::ParseInt32(length);
}

}  // namespace quill
