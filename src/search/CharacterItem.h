// One item of an expression on Unicode characters, spelt for an automaton that reads bytes.
#pragma once

#include <bitset>
#include <optional>
#include <string>

#include "search/ExpressionSyntax.h"

namespace quill {

/// An item that takes one character (".", a class, "\w", a character), as the automaton reads it
/// on a UTF-8 text: its ASCII members as a class of bytes and its other members as alternatives of
/// their UTF-8 byte sequences. A line of ASCII only goes to the library's expression on bytes, a
/// line with characters beyond ASCII to its expression on characters, whose classes may differ even
/// among ASCII characters ("\s" takes the separators 0x1C to 0x1F there): the item takes what
/// either takes, and says on which kind of line it takes exactly that.
struct CharacterItem {
    std::string pattern;
    /// When the item is not exact beyond ASCII: a simpler spelling of any run of one or more of it
    /// (the automaton scans a class of bytes fastest), to be followed by a repeat without upper
    /// bound; empty otherwise.
    std::string run;
    /// The bytes a match of the item may hold.
    std::bitset<256> bytes;
    /// Whether it takes exactly what the item takes on a line of ASCII only.
    bool exactOnAscii = true;
    /// The longest UTF-8 character (1 to 4 bytes) on whose lines it takes exactly what the item
    /// takes (a byte that is no character is taken by no item): a class of very many characters
    /// beyond ASCII is spelt as taking them all.
    int exactLength = 4;

    /// None for an item of another kind, one the library refuses, or a class this spelling does
    /// not know for sure (\h, \v, and negated escapes in a class).
    /// crlf: "." takes no CR (the text's lines end with CR LF).
    static std::optional<CharacterItem> For(const ExpressionNode& node, bool matchCase, bool crlf);
};

}  // namespace quill
