// Finding and seeding the data folder.
#include "app/DataFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace quill {

namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

// Copies shipped files that the user's folder does not have yet; never overwrites the user's.
void Seed(const fs::path& from, const fs::path& to)
{
    std::error_code error;
    if (!IsFolder(from))
        return;
    for (const auto& entry : fs::directory_iterator(from, error)) {
        fs::path target = to / entry.path().filename();
        if (entry.is_regular_file(error) && !fs::exists(target, error))
            fs::copy_file(entry.path(), target, error);
    }
}

}  // namespace

std::string ResolveDataFolder(const std::string& executableFolder)
{
    std::error_code error;
    std::string overridden = Environment("QUILLARIUM_DATA");
    if (!overridden.empty()) {
        fs::create_directories(overridden, error);
        return overridden;
    }
    fs::path beside = fs::path(executableFolder) / "QVXData";
    if (IsFolder(beside))
        return beside.string();

    fs::path base = Environment("XDG_DATA_HOME");
    if (base.empty()) {
        std::string home = Environment("HOME");
        if (home.empty())
            return {};
        base = fs::path(home) / ".local" / "share";
    }
    fs::path folder = base / "quillarium" / "QVXData";
    fs::create_directories(folder, error);
    if (!IsFolder(folder))
        return {};
    Seed(fs::path(executableFolder) / ".." / "share" / "quillarium" / "QVXData", folder);
    return folder.string();
}

}  // namespace quill
