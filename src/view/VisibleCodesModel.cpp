// Visible character codes.
#include "view/VisibleCodesModel.h"

#include "common/Format.h"

namespace quill {

VisibleCodesModel::VisibleCodesModel(const std::string& visible)
{
    for (std::size_t code = 0; code < checked_.size() && code < visible.size(); ++code)
        checked_[code] = visible[code] == '1';
}

std::string VisibleCodesModel::Label(int code) { return Format("%02X=", code) + static_cast<char>(code); }

void VisibleCodesModel::SetChecked(int code, bool on)
{
    if (code >= 1 && code <= 255)
        checked_[static_cast<std::size_t>(code)] = on;
}

std::string VisibleCodesModel::Apply(const std::string& visible) const
{
    std::string result = visible;
    result.resize(256, '0');
    for (std::size_t code = 1; code < 256; ++code)
        result[code] = checked_[code] ? '1' : '0';
    return result;
}

}  // namespace quill
