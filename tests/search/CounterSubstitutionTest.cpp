// Counter markers against the printf conversions they stand for.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "search/CounterSubstitution.h"

namespace quill::test {
namespace {

std::string Substituted(std::string text, std::int32_t value)
{
    SubstituteCounter(text, value);
    return text;
}

TEST(CounterSubstitutionTest, MarkersBecomeTheValue)
{
    EXPECT_EQ(Substituted("ID-\xB5"
                          "03d",
                          7),
              "ID-007");
    EXPECT_EQ(Substituted("\xB5"
                          "03d",
                          -5),
              "-05");
    EXPECT_EQ(Substituted("[\xB5"
                          "4d]",
                          42),
              "[  42]");
    EXPECT_EQ(Substituted("\xB5"
                          "d and \xB5"
                          "d",
                          12),
              "12 and 12");  // every marker gets the same value
    EXPECT_EQ(Substituted("\xB5"
                          "3x",
                          1),
              "\xB5"
              "3x");  // not a "d": unchanged
    EXPECT_EQ(Substituted("end \xB5"
                          "12",
                          1),
              "end \xB5"
              "12");  // digits up to the end
    EXPECT_EQ(Substituted("\xB5", 1), "\xB5");
    EXPECT_EQ(Substituted("\xB5\xB5"
                          "d",
                          3),
              "\xB5"
              "3");
    EXPECT_EQ(Substituted("\xB5"
                          "99999999999d",
                          1)
                  .size(),
              1000u);  // held to 1,000 columns
}

TEST(CounterSubstitutionTest, WidthsMatchPrintfOnRandomValues)
{
    std::mt19937 random(5);
    for (int round = 0; round < 2000; ++round) {
        const auto value = static_cast<std::int32_t>(random());
        const std::string digits = (random() % 2 ? "0" : "") + std::to_string(random() % 15);
        char expected[64];
        std::snprintf(expected, sizeof expected, ("%" + digits + "d").c_str(), value);
        EXPECT_EQ(Substituted("\xB5" + digits + "d", value), expected) << digits << " " << value;
    }
}

}  // namespace
}  // namespace quill::test
