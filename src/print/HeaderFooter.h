// The header and footer lines of printed pages, with their placeholders filled in.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace quill {

/// What the placeholders of a header or footer stand for on one page.
struct PageFacts {
    int page = 1;
    std::string path;       ///< "&f": the document's file name as it holds it (its full path)
    std::int64_t size = 0;  ///< "&s"
    std::tm today{};        ///< "&d", "&m", "&y"
    std::tm fileTime{};     ///< "&D", "&M", "&Y": the file's modification date
};

/// The hint shown beside the header and footer fields.
inline constexpr const char* kPlaceholderHint =
    "&p=page &f=file name &s=file size &d=day &m=month &y=year &D=file day &M=file month &Y=file year";

/// "&p" page, "&f" file, "&s" size as "%d.%d kb" (or Mb from 1,048,576 bytes on, one decimal cut
/// off, not rounded), "&d" "&m" "&y" today, "&D" "&M" "&Y" the file's date, "&&" one "&". An "&"
/// before any other character drops both; one at the end is dropped.
std::string FormatHeaderFooter(const std::string& pattern, const PageFacts& facts);

/// The size text of "&s".
std::string SizeText(std::int64_t size);

}  // namespace quill
