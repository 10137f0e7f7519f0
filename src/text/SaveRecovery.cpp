// Copies of saves written in place, named after the file they belong to.
#include "text/SaveRecovery.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "common/Checksum.h"
#include "common/PrivateFolder.h"
#include "common/StagedFile.h"
#include "text/FileStatus.h"

namespace quill {

namespace {

std::string ReadSmallFile(const std::string& path)
{
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, n);
        std::fclose(file);
    }
    return bytes;
}

// The record beside a copy: the path of the file it belongs to, written once the copy is whole.
std::string RecordOf(const std::string& copy) { return copy + ".file"; }

}  // namespace

std::optional<std::string> SaveRecovery::Folder(bool create)
{
    std::string state;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg == '/')
        state = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home == '/')
        state = std::string(home) + "/.local/state";
    else
        return std::nullopt;
    const std::string program = state + "/quillarium";
    const std::string folder = program + "/unfinished-saves";
    if (!create)
        return IsPrivateFolder(folder) ? std::optional<std::string>(folder) : std::nullopt;
    if (const std::string local = FolderOf(state); !local.empty())
        ::mkdir(local.c_str(), 0700);  // ~/.local, when the state folder lies in it
    ::mkdir(state.c_str(), 0700);
    std::string error;
    if (!MakePrivateFolder(program, error) || !MakePrivateFolder(folder, error))
        return std::nullopt;
    return folder;
}

std::string SaveRecovery::CopyPath(const std::string& folder, const std::string& target)
{
    return folder + "/" + Fingerprint(target) + "-" + FileNameOf(target);
}

std::optional<std::string> SaveRecovery::CopyPathFor(const std::string& target)
{
    const auto folder = Folder(true);
    if (!folder)
        return std::nullopt;
    return CopyPath(*folder, target);
}

std::optional<std::string> SaveRecovery::PendingCopyFor(const std::string& target)
{
    // Only a look: a user who never saved in place gets no folder made by opening a file.
    const auto folder = Folder(false);
    if (!folder)
        return std::nullopt;
    std::string copy = CopyPath(*folder, target);
    if (::access(copy.c_str(), F_OK) != 0 || ReadSmallFile(RecordOf(copy)) != target)
        return std::nullopt;
    return copy;
}

int SaveRecovery::MarkComplete(const std::string& target, const std::string& copy)
{
    return WriteFileAtomically(RecordOf(copy), target);
}

void SaveRecovery::Discard(const std::string& copy)
{
    ::unlink(RecordOf(copy).c_str());
    ::unlink(copy.c_str());
}

}  // namespace quill
