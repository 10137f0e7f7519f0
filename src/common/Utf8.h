// UTF-8, the system's own encoding: well-formed sequences, a check of whole files as they are
// read, and the program's own texts (code page 1252 bytes) turned into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quill {

/// The number of bytes from begin before the first byte above 127 (plain ASCII goes eight bytes
/// at a time): all of them when there is none.
std::size_t AsciiPrefix(const char* begin, const char* end);

/// The bytes of [begin, end) that are UTF-8 continuation bytes (10xxxxxx) and lead bytes
/// (11xxxxxx), counted eight at a time.
struct Utf8Shape {
    std::size_t continuations = 0;
    std::size_t leads = 0;
};
Utf8Shape CountUtf8Shape(const char* begin, const char* end);

/// The length (2 to 4) of a well-formed multi-byte sequence at p, or 0: no overlong forms, no
/// surrogates, nothing above U+10FFFF, and no sequence cut by end.
std::size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end);
/// The character of the well-formed sequence of `length` bytes at p (length from
/// Utf8SequenceLength, or 1 for ASCII).
char32_t DecodeUtf8(const unsigned char* p, std::size_t length);

/// Where a line cut at `cut` would split a UTF-8 character: the character's first byte, when it
/// lies after begin and its bytes, as far as they are known (up to end), are well formed; else
/// cut. A cut there keeps the character whole on the next line.
const char* Utf8CutPoint(const char* begin, const char* cut, const char* end);

/// Whether the bytes at p begin a mark that draws in the cells of the character before it (a
/// combining accent, a joiner).
bool MarkAt(const char* p, const char* end);

/// Where a line cut at `cut` keeps a character whole together with the marks after it, as far as
/// the bytes up to end show: before the character the mark at the cut belongs to, when that lies
/// after begin; else as Utf8CutPoint (a line of one character and its marks is cut among them).
const char* ClusterCutPoint(const char* begin, const char* cut, const char* end);

/// Whether bytes, fed in pieces as they are read, are UTF-8 as a whole. A sequence may be split
/// between two pieces.
class Utf8Validator {
public:
    void Feed(const char* begin, const char* end);
    /// Whether everything fed is well formed and no sequence is left open.
    bool Valid() const { return strays_ == 0 && pendingLength_ == 0; }
    /// Whether it is a UTF-8 text even with a few damaged bytes (a log a program cut off in the
    /// middle of a character): at least four multi-byte characters to every stray byte. Texts of
    /// an 8-bit code page hardly ever hold one well-formed sequence.
    bool MostlyUtf8() const;
    /// Whether no byte fed so far was found to belong to no character (a sequence still open
    /// aside).
    bool NoStrays() const { return strays_ == 0; }
    /// Whether the next piece could be skipped when it holds no byte above 127: no sequence open.
    bool Settled() const { return pendingLength_ == 0; }

private:
    std::uint64_t sequences_ = 0;  ///< well-formed multi-byte characters
    std::uint64_t strays_ = 0;     ///< bytes that belong to no well-formed character
    unsigned char pending_[4] = {};
    std::size_t pendingLength_ = 0;  ///< bytes of a sequence begun at the end of the last piece
};

/// The character of code page 1252 that a byte stands for, and the byte for a character (none
/// when the code page has no byte for it).
char32_t Cp1252ToUnicode(unsigned char byte);
std::optional<unsigned char> UnicodeToCp1252(char32_t character);
/// Appends a character as UTF-8.
void AppendUtf8(std::string& out, char32_t character);

/// Bytes of code page 1252 (the codes a conversion table shows) as UTF-8.
std::string Cp1252ToUtf8(const std::string& bytes);
/// A text that was UTF-8 once and then written as if its bytes were characters of code page 1252
/// ("Ã¼" for "ü", as settings files of earlier versions hold them): the UTF-8 it was. A text that
/// cannot be such a thing is given back as it is.
std::string UndoubledUtf8(const std::string& text);

/// UTF-8 text as code page 1252 bytes; the characters that code page has no byte for (and
/// ill-formed bytes, as U+FFFD) are collected in `missing`, once each, and left out.
std::string Utf8ToCp1252(const std::string& text, std::string& missing);

/// Message texts as UTF-8: the program's own texts are code page 1252 bytes ("Can\xB4t"), while
/// the file names in them are UTF-8 already. Well-formed UTF-8 is kept, every other byte is read
/// as code page 1252.
std::string MessageToUtf8(const std::string& bytes);

}  // namespace quill
