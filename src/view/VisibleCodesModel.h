// The logic of the dialog "Visible Character Codes": one check box for each code 1 to 255.
#pragma once

#include <array>
#include <string>

namespace quill {

class VisibleCodesModel {
public:
    /// visible: the 256 characters '0'/'1' of the setting.
    explicit VisibleCodesModel(const std::string& visible);

    /// The label of a code: its two upper-case hex digits, "=" and the character itself.
    static std::string Label(int code);
    bool Checked(int code) const { return checked_[static_cast<std::size_t>(code)]; }
    void SetChecked(int code, bool on);
    /// The setting with codes 1 to 255 from the boxes; code 0 keeps what it was.
    std::string Apply(const std::string& visible) const;

private:
    std::array<bool, 256> checked_{};
};

}  // namespace quill
