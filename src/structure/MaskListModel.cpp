// The mask list buttons.
#include "structure/MaskListModel.h"

namespace quill {

void MaskListModel::SelectMask(int index)
{
    selectedMask = index;
    if (Valid())
        maskText = masks_[static_cast<std::size_t>(index)];
}

void MaskListModel::NewMask()
{
    if (!maskText.empty())
        masks_.push_back(maskText);
    maskText.clear();
}

void MaskListModel::ModifyMask()
{
    if (Valid())
        masks_[static_cast<std::size_t>(selectedMask)] = maskText;
    maskText.clear();
}

void MaskListModel::DeleteMask()
{
    if (Valid())
        masks_.erase(masks_.begin() + selectedMask);
    selectedMask = -1;
    maskText.clear();
}

void MaskListModel::ThisMask()
{
    if (auto mask = associate_ ? associate_() : std::nullopt)
        masks_.push_back(*mask);
    maskText.clear();
}

}  // namespace quill
