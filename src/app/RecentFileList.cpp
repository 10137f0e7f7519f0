// The recent-file list and its storage.
#include "app/RecentFileList.h"

#include <algorithm>

#include "platform/SettingsStore.h"

namespace quill {

namespace {
const char kSection[] = "Recent File List";
std::string KeyOf(std::size_t i) { return "File" + std::to_string(i + 1); }
}  // namespace

void RecentFileList::Add(const std::string& path)
{
    Remove(path);
    files_.insert(files_.begin(), path);
    if (files_.size() > kSize)
        files_.resize(kSize);
}

void RecentFileList::Remove(const std::string& path)
{
    files_.erase(std::remove(files_.begin(), files_.end(), path), files_.end());
}

void RecentFileList::Load(SettingsStore& store)
{
    files_.clear();
    for (std::size_t i = 0; i < kSize; ++i)
        if (auto path = store.ReadString(kSection, KeyOf(i)); path && !path->empty())
            files_.push_back(*path);
}

void RecentFileList::Save(SettingsStore& store) const
{
    for (std::size_t i = 0; i < kSize; ++i) {
        if (i < files_.size())
            store.WriteString(kSection, KeyOf(i), files_[i]);
        else
            store.Remove(kSection, KeyOf(i));
    }
}

}  // namespace quill
