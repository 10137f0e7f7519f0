// Temporary folders for tests.
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace quill::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quill-test-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    path_ = made ? made : pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Tests take write permission away here and there; give it back so everything can go.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
        ::chmod(entry.path().c_str(), 0755);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const
{
    std::string path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace quill::test
