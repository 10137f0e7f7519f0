// The backslash codes of search texts (\n, \t, \x41, \065, ...), also used for field delimiters.
#pragma once

#include <string>

namespace quill {

/// Replaces every backslash code of the text by the one byte it stands for. Returns true when a
/// hexadecimal or decimal code was used: such texts are searched with match case.
bool InterpretBackslashes(std::string& text);

/// The value of a hexadecimal digit, -1 for any other character.
int HexValue(char ch);

}  // namespace quill
