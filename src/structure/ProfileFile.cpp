// Reading and writing description files.
#include "structure/ProfileFile.h"

#include <algorithm>
#include <cstdint>

#include <cstdlib>
#include <fstream>

#include "common/Format.h"
#include "platform/Prompter.h"

namespace quill {

namespace {

const char kSyntaxCharacters[] = "[]=;";

std::string Escape(std::string text)
{
    for (char& ch : text)
        for (int k = 0; k < 4; ++k)
            if (ch == kSyntaxCharacters[k])
                ch = static_cast<char>(0x80 + k);
    return text;
}

std::string Unescape(std::string text)
{
    for (char& ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x80 && byte <= 0x83)
            ch = kSyntaxCharacters[byte - 0x80];
    }
    return text;
}

}  // namespace

std::int64_t ProfileFile::ParseInt(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    // Too many digits give the greatest value rather than an overflow.
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (INT64_MAX - digit) / 10) {
            value = INT64_MAX;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::int32_t ProfileFile::ParseInt32(const std::string& text)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(ParseInt(text), INT32_MIN, INT32_MAX));
}

bool ProfileFile::Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    fileName_ = path;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ParseLine(line);
    }
    cursor_ = 0;
    currentSection_ = entries_.empty() ? std::string() : entries_.front().section;
    return true;
}

void ProfileFile::ParseLine(const std::string& line)
{
    std::string key, value, comment;
    bool leading = true, inHeader = false, seenEquals = false, inComment = false;
    for (char ch : line) {
        if (ch == ';') {
            inComment = true;
            leading = false;
            continue;
        }
        if (ch == '\n')
            break;
        if ((ch == ' ' || ch == '\t') && leading)
            continue;
        leading = false;
        if (inComment) {
            comment += ch;
        } else if (ch == '[') {
            readingSection_.clear();
            inHeader = true;
        } else if (ch == ']' && inHeader) {
            break;  // whatever follows a header is decoration
        } else if (ch == '=' && !seenEquals) {
            seenEquals = true;
        } else if (inHeader) {
            readingSection_ += ch;
        } else if (seenEquals) {
            value += ch;
        } else {
            key += ch;
        }
    }
    if (seenEquals || inComment)
        Append({Unescape(readingSection_), key, Unescape(value), comment});
}

std::string ProfileFile::IndexKey(const std::string& section, const std::string& key)
{
    std::string joined = section;
    joined += '\0';  // no section name holds a NUL: the pair stays apart
    joined += key;
    return joined;
}

void ProfileFile::Append(ProfileEntry entry)
{
    firstEntry_.emplace(IndexKey(entry.section, entry.key), entries_.size());
    entries_.push_back(std::move(entry));
}

void ProfileFile::Write(std::ostream& out)
{
    const std::string stars(75, '*');
    const std::string hyphens(75, '-');
    std::string lastSection;
    for (ProfileEntry& entry : entries_) {
        if (entry.key.empty()) {
            out << ';' << entry.comment << "\r\n";
            continue;
        }
        if (entry.section != lastSection) {
            const std::size_t n = entry.section.size();
            out << "\r\n[" << Escape(entry.section) << "]; " << (n < 72 ? stars.substr(0, 72 - n) : std::string())
                << "\r\n";
            lastSection = entry.section;
        }
        if (entry.comment.size() > 2 && entry.comment.compare(0, 3, "---") == 0) {
            const std::int64_t fill = 74 - static_cast<std::int64_t>(entry.key.size() + entry.value.size());
            entry.comment = fill > 0 ? hyphens.substr(0, static_cast<std::size_t>(std::min<std::int64_t>(fill, 75)))
                                     : std::string();
        }
        out << entry.key << '=' << Escape(entry.value) << ';' << entry.comment << "\r\n";
    }
}

bool ProfileFile::GetString(const std::string& section, const std::string& key, std::string& value)
{
    if (const auto found = firstEntry_.find(IndexKey(section, key)); found != firstEntry_.end()) {
        value = entries_[found->second].value;
        return true;
    }
    if (reportMissing_)
        reportMissing_->Inform(Format("Eintrag \"%s\" fehlt im Abschnitt \"%s\" in der Datei %s!", key.c_str(),
                                      section.c_str(), fileName_.c_str()));
    return false;
}

std::int64_t ProfileFile::GetInt(const std::string& section, const std::string& key, std::int64_t fallback)
{
    std::string value;
    return GetString(section, key, value) ? ParseInt(value) : fallback;
}

std::int32_t ProfileFile::GetInt32(const std::string& section, const std::string& key, std::int32_t fallback)
{
    std::string value;
    return GetString(section, key, value) ? ParseInt32(value) : fallback;
}

void ProfileFile::AddString(const std::string& section, const std::string& key, const std::string& value,
                            const std::string& comment)
{
    Append({Unescape(section), key, Unescape(value), comment});
}

void ProfileFile::AddInt(const std::string& section, const std::string& key, std::int64_t value)
{
    AddString(section, key, std::to_string(value));
}

bool ProfileFile::NextEntry(std::string& key, std::string& value, std::string* comment)
{
    if (cursor_ >= entries_.size() || entries_[cursor_].section != currentSection_)
        return false;
    const ProfileEntry& entry = entries_[cursor_++];
    key = entry.key;
    value = entry.value;
    if (comment)
        *comment = entry.comment;
    return true;
}

bool ProfileFile::NextSection(std::string& name)
{
    while (cursor_ < entries_.size() && entries_[cursor_].section == currentSection_)
        ++cursor_;
    if (cursor_ >= entries_.size())
        return false;
    currentSection_ = entries_[cursor_].section;
    name = currentSection_;
    return true;
}

}  // namespace quill

namespace quill {

std::vector<std::string> ProfileFile::DescriptionSections(std::vector<std::string>& masks)
{
    std::string key, value, section;
    while (NextEntry(key, value))
        if (key == "Mask")
            masks.push_back(value);
    std::vector<std::string> sections;
    if (!entries_.empty())
        sections.push_back(entries_.front().section);
    while (NextSection(section))
        sections.push_back(section);
    std::erase_if(sections, [](const std::string& name) { return name.empty() || name[0] == '<'; });
    return sections;
}

}  // namespace quill
