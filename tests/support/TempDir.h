// A folder of its own for each test, removed afterwards, with helpers to write and read files.
#pragma once

#include <string>

namespace quill::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    /// Writes bytes to a file in the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

/// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace quill::test
