// What the expression library's character classes and case rule take, as sets of characters.
#pragma once

#include <bitset>
#include <optional>
#include <string>

#include "search/CodePointSet.h"

namespace quill {

/// The characters "\w", "\d" or "\s" take in an expression on Unicode characters (ICU's classes
/// as the library uses them: letters, decimal digits, non-spacing marks and "_"; decimal digits;
/// white space). None for another letter.
const CodePointSet* UnicodeClass(char letter);

/// Every character a case-blind expression on Unicode characters takes for c: those with the
/// same lower case, c among them.
CodePointSet CaseVariants(char32_t c);

/// The ASCII characters an item spelt alone (a class "[...]" or an escape "\w") matches, asked of
/// the library itself: through the expression on bytes, or on Unicode characters. None when the
/// library refuses the spelling.
std::optional<std::bitset<256>> AsciiMembers(const std::string& item, bool matchCase, bool characters);

}  // namespace quill
