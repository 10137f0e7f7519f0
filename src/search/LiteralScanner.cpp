// The vector loops compare two bytes of every possible start at once (the first and last byte of
// the pattern, usually) and look closer only where both fit, which on text is rare.
#include "search/LiteralScanner.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace quill {

namespace {

#if defined(__x86_64__)

// The bytes at two positions, each compared against up to four values.
struct AnchorBytes {
    std::size_t position1, position2;
    std::uint8_t values1[4], values2[4];
    int count1, count2;
};

// Where both anchors fit, for 32 starts from `at`.
__attribute__((target("avx2"))) inline __m256i BothFit(const AnchorBytes& a, const __m256i* v1, const __m256i* v2,
                                                       const char* at)
{
    const __m256i b1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + a.position1));
    const __m256i b2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + a.position2));
    __m256i m1 = _mm256_cmpeq_epi8(b1, v1[0]);
    __m256i m2 = _mm256_cmpeq_epi8(b2, v2[0]);
    for (int k = 1; k < a.count1; ++k)
        m1 = _mm256_or_si256(m1, _mm256_cmpeq_epi8(b1, v1[k]));
    for (int k = 1; k < a.count2; ++k)
        m2 = _mm256_or_si256(m2, _mm256_cmpeq_epi8(b2, v2[k]));
    return _mm256_and_si256(m1, m2);
}

template <typename Match>
__attribute__((target("avx2"))) const char* FindAvx2(const AnchorBytes& a, const char*& p, const char* last,
                                                     Match&& matches)
{
    __m256i v1[4], v2[4];
    for (int k = 0; k < 4; ++k) {
        v1[k] = _mm256_set1_epi8(static_cast<char>(a.values1[std::min(k, a.count1 - 1)]));
        v2[k] = _mm256_set1_epi8(static_cast<char>(a.values2[std::min(k, a.count2 - 1)]));
    }
    for (; last - p >= 31; p += 32) {
        auto mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(BothFit(a, v1, v2, p)));
        for (; mask != 0; mask &= mask - 1) {
            const char* candidate = p + __builtin_ctz(mask);
            if (matches(candidate))
                return candidate;
        }
    }
    return nullptr;  // p is where the vector loop stopped; the caller goes on byte by byte
}

template <typename Match> const char* FindSse2(const AnchorBytes& a, const char*& p, const char* last, Match&& matches)
{
    __m128i v1[4], v2[4];
    for (int k = 0; k < 4; ++k) {
        v1[k] = _mm_set1_epi8(static_cast<char>(a.values1[std::min(k, a.count1 - 1)]));
        v2[k] = _mm_set1_epi8(static_cast<char>(a.values2[std::min(k, a.count2 - 1)]));
    }
    for (; last - p >= 15; p += 16) {
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + a.position1));
        const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + a.position2));
        __m128i m1 = _mm_cmpeq_epi8(b1, v1[0]);
        __m128i m2 = _mm_cmpeq_epi8(b2, v2[0]);
        for (int k = 1; k < a.count1; ++k)
            m1 = _mm_or_si128(m1, _mm_cmpeq_epi8(b1, v1[k]));
        for (int k = 1; k < a.count2; ++k)
            m2 = _mm_or_si128(m2, _mm_cmpeq_epi8(b2, v2[k]));
        auto mask = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_and_si128(m1, m2)));
        for (; mask != 0; mask &= mask - 1) {
            const char* candidate = p + __builtin_ctz(mask);
            if (matches(candidate))
                return candidate;
        }
    }
    return nullptr;
}

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

#endif

}  // namespace

