// File status and folder listings.
#include "text/FileStatus.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/Format.h"
#include "text/FileHandle.h"

namespace quill {

namespace {

void FillStatus(const struct stat& st, FileStatus& status)
{
    status.modified = static_cast<FileTime>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    status.size = st.st_size;
    status.device = st.st_dev;
    status.inode = st.st_ino;
}

}  // namespace

bool StatusOf(int fd, FileStatus& status)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    FillStatus(st, status);
    return true;
}

bool StatusOfPath(const std::string& path, FileStatus& status)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    FillStatus(st, status);
    return true;
}

std::string LocalTimeText(FileTime time)
{
    std::time_t seconds = static_cast<std::time_t>(time / 1000000000);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return Format("%d.%d.%d %02d:%02d:%02d", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour,
                  local.tm_min, local.tm_sec);
}

bool NameOrder(const std::string& a, const std::string& b)
{
    const int byCase = ::strcasecmp(a.c_str(), b.c_str());
    return byCase != 0 ? byCase < 0 : a < b;
}

std::vector<std::string> ListFiles(const std::string& folder)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir.get())) {
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st {};
            regular = ::stat((folder + "/" + entry->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
        }
        // Folders, pipes, sockets and devices are no files to step to: opening a pipe would wait
        // for a writer for ever.
        if (regular)
            names.emplace_back(entry->d_name);
    }
    std::sort(names.begin(), names.end(), NameOrder);
    return names;
}

bool PathExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string AbsolutePath(const std::string& path)
{
    if (path.empty())
        return path;
    std::string absolute = path;
    if (path[0] != '/') {
        std::unique_ptr<char, void (*)(void*)> cwd(::getcwd(nullptr, 0), std::free);
        if (!cwd)
            return path;
        absolute = std::string(cwd.get()) + "/" + path;
    }
    // "." and ".." are taken out by the letters alone, so one file has one name in the title and
    // in the position database; symbolic links stay as the user named them.
    std::string normal = std::filesystem::path(absolute).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

bool ReadExactlyAt(int fd, std::int64_t offset, std::int64_t count, std::string& bytes)
{
    bytes.resize(static_cast<std::size_t>(count));
    std::int64_t got = 0;
    while (got < count) {
        const ssize_t r = ::pread(fd, bytes.data() + got, static_cast<std::size_t>(count - got), offset + got);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        got += r;
    }
    return true;
}

int WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t w = ::write(fd, data, size);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += w;
        size -= static_cast<std::size_t>(w);
    }
    return 0;
}

int OpenForReading(const std::string& path)
{
    // Without O_NONBLOCK the open of a pipe waits for a writer, with no way out for the user; the
    // load waits for it instead, where Escape works. Other files are read blocking as usual.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return -1;
    }
    if (!S_ISFIFO(st.st_mode) && !S_ISSOCK(st.st_mode))
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace quill
