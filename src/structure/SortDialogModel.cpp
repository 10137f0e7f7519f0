// The Sort dialog's logic.
#include "structure/SortDialogModel.h"

#include <algorithm>

#include "common/ListMove.h"
#include "structure/StructureDescription.h"

namespace quill {

SortDialogModel::SortDialogModel(StructureDescription& description)
{
    for (std::size_t i = 0; i < description.FieldCount(); ++i)
        available_.push_back(&description.Field(i));
    std::stable_sort(available_.begin(), available_.end(),
                     [](const FieldDef* a, const FieldDef* b) { return a->name < b->name; });
}

void SortDialogModel::AddSelected()
{
    if (selectedAvailable < 0 || selectedAvailable >= static_cast<int>(available_.size()))
        return;
    order_.push_back(available_[static_cast<std::size_t>(selectedAvailable)]);
    if (selectedAvailable + 1 < static_cast<int>(available_.size()))
        ++selectedAvailable;
}

void SortDialogModel::RemoveSelected()
{
    if (selectedOrder < 0 || selectedOrder >= static_cast<int>(order_.size()))
        return;
    order_.erase(order_.begin() + selectedOrder);
    selectedOrder = std::min(selectedOrder, static_cast<int>(order_.size()) - 1);
}

void SortDialogModel::MoveUp()
{
    MoveSelected(selectedOrder, order_.size(), -1,
                 [this](std::size_t i, std::size_t j) { std::swap(order_[i], order_[j]); });
}

void SortDialogModel::MoveDown()
{
    MoveSelected(selectedOrder, order_.size(), +1,
                 [this](std::size_t i, std::size_t j) { std::swap(order_[i], order_[j]); });
}

}  // namespace quill
