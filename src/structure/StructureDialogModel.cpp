// The Structure dialog's logic.
#include "structure/StructureDialogModel.h"

#include <memory>

#include "common/Format.h"
#include "common/ListMove.h"
#include "structure/ProfileFile.h"
#include "structure/StructureDescription.h"

namespace quill {

StructureDialogModel::StructureDialogModel(StructureDescription& description, EditField editField, Associate associate)
    : name(description.Name()),
      recordLength(std::to_string(description.RecordLength())),
      delimiter(description.Delimiter()),
      type(description.FieldType()),
      masks(description.Masks(), std::move(associate)),
      description_(description),
      editField_(std::move(editField))
{
}

std::vector<std::string> StructureDialogModel::FieldLines() const
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < description_.FieldCount(); ++i) {
        const FieldDef& field = description_.Field(i);
        lines.push_back(Format("%s %04d %s", field.typeValue.c_str(), field.offset, field.name.c_str()));
    }
    return lines;
}

bool StructureDialogModel::ValidField() const
{
    return selectedField >= 0 && selectedField < static_cast<int>(description_.FieldCount());
}

void StructureDialogModel::NewField()
{
    auto field = std::make_unique<FieldDef>();
    if (editField_ && editField_(*field)) {
        description_.AddField(std::move(field));
        selectedField = static_cast<int>(description_.FieldCount()) - 1;
    }
}

void StructureDialogModel::EditSelectedField()
{
    if (ValidField() && editField_)
        editField_(description_.Field(static_cast<std::size_t>(selectedField)));
}

void StructureDialogModel::DeleteSelectedField()
{
    if (!ValidField())
        return;
    description_.DeleteField(&description_.Field(static_cast<std::size_t>(selectedField)));
    selectedField = -1;
}

void StructureDialogModel::FieldUp()
{
    MoveSelected(selectedField, description_.FieldCount(), -1,
                 [this](std::size_t i, std::size_t j) { description_.SwapFields(i, j); });
}

void StructureDialogModel::FieldDown()
{
    MoveSelected(selectedField, description_.FieldCount(), +1,
                 [this](std::size_t i, std::size_t j) { description_.SwapFields(i, j); });
}

void StructureDialogModel::Apply()
{
    description_.SetName(name);
    description_.SetRecordLength(static_cast<int>(ProfileFile::ParseInt(recordLength)));
    description_.SetDelimiter(delimiter);
    description_.SetFieldType(type == 1 ? 1 : 0);
}

}  // namespace quill
