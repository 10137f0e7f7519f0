// The character classes and case rule the automaton spells against the expression library's own
// matching, and their spelling as UTF-8 bytes against an automaton that reads it.
#include <gtest/gtest.h>

#include <boost/regex/icu.hpp>
#include <hs/hs.h>
#include <string>

#include "common/Utf8.h"
#include "search/CodePointSet.h"
#include "search/UnicodeClasses.h"

namespace quill::test {
namespace {

// Every character where scripts are dense, then a sample of the rest.
template <typename Visit> void SomeCharacters(Visit&& visit)
{
    for (char32_t c = 0; c <= CodePointSet::kLast; c += c < 0x3400 ? 1 : 13)
        if (c < 0xD800 || c > 0xDFFF)
            visit(c);
}

TEST(UnicodeClassesTest, TheClassesAndTheCaseRuleAreTheExpressionLibrarys)
{
    for (const char letter : {'w', 'd', 's'}) {
        const CodePointSet* set = UnicodeClass(letter);
        ASSERT_NE(set, nullptr);
        const boost::u32regex expression = boost::make_u32regex(std::string("\\") + letter);
        SomeCharacters([&](char32_t c) {
            const auto u = static_cast<UChar32>(c);
            ASSERT_EQ(set->Contains(c), boost::u32regex_match(&u, &u + 1, expression))
                << letter << " U+" << std::hex << static_cast<unsigned>(c);
        });
    }
    EXPECT_EQ(UnicodeClass('h'), nullptr);
    // A case-blind expression takes exactly the case variants for a character.
    for (const char32_t c : {U'k', U'i', U'\u00e9', U'\u03c3', U'\u00df', U'\u0130', U'\u01c5', U'\u1e9e'}) {
        const CodePointSet variants = CaseVariants(c);
        const auto u = static_cast<UChar32>(c);
        const boost::u32regex expression =
            boost::make_u32regex(&u, &u + 1, boost::regex::perl | boost::regex::icase | boost::regex::literal);
        SomeCharacters([&](char32_t x) {
            const auto v = static_cast<UChar32>(x);
            ASSERT_EQ(variants.Contains(x), boost::u32regex_match(&v, &v + 1, expression))
                << "U+" << std::hex << static_cast<unsigned>(c) << " U+" << static_cast<unsigned>(x);
        });
    }
}

TEST(UnicodeClassesTest, TheUtf8SpellingTakesExactlyTheMembers)
{
    CodePointSet odd;  // ranges across every change of encoded length, and single characters
    odd.Add(0x7A, 0x90);
    odd.Add(0x7F0, 0x812);
    odd.Add(0xD7F0, 0xE010);  // around the surrogates, which are cut out
    odd.Add(0xFFF0, 0x10010);
    odd.Add(0x10FFF0, 0x10FFFF);
    odd.Add(0x3B1);
    EXPECT_FALSE(odd.Contains(0xD900));
    for (const CodePointSet* set : {static_cast<const CodePointSet*>(&odd), UnicodeClass('w'), UnicodeClass('d')}) {
        const std::string pattern = "^(?:" + set->Utf8Alternatives() + ")$";
        hs_database_t* database = nullptr;
        hs_compile_error_t* error = nullptr;
        ASSERT_EQ(hs_compile(pattern.c_str(), HS_FLAG_SINGLEMATCH, HS_MODE_BLOCK, nullptr, &database, &error),
                  HS_SUCCESS);
        hs_scratch_t* scratch = nullptr;
        ASSERT_EQ(hs_alloc_scratch(database, &scratch), HS_SUCCESS);
        SomeCharacters([&](char32_t c) {
            if (c < 0x80)
                return;
            std::string bytes;
            AppendUtf8(bytes, c);
            bool matched = false;
            hs_scan(
                database, bytes.data(), static_cast<unsigned>(bytes.size()), 0, scratch,
                [](unsigned, unsigned long long, unsigned long long, unsigned, void* found) {
                    *static_cast<bool*>(found) = true;
                    return 0;
                },
                &matched);
            ASSERT_EQ(matched, set->Contains(c)) << "U+" << std::hex << static_cast<unsigned>(c);
        });
        hs_free_scratch(scratch);
        hs_free_database(database);
    }
    // The complement holds what the set does not, surrogates aside.
    const CodePointSet rest = odd.Complement();
    for (const char32_t c : {char32_t{0}, char32_t{0x79}, char32_t{0x91}, char32_t{0xD7EF}, char32_t{0x3B1}})
        EXPECT_NE(rest.Contains(c), odd.Contains(c));
    EXPECT_FALSE(rest.Contains(0xDC00));
}

}  // namespace
}  // namespace quill::test
