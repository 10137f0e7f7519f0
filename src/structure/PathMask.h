// File masks: splitting paths into folder, name and extension, and wildcard matching.
#pragma once

#include <string>
#include <vector>

namespace quill {

struct PathParts {
    std::string folder;
    std::string name;
    std::string extension;
};

/// The extension is what follows the last "."; a text without "." is all extension. The name runs
/// back from the "." to the last "\" or "/", the folder is what stands before that separator.
PathParts SplitPath(const std::string& path);

/// "*" at the start or end of the pattern lets the text go on there; "?" matches any one byte;
/// case is ignored.
bool WildcardMatch(const std::string& text, const std::string& pattern);

/// A mask matches a path when its folder, name and extension match the path's parts.
bool MaskMatches(const std::string& mask, const std::string& path);
/// Whether any of the masks matches the path.
bool AnyMaskMatches(const std::vector<std::string>& masks, const std::string& path);
/// The description files of a folder with an extension (".ini", ".syn"), in the program's folder order.
std::vector<std::string> DescriptionFiles(const std::string& folder, const std::string& extension);

}  // namespace quill
