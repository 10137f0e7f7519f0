// Starting programs that run on their own (compilers, the program itself on an output file).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quill {

class ProcessStarter {
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;
    virtual ~ProcessStarter() = default;
    /// Starts a program with its arguments and these variables added to the environment, without
    /// waiting for it; false when it could not be started.
    virtual bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                               const Environment& environment) = 0;
};

}  // namespace quill
