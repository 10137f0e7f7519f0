// Field spans of a row.
#include "view/FieldSpans.h"

#include "structure/StructureDescription.h"

namespace quill {

std::vector<FieldSpan> FieldSpansOf(StructureDescription& structure, LineView record, const DisplayRules& rules)
{
    std::vector<FieldSpan> spans;
    structure.BeginFields(record, rules);
    while (const FieldDef* field = structure.NextField())
        if (field->width > 0)
            spans.push_back({field->column, field->width, FieldColour(field->color), &field->name});
    return spans;
}

}  // namespace quill
