// What the Sort dialog offers: the fields to sort by, in order.
#pragma once

#include <string>
#include <vector>

namespace quill {

class StructureDescription;
struct FieldDef;

class SortDialogModel {
public:
    explicit SortDialogModel(StructureDescription& description);

    /// All fields, sorted by name.
    const std::vector<FieldDef*>& Available() const { return available_; }
    const std::vector<FieldDef*>& Order() const { return order_; }
    int selectedAvailable = 0;
    int selectedOrder = -1;

    /// ">" or a double click on an available field: appended, and the selection moves on.
    void AddSelected();
    /// "<" or a double click on a chosen field: removed.
    void RemoveSelected();
    void MoveUp();
    void MoveDown();

private:
    std::vector<FieldDef*> available_;
    std::vector<FieldDef*> order_;
};

}  // namespace quill
