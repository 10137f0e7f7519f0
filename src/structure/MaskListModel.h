// The "Associate" part of the description dialogs: a list of file masks and its buttons.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quill {

class MaskListModel {
public:
    using Associate = std::function<std::optional<std::string>()>;

    MaskListModel(std::vector<std::string>& masks, Associate associate)
        : masks_(masks),
          associate_(std::move(associate))
    {
    }

    std::string maskText;  ///< the mask field
    int selectedMask = -1;

    const std::vector<std::string>& MaskLines() const { return masks_; }
    /// Selecting a mask copies it into the mask field.
    void SelectMask(int index);
    /// New appends the mask field when it is not empty; Modify replaces the selected mask; Delete
    /// removes it; This appends what the Associate dialog proposes for the document. Each empties
    /// the mask field.
    void NewMask();
    void ModifyMask();
    void DeleteMask();
    void ThisMask();

private:
    bool Valid() const { return selectedMask >= 0 && selectedMask < static_cast<int>(masks_.size()); }

    std::vector<std::string>& masks_;
    Associate associate_;
};

}  // namespace quill
