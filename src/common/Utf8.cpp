// UTF-8 sequences by the table of RFC 3629.
#include "common/Utf8.h"

#include "common/CharacterProperties.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace quill {

namespace {

// 0x80-0x9F differ from Latin-1; the five unassigned codes map to the C1 controls of the same value.
constexpr std::array<char16_t, 32> kCp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool Continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Whether the bytes after the first of a sequence are as far as they go well formed: the second
// byte's range depends on the first (no overlong forms, no surrogates, nothing past U+10FFFF).
bool SecondByteFits(unsigned char lead, unsigned char second)
{
    if (lead == 0xE0)
        return second >= 0xA0 && second <= 0xBF;
    if (lead == 0xED)
        return second >= 0x80 && second <= 0x9F;
    if (lead == 0xF0)
        return second >= 0x90 && second <= 0xBF;
    if (lead == 0xF4)
        return second >= 0x80 && second <= 0x8F;
    return Continuation(second);
}

std::size_t ExpectedLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Whether the n bytes at p begin a well-formed sequence (n may be less than its length).
bool PrefixFits(const unsigned char* p, std::size_t n)
{
    const std::size_t length = ExpectedLength(p[0]);
    if (length == 0)
        return false;
    if (n >= 2 && !SecondByteFits(p[0], p[1]))
        return false;
    for (std::size_t k = 2; k < n && k < length; ++k)
        if (!Continuation(p[k]))
            return false;
    return true;
}

}  // namespace

std::size_t AsciiPrefix(const char* begin, const char* end)
{
    const char* p = begin;
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ull)
            break;
    }
    while (p < end && static_cast<unsigned char>(*p) < 0x80)
        ++p;
    return static_cast<std::size_t>(p - begin);
}

Utf8Shape CountUtf8Shape(const char* begin, const char* end)
{
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    Utf8Shape shape;
    const char* p = begin;
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        const std::uint64_t top = word & kHigh;
        const std::uint64_t second = (word << 1) & kHigh;  // bit 6 of each byte, moved to bit 7
        shape.continuations += static_cast<std::size_t>(__builtin_popcountll(top & ~second));
        shape.leads += static_cast<std::size_t>(__builtin_popcountll(top & second));
    }
    for (; p < end; ++p) {
        const auto b = static_cast<unsigned char>(*p);
        shape.continuations += (b & 0xC0) == 0x80;
        shape.leads += b >= 0xC0;
    }
    return shape;
}

std::size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end)
{
    if (p >= end)
        return 0;
    const std::size_t length = ExpectedLength(*p);
    if (length == 0 || static_cast<std::size_t>(end - p) < length || !PrefixFits(p, length))
        return 0;
    return length;
}

void Utf8Validator::Feed(const char* begin, const char* end)
{
    auto p = reinterpret_cast<const unsigned char*>(begin);
    const auto e = reinterpret_cast<const unsigned char*>(end);
    // A sequence begun in the last piece is finished first; when it breaks off, its lead byte is a
    // stray and the byte that broke it is looked at anew.
    while (pendingLength_ > 0 && p < e) {
        pending_[pendingLength_] = *p;
        if (!PrefixFits(pending_, pendingLength_ + 1)) {
            ++strays_;
            pendingLength_ = 0;
            break;
        }
        ++p;
        if (++pendingLength_ == ExpectedLength(pending_[0])) {
            ++sequences_;
            pendingLength_ = 0;
        }
    }
    while (p < e) {
        p += AsciiPrefix(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(e));
        if (p >= e)
            break;
        if (const std::size_t length = Utf8SequenceLength(p, e)) {
            p += length;
            ++sequences_;
            continue;
        }
        // Either ill-formed, or cut by the end of this piece.
        const std::size_t left = static_cast<std::size_t>(e - p);
        if (left < ExpectedLength(*p) && PrefixFits(p, left)) {
            std::memcpy(pending_, p, left);
            pendingLength_ = left;
            return;
        }
        ++strays_;
        ++p;
    }
}

