// What the Associate dialog proposes as a file mask for a path.
#pragma once

#include <optional>
#include <string>

namespace quill {

class AssociateDialogModel {
public:
    explicit AssociateDialogModel(const std::string& path);

    /// The three proposals: name.ext, folder/*.ext, *.ext.
    std::string proposal[3];
    /// The own mask: the full path with its last run of digits made "?".
    std::string ownMask;
    /// 0 to 2: a proposal; 3: the own mask. Proposal 1 is checked at the start.
    int choice = 0;

    /// Checking a choice unchecks the others; clicking the checked proposal again keeps it.
    void Check(int index);
    bool OwnMaskEnabled() const { return choice == 3; }
    /// OK: the chosen mask.
    std::string Chosen() const { return choice == 3 ? ownMask : proposal[choice]; }
};

}  // namespace quill
