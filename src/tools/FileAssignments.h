// Making Quillarium the program that opens groups of file types, the freedesktop way: the user's
// mimeapps.list, a desktop entry of the user's own and, for types the system does not know, a
// MIME package of the user's own. Nothing outside the user's folders is touched.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace quill {

class Prompter;

/// The program's path as the quoted first argument of a desktop entry's Exec value.
std::string DesktopExecArgument(const std::string& path);

class FileAssignments {
public:
    static constexpr int kGroups = 9;
    static constexpr int kReplaceEditor = 8;  ///< "Replace Notebad": the default for plain text
    /// The labels of the nine check boxes, in order.
    static const std::array<const char*, kGroups>& Labels();
    /// The MIME types of a group, in the order of its extensions.
    static std::vector<std::string> MimeTypes(int group);

    /// programPath: what the desktop entry starts.
    FileAssignments(Prompter& prompter, std::string programPath);

    /// Makes the program the default for the checked groups; each failure is told and the rest
    /// goes on. The number of MIME types assigned.
    int Assign(const std::array<bool, kGroups>& checked);
    /// Writes the user's desktop entry that lists the program for text files ("Open With"),
    /// unless one is installed; false when that failed (it was told).
    bool InstallDesktopEntry();
    /// Whether the desktop lacks an entry for the program: none installed, none of the user's.
    static bool NeedsDesktopEntry();

    /// $XDG_CONFIG_HOME/mimeapps.list, and the user's data folder ($XDG_DATA_HOME).
    static std::string MimeAppsPath();
    static std::string DataHome();
    /// mimeapps.list with the program first for these types in [Default Applications] and
    /// [Added Associations]; every other line as it was.
    static std::string WithDefaults(const std::string& mimeApps, const std::vector<std::string>& types);

private:
    /// The entry lies in an installed data folder ($XDG_DATA_DIRS).
    static bool InstalledEntryExists();
    bool WriteMimePackage(const std::vector<std::string>& types);
    /// Writes a file of the user's; a failure is told.
    bool WriteUserFile(const std::string& path, const std::string& bytes);

    Prompter& prompter_;
    std::string programPath_;
};

}  // namespace quill