const char* Utf8CutPoint(const char* begin, const char* cut, const char* end)
{
    const char* lead = cut;
    while (lead > begin && cut - lead < 4) {
        --lead;
        if (!Continuation(static_cast<unsigned char>(*lead)))
            break;
    }
    if (lead == cut || lead == begin)
        return cut;
    const auto* p = reinterpret_cast<const unsigned char*>(lead);
    const std::size_t expected = ExpectedLength(*p);
    if (expected <= static_cast<std::size_t>(cut - lead))
        return cut;  // no character begun before the cut runs past it
    const std::size_t known = std::min<std::size_t>(expected, static_cast<std::size_t>(end - lead));
    return PrefixFits(p, known) ? lead : cut;
}

bool MarkAt(const char* p, const char* end)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    if (p >= end || !MayBeginZeroWidth(*u))
        return false;
    const std::size_t length = Utf8SequenceLength(u, reinterpret_cast<const unsigned char*>(end));
    return length > 0 && CharacterCells(DecodeUtf8(u, length)) == 0;
}

const char* ClusterCutPoint(const char* begin, const char* cut, const char* end)
{
    const char* whole = Utf8CutPoint(begin, cut, end);
    const char* at = whole;
    // Back over the marks to the character they belong to.
    while (at > begin && MarkAt(at, end)) {
        const char* previous = at - 1;
        while (previous > begin && Continuation(static_cast<unsigned char>(*previous)) && at - previous < 4)
            --previous;
        at = previous;
    }
    return at > begin ? at : whole;
}

bool Utf8Validator::MostlyUtf8() const
{
    const std::uint64_t strays = strays_ + (pendingLength_ > 0 ? 1 : 0);
    return strays == 0 || sequences_ >= 4 * strays;
}

char32_t Cp1252ToUnicode(unsigned char byte) { return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte; }

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Cp1252ToUtf8(const std::string& bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (unsigned char byte : bytes)
        AppendUtf8(text, Cp1252ToUnicode(byte));
    return text;
}

char32_t DecodeUtf8(const unsigned char* p, std::size_t length)
{
    if (length < 2)
        return p[0];
    char32_t c = length == 2 ? (p[0] & 0x1F) : length == 3 ? (p[0] & 0x0F) : (p[0] & 0x07);
    for (std::size_t k = 1; k < length; ++k)
        c = (c << 6) | (p[k] & 0x3F);
    return c;
}

std::optional<unsigned char> UnicodeToCp1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<unsigned char>(c);
    for (unsigned byte = 0x80; byte < 0xA0; ++byte)
        if (kCp1252High[byte - 0x80] == c)
            return static_cast<unsigned char>(byte);
    return std::nullopt;
}

std::string UndoubledUtf8(const std::string& text)
{
    if (AsciiPrefix(text.data(), text.data() + text.size()) == text.size())
        return text;
    std::string missing;
    const std::string bytes = Utf8ToCp1252(text, missing);
    if (!missing.empty() || AsciiPrefix(bytes.data(), bytes.data() + bytes.size()) == bytes.size())
        return text;
    Utf8Validator check;
    check.Feed(bytes.data(), bytes.data() + bytes.size());
    return check.Valid() ? bytes : text;
}

std::string Utf8ToCp1252(const std::string& text, std::string& missing)
{
    std::string bytes;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const std::size_t length = Utf8SequenceLength(p, end);
        const char32_t c = *p < 0x80 ? *p : length ? DecodeUtf8(p, length) : 0xFFFD;
        const std::size_t taken = *p < 0x80 || length == 0 ? 1 : length;
        if (const auto byte = UnicodeToCp1252(c)) {
            bytes += static_cast<char>(*byte);
        } else {
            std::string shown;
            AppendUtf8(shown, c);
            if (missing.find(shown) == std::string::npos)
                missing += shown;
        }
        p += taken;
    }
    return bytes;
}

std::string MessageToUtf8(const std::string& bytes)
{
    std::string text;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (const std::size_t length = Utf8SequenceLength(p, end)) {
            text.append(reinterpret_cast<const char*>(p), length);
            p += length;
        } else {
            AppendUtf8(text, Cp1252ToUnicode(*p++));
        }
    }
    return text;
}

}  // namespace quill
