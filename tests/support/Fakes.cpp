// The in-memory settings store.
#include "support/Fakes.h"

#include <cstdio>
#include <sys/resource.h>

namespace quill::test {

bool LimitAddressSpace(std::size_t headroom)
{
    long pages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return false;
    const bool read = std::fscanf(statm, "%ld", &pages) == 1;
    std::fclose(statm);
    if (!read)
        return false;
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(pages) * 4096 + headroom;
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

namespace {
std::string Key(const std::string& section, const std::string& key) { return section + "/" + key; }

template <class Map> std::optional<typename Map::mapped_type> Find(const Map& map, const std::string& key)
{
    auto it = map.find(key);
    if (it == map.end())
        return std::nullopt;
    return it->second;
}
}  // namespace

std::optional<std::int64_t> MemorySettingsStore::ReadInt(const std::string& section, const std::string& key)
{
    return Find(ints, Key(section, key));
}

std::optional<std::string> MemorySettingsStore::ReadString(const std::string& section, const std::string& key)
{
    return Find(strings, Key(section, key));
}

std::optional<std::vector<std::uint8_t>> MemorySettingsStore::ReadBinary(const std::string& section,
                                                                         const std::string& key)
{
    return Find(binaries, Key(section, key));
}

void MemorySettingsStore::WriteInt(const std::string& section, const std::string& key, std::int64_t value)
{
    ints[Key(section, key)] = value;
    writeOrder.push_back(Key(section, key));
}

void MemorySettingsStore::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    strings[Key(section, key)] = value;
    writeOrder.push_back(Key(section, key));
}

void MemorySettingsStore::WriteBinary(const std::string& section, const std::string& key,
                                      const std::vector<std::uint8_t>& value)
{
    binaries[Key(section, key)] = value;
    writeOrder.push_back(Key(section, key));
}

void MemorySettingsStore::Remove(const std::string& section, const std::string& key)
{
    ints.erase(Key(section, key));
    strings.erase(Key(section, key));
    binaries.erase(Key(section, key));
}

void FakeView::Changed(DocumentChange changes)
{
    scrollResets += Has(changes, DocumentChange::NewText);
    ensureVisible += Has(changes, DocumentChange::CursorPlaced | DocumentChange::CursorCentred);
    redraws += Has(changes, DocumentChange::Text);
    rereads += Has(changes, DocumentChange::Reread);
    changesOnDisk += Has(changes, DocumentChange::ChangedOnDisk);
    structureChanges += Has(changes, DocumentChange::Structure);
}

}  // namespace quill::test
