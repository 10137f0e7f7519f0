// Compile and Execute: the commands a file names for itself behind "µCOMP:" and "µEXEC:".
#pragma once

#include <optional>
#include <string>

namespace quill {

class Document;
class ProcessStarter;
class Finder;
struct SearchQuery;

/// The file's path never becomes shell code: "%s" in a command stands for a variable that holds
/// the path ("$QVX_FILE", quoted as the place in the command needs), so blanks, quotes, "$(...)"
/// or ";" in a file name are just characters of the name.
class ExternalTools {
public:
    ExternalTools(Document& doc, Finder& search, SearchQuery& query, ProcessStarter& starter, std::string programPath);

    /// Saves the file, runs its compile command with its output going into qvx.txt in the user's
    /// runtime folder, and opens that file in a second instance that follows it as it grows.
    bool Compile();
    /// Saves the file and runs its execute command with the path without its extension.
    bool Execute();

    /// From the top, finds the marker as Find Next would (it stays the find text) and gives the
    /// command after it: up to the next µ, else to the line end (without the line's terminator).
    std::optional<std::string> FindCommandMarker(const std::string& marker);
    /// A command template with each "%s" replaced by the variable QVX_FILE, quoted for where it
    /// stands: inside double quotes as it is, inside single quotes by leaving them for a moment,
    /// elsewhere in double quotes.
    static std::string ShellCommand(const std::string& pattern);
    /// The path without the extension of its file name (a dot in a folder name is no extension).
    static std::string WithoutExtension(const std::string& path);
    /// The folder for qvx.txt: $XDG_RUNTIME_DIR, else a folder of the user's own made private
    /// ($XDG_CACHE_HOME or ~/.cache, "quillarium", mode 0700); none, with the reason, on failure.
    static std::optional<std::string> OutputFolder(std::string& error);

private:
    /// The command behind a marker, with the file saved for it; when there is none, `missing` is
    /// told and nothing saved.
    std::optional<std::string> CommandToRun(const char* marker, const char* missing);

    Document& doc_;
    Finder& search_;
    SearchQuery& query_;
    ProcessStarter& starter_;
    std::string programPath_;
};

}  // namespace quill
