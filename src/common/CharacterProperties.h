// What the display and the search need to know of a Unicode character: how many cells it takes
// and which character it is the same as when case is ignored.
#pragma once

namespace quill {

/// Cells a character takes on screen: 2 for East Asian wide characters and emoji, 0 for combining
/// marks and invisible joiners (they belong to the character before them), 1 for the rest.
int CharacterCells(char32_t character);

/// Whether a UTF-8 sequence beginning with this byte can be a character of no cells (a mark): a
/// byte that cannot needs no decoding to tell that no mark follows.
bool MayBeginZeroWidth(unsigned char leadByte);

/// The character's simple case folding: "Ö" and "ö" give the same, as do "Σ", "σ" and "ς".
/// Characters that fold to several characters (ß to ss) stay as they are.
char32_t FoldCase(char32_t character);

/// Whether a character beyond ASCII belongs to words for word moves and double clicks: letters
/// and digits of every script, but not spaces, punctuation, symbols, arrows, box drawing or emoji.
bool IsWordCharacterBeyondAscii(char32_t character);

}  // namespace quill
