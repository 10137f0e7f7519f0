// The description files of structures and syntaxes: INI-like text with its own comment rule,
// escaping and column-aligned layout.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

namespace quill {

class Prompter;

struct ProfileEntry {
    std::string section;
    std::string key;  ///< empty: a comment line
    std::string value;
    std::string comment;
};

/// A whole description file in memory. Section names and values may hold the characters [ ] = ;
/// which stand in the file as the bytes 0x80 to 0x83.
class ProfileFile {
public:
    /// Reads a file; false, leaving the entries unchanged, when it cannot be opened.
    bool Load(const std::string& path);
    /// Writes all entries in the file layout (lines end with CR LF).
    void Write(std::ostream& out);

    /// The value of the first entry with this section and key; value stays as it was when there
    /// is none (after the message "Eintrag ..." when missing entries are reported).
    bool GetString(const std::string& section, const std::string& key, std::string& value);
    std::int64_t GetInt(const std::string& section, const std::string& key, std::int64_t fallback);
    std::int32_t GetInt32(const std::string& section, const std::string& key, std::int32_t fallback);
    void AddString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& comment = {});
    void AddInt(const std::string& section, const std::string& key, std::int64_t value);

    /// The entries of the current section, one by one.
    bool NextEntry(std::string& key, std::string& value, std::string* comment = nullptr);
    /// Moves to the next section; false at the end.
    bool NextSection(std::string& name);

    /// The walk description loaders make: the "Mask" values of the first section, and the names of
    /// the sections that describe fields or items (not those beginning with "<"). A file without
    /// "<General>" starts with such a section.
    std::vector<std::string> DescriptionSections(std::vector<std::string>& masks);

    /// Missing entries are reported through this prompter when set.
    void ReportMissing(Prompter* prompter) { reportMissing_ = prompter; }
    const std::vector<ProfileEntry>& Entries() const { return entries_; }

    /// Reads a decimal number the way description files do: leading blanks, a sign, digits up to
    /// the first other character; 0 when there are none.
    static std::int64_t ParseInt(const std::string& text);
    /// ParseInt held within 32 bits: the fields and descriptions keep 32-bit values.
    static std::int32_t ParseInt32(const std::string& text);

private:
    void ParseLine(const std::string& line);
    /// Appends an entry and remembers it when it is the first of its section and key.
    void Append(ProfileEntry entry);
    static std::string IndexKey(const std::string& section, const std::string& key);

    std::vector<ProfileEntry> entries_;
    /// The first entry of each section and key: a description of many thousand fields is read
    /// with one look-up per value instead of a walk over every entry.
    std::unordered_map<std::string, std::size_t> firstEntry_;
    std::string fileName_;
    std::string readingSection_;  ///< the section while lines are read
    std::size_t cursor_ = 0;      ///< read cursor; entries_.size() means none
    std::string currentSection_;
    Prompter* reportMissing_ = nullptr;
};

}  // namespace quill
