// Mask proposals.
#include "structure/AssociateDialogModel.h"

#include <cctype>

#include "structure/PathMask.h"

namespace quill {

namespace {

// The last run of decimal digits (looked for from the last character back to the second) becomes
// one "?" per digit.
std::string WildcardDigits(std::string text)
{
    std::size_t i = text.size();
    while (i > 1 && !std::isdigit(static_cast<unsigned char>(text[i - 1])))
        --i;
    if (i <= 1)
        return text;
    while (i > 1 && std::isdigit(static_cast<unsigned char>(text[i - 1])))
        text[--i] = '?';
    return text;
}

}  // namespace

AssociateDialogModel::AssociateDialogModel(const std::string& path)
{
    const PathParts parts = SplitPath(path);
    // Paths here use the native separator; masks accept both.
    proposal[0] = parts.name + "." + parts.extension;
    proposal[1] = parts.folder + "/*." + parts.extension;
    proposal[2] = "*." + parts.extension;
    ownMask = WildcardDigits(parts.folder + "/" + parts.name + "." + parts.extension);
}

void AssociateDialogModel::Check(int index)
{
    if (index >= 0 && index <= 3)
        choice = index;
}

}  // namespace quill
