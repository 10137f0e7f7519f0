#include "common/PrivateFolder.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "common/Format.h"

namespace quill {

bool IsPrivateFolder(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

bool MakePrivateFolder(const std::string& path, std::string& error)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        error = Format("Can\xB4t create %s\n%d:%s", path.c_str(), errno, std::strerror(errno));
        return false;
    }
    if (!IsPrivateFolder(path)) {
        error = Format("%s is not a private folder of this user.", path.c_str());
        return false;
    }
    return true;
}

}  // namespace quill
