// Conversion tables: entries, files, the automatic choice.
#include "charset/ConversionTable.h"

#include <cctype>
#include <cstring>
#include <fstream>

#include "common/Format.h"
#include "common/StagedFile.h"
#include "common/TextCase.h"
#include "common/Utf8.h"
#include "platform/Prompter.h"
#include "structure/PathMask.h"

namespace quill {

namespace {

// A part of one character stands for itself; a longer one is a hexadecimal number.
bool ParsePart(const std::string& part, std::uint8_t& byte)
{
    if (part.size() == 1) {
        byte = static_cast<std::uint8_t>(part[0]);
        return true;
    }
    std::size_t i = part.find_first_not_of(' ');
    if (i == std::string::npos)
        return false;
    if (part.compare(i, 2, "0x") == 0 || part.compare(i, 2, "0X") == 0)
        i += 2;
    unsigned value = 0;
    std::size_t digits = 0;
    for (; i < part.size() && std::isxdigit(static_cast<unsigned char>(part[i])); ++i, ++digits)
        value = value * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(part[i]))
                                                       ? part[i] - '0'
                                                       : std::toupper(static_cast<unsigned char>(part[i])) - 'A' + 10);
    if (digits == 0)
        return false;
    byte = static_cast<std::uint8_t>(value & 0xFF);
    return true;
}

std::string NameOfPath(const std::string& path)
{
    const auto slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

void ConversionTable::Reset()
{
    entries_.clear();
    name_ = "<ANSI>";
    Rebuild();
    active_ = false;
}

bool ConversionTable::ParseEntry(const std::string& line, std::uint8_t& stored, std::uint8_t& shown)
{
    const auto equals = line.find('=');
    const std::string first = line.substr(0, equals);
    if (first.empty() || !ParsePart(first, stored))
        return false;
    shown = 0;
    if (equals == std::string::npos)
        return true;  // one part only: the byte maps to 0
    std::string second = line.substr(equals + 1);
    // An "=" right after the separator is the character "=" itself.
    if (!second.empty() && second[0] == '=')
        second = "=";
    else
        second = second.substr(0, second.find('='));
    return ParsePart(second, shown);
}

void ConversionTable::Rebuild()
{
    for (int b = 0; b < 256; ++b)
        display_[b] = input_[b] = static_cast<std::uint8_t>(b);
    for (const std::string& entry : entries_) {
        std::uint8_t stored = 0, shown = 0;
        if (ParseEntry(entry, stored, shown)) {
            display_[stored] = shown;
            input_[shown] = stored;
        }
    }
    active_ = !entries_.empty();
}

bool ConversionTable::Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    loadedPath_ = path;
    entries_.clear();
    name_ = NameOfPath(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        entries_.push_back(line);
    }
    active_ = true;
    Rebuild();  // a file without entries leaves the table inactive
    return true;
}

bool ConversionTable::Save(const std::string& dataFolder, Prompter& prompter)
{
    if (!name_.empty() && name_[0] == '<') {
        active_ = false;
        return false;
    }
    if (!active_)
        return false;
    std::string bytes;
    for (const std::string& entry : entries_)
        bytes += entry + "\n";
    const std::string path = dataFolder + "/" + name_ + ".tec";
    if (WriteFileAtomically(path, bytes) != 0) {
        prompter.Error(Format("Can\xB4t write %s!", path.c_str()));
        return false;
    }
    return true;
}

void ConversionTable::Restore()
{
    if (!loadedPath_.empty()) {
        const std::string path = loadedPath_;
        Load(path);
    }
}

std::string ConversionTable::ToDisplay(std::string bytes) const
{
    if (active_)
        for (char& ch : bytes)
            ch = static_cast<char>(ToDisplay(static_cast<std::uint8_t>(ch)));
    return bytes;
}

std::string ConversionTable::FromDisplay(std::string bytes) const
{
    if (active_)
        for (char& ch : bytes)
            ch = static_cast<char>(FromDisplay(static_cast<std::uint8_t>(ch)));
    return bytes;
}

std::array<std::uint8_t, 256> ConversionTable::EffectiveInput() const
{
    std::array<std::uint8_t, 256> effective{};
    for (int b = 0; b < 256; ++b)
        effective[b] = FromDisplay(static_cast<std::uint8_t>(b));
    return effective;
}

bool ConversionTable::LineBreaksChanged() const
{
    const auto now = EffectiveInput();
    return now[10] != previousInput_[10] || now[12] != previousInput_[12];
}

bool ConversionTable::IsOrdinaryDisplayCode(std::uint8_t shown)
{
    // Digits to small z, CR and LF, and the German letters and punctuation of everyday text
    // (code page 1252: ä ö ü Ä Ö Ü ß . , blank / - * ×).
    static const char kExtra[] = "\xE4\xF6\xFC\xC4\xD6\xDC\xDF., /-*\xD7";
    if (shown >= 48 && shown <= 122)
        return true;
    if (shown == 13 || shown == 10)
        return true;
    return shown != 0 && std::memchr(kExtra, shown, sizeof kExtra - 1) != nullptr;
}

std::string ConversionTable::ShownFromUtf8(const std::string& text, std::string& missing) const
{
    std::string shown;
    for (const char code : Utf8ToCp1252(text, missing)) {
        const auto byte = static_cast<std::uint8_t>(code);
        if (ToDisplay(FromDisplay(byte)) == byte) {
            shown += code;
            continue;
        }
        const std::string character = Cp1252ToUtf8(std::string(1, code));
        if (missing.find(character) == std::string::npos)
            missing += character;
    }
    return shown;
}

std::uint64_t ConversionTable::CountUndisplayable(const ByteHistogram& histogram) const
{
    std::uint64_t count = 0;
    for (int b = 0; b < 256; ++b) {
        const std::uint8_t shown = active_ ? display_[b] : static_cast<std::uint8_t>(b);
        if (!IsOrdinaryDisplayCode(shown))
            count += histogram[b];
    }
    return count;
}

std::uint64_t ConversionTable::AutoSelect(const ByteHistogram& histogram, const std::string& dataFolder)
{
    Reset();
    std::uint64_t best = CountUndisplayable(histogram);
    std::string chosen;
    for (const std::string& path : DescriptionFiles(dataFolder, ".tec")) {
        ConversionTable candidate;
        if (!candidate.Load(path))
            continue;
        const std::uint64_t score = candidate.CountUndisplayable(histogram);
        if (score < best) {
            best = score;
            chosen = path;
        }
    }
    Reset();
    if (!chosen.empty())
        Load(chosen);
    return best;
}

}  // namespace quill
