// The program's command line: a file, a line to go to, -RELOAD, --help and --version.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quill {

struct CommandLine {
    std::string raw;                  ///< the arguments joined by blanks, as the "#" and -RELOAD rules read them
    std::optional<std::string> file;  ///< the file to open
    bool reload = false;              ///< watch the file: auto reload with a move to its end
    bool help = false;
    bool version = false;
    bool timing = false;                  ///< print the phases of start-up and exit, and quit after the first screen
    std::optional<std::string> printPdf;  ///< print the file into this PDF without a window
    std::string error;                    ///< not empty when an argument was not understood

    /// Parses the arguments after the program name. "FILE#LINE" names FILE when FILE#LINE itself
    /// does not exist.
    static CommandLine Parse(const std::vector<std::string>& arguments);

    static std::string Usage();
};

}  // namespace quill
