// File masks.
#include "structure/PathMask.h"

#include "common/TextCase.h"
#include "text/FileStatus.h"

namespace quill {

PathParts SplitPath(const std::string& path)
{
    PathParts parts;
    const auto dot = path.rfind('.');
    if (dot == std::string::npos) {
        parts.extension = path;
        return parts;
    }
    parts.extension = path.substr(dot + 1);
    const auto separator = path.find_last_of("\\/", dot);
    if (separator == std::string::npos) {
        parts.name = path.substr(0, dot);
    } else {
        parts.name = path.substr(separator + 1, dot - separator - 1);
        parts.folder = path.substr(0, separator);
    }
    return parts;
}

namespace {

bool MatchesAt(const std::string& text, std::size_t at, const std::string& pattern)
{
    for (std::size_t k = 0; k < pattern.size(); ++k)
        if (pattern[k] != '?' && pattern[k] != text[at + k])
            return false;
    return true;
}

}  // namespace

bool WildcardMatch(const std::string& rawText, const std::string& rawPattern)
{
    if (rawPattern.empty())
        return true;
    std::string pattern = UpperCp1252(rawPattern);
    const bool openStart = pattern.front() == '*';
    if (openStart)
        pattern.erase(0, 1);
    const bool openEnd = !pattern.empty() && pattern.back() == '*';
    if (openEnd)
        pattern.pop_back();
    if (pattern.empty())
        return true;
    const std::string text = UpperCp1252(rawText);
    if (text.size() < pattern.size())
        return false;
    const std::size_t last = text.size() - pattern.size();
    if (!openStart && !openEnd)
        return text.size() == pattern.size() && MatchesAt(text, 0, pattern);
    if (!openStart)
        return MatchesAt(text, 0, pattern);
    if (!openEnd)
        return MatchesAt(text, last, pattern);
    for (std::size_t at = 0; at <= last; ++at)
        if (MatchesAt(text, at, pattern))
            return true;
    return false;
}

bool MaskMatches(const std::string& mask, const std::string& path)
{
    const PathParts file = SplitPath(path);
    const PathParts parts = SplitPath(mask);
    return WildcardMatch(file.folder, parts.folder) && WildcardMatch(file.name, parts.name) &&
           WildcardMatch(file.extension, parts.extension);
}

}  // namespace quill

namespace quill {

bool AnyMaskMatches(const std::vector<std::string>& masks, const std::string& path)
{
    for (const std::string& mask : masks)
        if (MaskMatches(mask, path))
            return true;
    return false;
}

std::vector<std::string> DescriptionFiles(const std::string& folder, const std::string& extension)
{
    std::vector<std::string> paths;
    if (folder.empty())
        return paths;
    const std::string wanted = UpperCp1252(extension);
    for (const std::string& name : ListFiles(folder))
        if (name.size() > wanted.size() && UpperCp1252(name.substr(name.size() - wanted.size())) == wanted)
            paths.push_back(folder + "/" + name);
    return paths;
}

}  // namespace quill