LiteralScanner::LiteralScanner(std::vector<ByteSet> accepted) : accepted_(std::move(accepted))
{
    if (accepted_.empty())
        return;
    // The positions with the fewest accepted values; of those the first and the last, which are
    // the least likely to fit together by chance.
    std::size_t fewest = 256;
    std::vector<std::size_t> counts;
    for (const ByteSet& set : accepted_) {
        counts.push_back(static_cast<std::size_t>(std::count(set.begin(), set.end(), true)));
        fewest = std::min(fewest, counts.back());
    }
    const auto firstFewest = static_cast<std::size_t>(std::find(counts.begin(), counts.end(), fewest) - counts.begin());
    std::size_t lastFewest = firstFewest;
    for (std::size_t k = 0; k < counts.size(); ++k) {
        if (counts[k] <= kMaxValues)
            lastFewest = std::max(lastFewest, k);
    }
    first_ = AnchorAt(firstFewest);
    second_ = AnchorAt(lastFewest);
    vectorised_ = !first_.values.empty() && first_.values.size() <= kMaxValues && !second_.values.empty() &&
                  second_.values.size() <= kMaxValues;
}

LiteralScanner::Anchor LiteralScanner::AnchorAt(std::size_t position) const
{
    Anchor anchor;
    anchor.position = position;
    for (int b = 0; b < 256; ++b) {
        if (accepted_[position][static_cast<std::size_t>(b)])
            anchor.values.push_back(static_cast<std::uint8_t>(b));
    }
    return anchor;
}

LiteralScanner LiteralScanner::Exact(std::string_view wanted)
{
    std::vector<ByteSet> accepted(wanted.size(), ByteSet{});
    for (std::size_t k = 0; k < wanted.size(); ++k)
        accepted[k][static_cast<std::uint8_t>(wanted[k])] = true;
    return LiteralScanner(std::move(accepted));
}

LiteralScanner LiteralScanner::Folded(std::string_view wanted, const std::array<std::uint8_t, 256>& fold)
{
    std::vector<ByteSet> accepted(wanted.size(), ByteSet{});
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        for (int b = 0; b < 256; ++b)
            accepted[k][static_cast<std::size_t>(b)] =
                fold[static_cast<std::size_t>(b)] == static_cast<std::uint8_t>(wanted[k]);
    }
    return LiteralScanner(std::move(accepted));
}

bool LiteralScanner::MatchesAt(const char* p) const
{
    for (std::size_t k = 0; k < accepted_.size(); ++k) {
        if (!accepted_[k][static_cast<std::uint8_t>(p[k])])
            return false;
    }
    return true;
}

const char* LiteralScanner::Find(const char* from, const char* end) const
{
    if (accepted_.empty() || end - from < static_cast<std::ptrdiff_t>(accepted_.size()))
        return nullptr;
    if (accepted_.size() == 1 && first_.values.size() == 1)
        return static_cast<const char*>(std::memchr(from, first_.values[0], static_cast<std::size_t>(end - from)));
    return vectorised_ ? FindVector(from, end) : FindScalar(from, end);
}

const char* LiteralScanner::FindScalar(const char* from, const char* end) const
{
    const ByteSet& anchor = accepted_[first_.position];
    const char* last = end - accepted_.size();
    for (const char* p = from; p <= last; ++p) {
        if (anchor[static_cast<std::uint8_t>(p[first_.position])] && MatchesAt(p))
            return p;
    }
    return nullptr;
}

const char* LiteralScanner::FindVector(const char* from, const char* end) const
{
    const char* last = end - accepted_.size();  // the last possible start
    const char* p = from;
#if defined(__x86_64__)
    AnchorBytes a{first_.position,
                  second_.position,
                  {},
                  {},
                  static_cast<int>(first_.values.size()),
                  static_cast<int>(second_.values.size())};
    std::copy(first_.values.begin(), first_.values.end(), a.values1);
    std::copy(second_.values.begin(), second_.values.end(), a.values2);
    const auto matches = [this](const char* candidate) { return MatchesAt(candidate); };
    // The vector loop stops at a hit or where fewer starts are left than a vector is wide.
    if (const char* hit = HasAvx2() ? FindAvx2(a, p, last, matches) : FindSse2(a, p, last, matches))
        return hit;
#endif
    return FindScalar(p, end);
}

}  // namespace quill
