// The most recently used files of the File menu.
#pragma once

#include <string>
#include <vector>

namespace quill {

class SettingsStore;

class RecentFileList {
public:
    static constexpr std::size_t kSize = 16;

    /// Puts a path at the top, removing an older entry of it; keeps at most 16.
    void Add(const std::string& path);
    void Remove(const std::string& path);
    const std::vector<std::string>& Files() const { return files_; }

    /// Section "Recent File List", keys "File1" to "File16".
    void Load(SettingsStore& store);
    void Save(SettingsStore& store) const;

private:
    std::vector<std::string> files_;
};

}  // namespace quill
