// Starting programs on their own with the bytes of their arguments and environment as they are.
#pragma once

#include "platform/ProcessStarter.h"

namespace quill {

/// Arguments and environment values reach the program byte for byte: a file name that is not
/// valid UTF-8 stays the name of that file. The program runs in a session of its own and is no
/// child of this process, so nothing waits for it.
class PosixProcessStarter : public ProcessStarter {
public:
    bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                       const Environment& environment) override;
};

}  // namespace quill
