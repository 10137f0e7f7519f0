// Starts programs detached through QProcess.
#pragma once

#include "platform/ProcessStarter.h"

namespace quill {

class QtProcessStarter : public ProcessStarter {
public:
    bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                       const Environment& environment) override;
};

}  // namespace quill
