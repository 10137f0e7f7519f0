// Ranges of characters spelt as ranges of UTF-8 bytes: a range is cut where its characters'
// encodings change length, then where their leading bytes stop sharing whole runs of
// continuation bytes, until each piece is one range of bytes per position.
#include "search/CodePointSet.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/Utf8.h"

namespace quill {

namespace {

constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;

// One UTF-8 spelling: a range of bytes at each position.
using ByteRange = std::pair<unsigned char, unsigned char>;
using Sequence = std::vector<ByteRange>;

// [from, to], from 128 on and of one encoded length, as sequences of byte ranges.
void SequencesOf(char32_t from, char32_t to, std::vector<Sequence>& out)
{
    for (int bits = 6; bits <= 18; bits += 6) {
        const char32_t low = (char32_t{1} << bits) - 1;
        if ((from & ~low) == (to & ~low))
            continue;
        if ((from & low) != 0) {
            SequencesOf(from, from | low, out);
            SequencesOf((from | low) + 1, to, out);
            return;
        }
        if ((to & low) != low) {
            SequencesOf(from, (to & ~low) - 1, out);
            SequencesOf(to & ~low, to, out);
            return;
        }
    }
    std::string first;
    std::string last;
    AppendUtf8(first, from);
    AppendUtf8(last, to);
    Sequence sequence;
    for (std::size_t k = 0; k < first.size(); ++k)
        sequence.emplace_back(static_cast<unsigned char>(first[k]), static_cast<unsigned char>(last[k]));
    out.push_back(std::move(sequence));
}

// Bytes beyond ASCII are written as they are: the automaton reads them as themselves, and the
// spelling of a large class stays within the length it accepts.
void Spell(std::string& out, ByteRange range)
{
    if (range.first == range.second) {
        out += static_cast<char>(range.first);
        return;
    }
    out += '[';
    out += static_cast<char>(range.first);
    out += '-';
    out += static_cast<char>(range.second);
    out += ']';
}

// The sequences [begin, end), which share their first `depth` ranges, from that position on:
// sequences that share their next range have it written once, before the alternatives of their
// rests.
void SpellShared(std::vector<Sequence>::const_iterator begin, std::vector<Sequence>::const_iterator end,
                 std::size_t depth, std::string& out)
{
    bool first = true;
    for (auto group = begin; group != end;) {
        auto next = group;
        while (next != end && (*next)[depth] == (*group)[depth])
            ++next;
        if (!first)
            out += '|';
        first = false;
        Spell(out, (*group)[depth]);
        if (next - group == 1) {
            for (std::size_t k = depth + 1; k < group->size(); ++k)
                Spell(out, (*group)[k]);
        } else {
            out += "(?:";
            SpellShared(group, next, depth + 1, out);
            out += ')';
        }
        group = next;
    }
}

}  // namespace

void CodePointSet::Add(char32_t from, char32_t to)
{
    to = std::min(to, kLast);
    if (from > to)
        return;
    // Surrogates are cut out.
    if (from <= kSurrogateLast && to >= kSurrogateFirst) {
        if (from < kSurrogateFirst)
            Add(from, kSurrogateFirst - 1);
        if (to > kSurrogateLast)
            Add(kSurrogateLast + 1, to);
        return;
    }
    // Merged with every range it touches or overlaps.
    auto at = std::lower_bound(ranges_.begin(), ranges_.end(), from,
                               [](const auto& range, char32_t c) { return range.second + 1 < c; });
    auto past = at;
    while (past != ranges_.end() && past->first <= to + 1) {
        from = std::min(from, past->first);
        to = std::max(to, past->second);
        ++past;
    }
    at = ranges_.erase(at, past);
    ranges_.insert(at, {from, to});
}

void CodePointSet::Add(const CodePointSet& other)
{
    for (const auto& [from, to] : other.ranges_)
        Add(from, to);
}

CodePointSet CodePointSet::Complement() const
{
    CodePointSet complement;
    char32_t next = 0;
    for (const auto& [from, to] : ranges_) {
        if (from > next)
            complement.Add(next, from - 1);
        next = to + 1;
    }
    if (next <= kLast)
        complement.Add(next, kLast);
    return complement;
}

bool CodePointSet::Contains(char32_t c) const
{
    const auto at = std::lower_bound(ranges_.begin(), ranges_.end(), c,
                                     [](const auto& range, char32_t x) { return range.second < x; });
    return at != ranges_.end() && at->first <= c;
}

std::bitset<256> CodePointSet::AsciiBytes() const
{
    std::bitset<256> bytes;
    for (const auto& [from, to] : ranges_)
        for (char32_t c = from; c <= to && c < 0x80; ++c)
            bytes.set(c);
    return bytes;
}

std::string CodePointSet::Utf8Alternatives() const
{
    std::vector<Sequence> sequences;
    for (auto [from, to] : ranges_) {
        from = std::max<char32_t>(from, 0x80);
        // Pieces of one encoded length each.
        for (const char32_t limit : {char32_t{0x7FF}, char32_t{0xFFFF}, kLast}) {
            if (from > to)
                break;
            if (from > limit)
                continue;
            SequencesOf(from, std::min(to, limit), sequences);
            from = limit + 1;
        }
    }
    std::string out;
    SpellShared(sequences.begin(), sequences.end(), 0, out);
    return out;
}

}  // namespace quill
