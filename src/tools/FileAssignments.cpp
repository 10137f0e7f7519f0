#include "tools/FileAssignments.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "common/Format.h"
#include "common/StagedFile.h"
#include "platform/Prompter.h"

namespace quill {

namespace {

constexpr const char* kDesktopFile = "quillarium.desktop";
// The types the system's database may lack, declared by a package of the user's own.
constexpr const char* kIni = "text/x-ini";
constexpr const char* kData = "application/x-quillarium-dat";

std::string Home()
{
    const char* home = std::getenv("HOME");
    return home && *home ? home : "";
}

std::string XdgFolder(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    return value && *value == '/' ? value : Home() + fallback;
}

// Folders made as needed, mkdir -p; errno of the first failure.
int MakeFolders(const std::string& path)
{
    for (std::size_t at = 1; at != std::string::npos; at = path.find('/', at + 1)) {
        const std::string prefix = path.substr(0, at);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    return ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST ? errno : 0;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

// Reads a file; false with errno when it exists but cannot be read.
bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return errno == ENOENT;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    text = bytes.str();
    return true;
}

// A value list "a.desktop;b.desktop;" with ours first and no second copy of it.
std::string OursFirst(const std::string& value)
{
    std::string list = std::string(kDesktopFile) + ";";
    std::stringstream items(value);
    for (std::string item; std::getline(items, item, ';');)
        if (!item.empty() && item != kDesktopFile)
            list += item + ";";
    return list;
}

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    const auto last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

}  // namespace

const std::array<const char*, FileAssignments::kGroups>& FileAssignments::Labels()
{
    static const std::array<const char*, kGroups> labels = {".TXT .ME .LOG", ".INI",      ".DAT",
                                                            ".C .CPP .H",    ".PAS .INC", ".XML .CSS .JS",
                                                            ".TEX .STY",     ".JAVA",     "Replace Notebad"};
    return labels;
}

std::vector<std::string> FileAssignments::MimeTypes(int group)
{
    switch (group) {
    case 0: return {"text/plain", "text/x-troff-me", "text/x-log"};
    case 1: return {kIni};
    case 2: return {kData};
    case 3: return {"text/x-csrc", "text/x-c++src", "text/x-chdr"};
    case 4: return {"text/x-pascal"};
    case 5: return {"application/xml", "text/css", "application/javascript"};
    case 6: return {"text/x-tex"};
    case 7: return {"text/x-java"};
    case kReplaceEditor: return {"text/plain"};
    default: return {};
    }
}

FileAssignments::FileAssignments(Prompter& prompter, std::string programPath)
    : prompter_(prompter),
      programPath_(std::move(programPath))
{
}

std::string FileAssignments::MimeAppsPath() { return XdgFolder("XDG_CONFIG_HOME", "/.config") + "/mimeapps.list"; }

std::string FileAssignments::DataHome() { return XdgFolder("XDG_DATA_HOME", "/.local/share"); }

std::string FileAssignments::WithDefaults(const std::string& mimeApps, const std::vector<std::string>& types)
{
    // Section by section: the keys of our types get our entry first; missing keys and sections
    // are added at the end of their section.
    const std::array<std::string, 2> sections = {"[Default Applications]", "[Added Associations]"};
    std::vector<std::string> lines;
    std::stringstream in(mimeApps);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    for (const std::string& section : sections) {
        auto start = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return Trim(l) == section; });
        if (start == lines.end()) {
            if (!lines.empty() && !Trim(lines.back()).empty())
                lines.emplace_back();
            lines.push_back(section);
            start = lines.end() - 1;
        }
        auto end =
            std::find_if(start + 1, lines.end(), [](const std::string& l) { return Trim(l).rfind('[', 0) == 0; });
        std::vector<std::string> missing;
        for (const std::string& type : types) {
            const auto key = std::find_if(start + 1, end, [&](const std::string& l) {
                const auto equals = l.find('=');
                return equals != std::string::npos && Trim(l.substr(0, equals)) == type;
            });
            if (key != end)
                *key = type + "=" + OursFirst(key->substr(key->find('=') + 1));
            else if (std::find(missing.begin(), missing.end(), type) == missing.end())
                missing.push_back(type + "=" + OursFirst(""));
        }
        // Before the blank lines that close the section.
        auto at = end;
        while (at > start + 1 && Trim(*(at - 1)).empty())
            --at;
        lines.insert(at, missing.begin(), missing.end());
    }
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

bool FileAssignments::InstalledEntryExists()
{
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::stringstream folders(dirs && *dirs ? dirs : "/usr/local/share:/usr/share");
    for (std::string folder; std::getline(folders, folder, ':');) {
        struct stat st {};
        if (!folder.empty() && ::stat((folder + "/applications/" + kDesktopFile).c_str(), &st) == 0)
            return true;
    }
    return false;
}

bool FileAssignments::NeedsDesktopEntry()
{
    struct stat st {};
    return !InstalledEntryExists() && ::stat((DataHome() + "/applications/" + kDesktopFile).c_str(), &st) != 0;
}

std::string DesktopExecArgument(const std::string& path)
{
    // Two rules of the desktop entry format, one inside the other: in a quoted argument of Exec
    // " ` $ \ take a backslash and % is doubled; then the value, as every string value, writes
    // each backslash twice (so a backslash of the path becomes four) and control characters as
    // escapes.
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    quoted += '"';
    std::string value;
    for (char c : quoted) {
        switch (c) {
        case '\\': value += "\\\\"; break;
        case '\n': value += "\\n"; break;
        case '\t': value += "\\t"; break;
        case '\r': value += "\\r"; break;
        default: value += c;
        }
    }
    return value;
}

bool FileAssignments::InstallDesktopEntry()
{
    // An installed program has its entry already; the user's own would only hide it.
    if (InstalledEntryExists())
        return true;
    const std::string path = DataHome() + "/applications/" + kDesktopFile;
    const std::string exec = DesktopExecArgument(programPath_) + " %f";
    std::string types;
    for (int group = 0; group < kReplaceEditor; ++group)
        for (const std::string& type : MimeTypes(group))
            types += type + ";";
    const std::string entry =
        "[Desktop Entry]\nType=Application\nName=Quillarium\n"
        "GenericName=Text and Record File Editor\n"
        "Comment=View and edit very large text and record files\nExec=" +
        exec + "\nIcon=quillarium\nTerminal=false\nCategories=Utility;TextEditor;\nMimeType=" + types + "\n";
    return WriteUserFile(path, entry);
}

bool FileAssignments::WriteUserFile(const std::string& path, const std::string& bytes)
{
    // Whole or not at all, in folders made as needed.
    int error = MakeFolders(FolderOf(path));
    if (error == 0)
        error = WriteFileAtomically(path, bytes);
    if (error != 0)
        prompter_.Error(Format("Can\xB4t assign %s", path.c_str()));
    return error == 0;
}

bool FileAssignments::WriteMimePackage(const std::vector<std::string>& types)
{
    std::string body;
    if (std::find(types.begin(), types.end(), kIni) != types.end())
        body += "  <mime-type type=\"text/x-ini\">\n    <sub-class-of type=\"text/plain\"/>\n"
                "    <comment>Settings file</comment>\n    <glob pattern=\"*.ini\"/>\n  </mime-type>\n";
    if (std::find(types.begin(), types.end(), kData) != types.end())
        body += "  <mime-type type=\"application/x-quillarium-dat\">\n    <comment>Data file</comment>\n"
                "    <glob pattern=\"*.dat\"/>\n  </mime-type>\n";
    if (std::find(types.begin(), types.end(), "text/x-pascal") != types.end())
        body += "  <mime-type type=\"text/x-pascal\">\n    <glob pattern=\"*.inc\"/>\n  </mime-type>\n";
    if (body.empty())
        return true;
    const std::string path = DataHome() + "/mime/packages/quillarium.xml";
    const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n" +
                            body + "</mime-info>\n";
    if (!WriteUserFile(path, xml))
        return false;
    // The desktop reads the package once its database is rebuilt; where the tool is missing the
    // package waits for the next rebuild.
    const std::string rebuild = "update-mime-database '" + DataHome() + "/mime' >/dev/null 2>&1";
    if (DataHome().find('\'') == std::string::npos) [[maybe_unused]]
        const int ignored = std::system(rebuild.c_str());
    return true;
}

int FileAssignments::Assign(const std::array<bool, kGroups>& checked)
{
    std::vector<std::string> types;
    for (int group = 0; group < kGroups; ++group)
        if (checked[static_cast<std::size_t>(group)])
            for (const std::string& type : MimeTypes(group))
                if (std::find(types.begin(), types.end(), type) == types.end())
                    types.push_back(type);
    if (types.empty())
        return 0;
    InstallDesktopEntry();
    WriteMimePackage(types);
    const std::string path = MimeAppsPath();
    std::string mimeApps;
    if (!ReadText(path, mimeApps)) {
        prompter_.Error(Format("Can\xB4t open key %s\n%s", path.c_str(), std::strerror(errno)));
        return 0;
    }
    return WriteUserFile(path, WithDefaults(mimeApps, types)) ? static_cast<int>(types.size()) : 0;
}

}  // namespace quill
