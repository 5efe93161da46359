// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The coding step, the filler line and the code number.
#include "core/recording/Coding.h"
#include "core/recording/Cp1252.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <limits>

namespace tolvanex {
namespace {

using testing::CountingRandom;

std::string fillerBytes(float codeNbr, CountingRandom& random)
{
    return encodeCp1252Made(makeCodeLine(codeNbr, random));
}

TEST(Code, ReturnsTheTextUnchanged)
{
    EXPECT_EQ(code("", 19), "");
    EXPECT_EQ(code("two\r\nlines{}", 23), "two\r\nlines{}");
    EXPECT_EQ(code("x", 0), code("x", 28));
}

TEST(MakeCodeLine, LengthAndCodeRangesOverManyLines)
{
    CountingRandom random;
    random.seed(12345.678);
    for (float codeNbr : { 19.0f, 23.0f, 28.0f }) {
        for (int run = 0; run < 400; ++run) {
            const int before = random.draws;
            const std::string line = fillerBytes(codeNbr, random);
            ASSERT_GE(line.size(), codeNbr);
            ASSERT_LE(line.size(), 2 * codeNbr);
            const int lows = static_cast<int>(line.size()) - static_cast<int>(codeNbr);
            EXPECT_EQ(random.draws - before, 2 * static_cast<int>(codeNbr) + lows);
            for (std::size_t i = 0; i < line.size(); ++i) {
                const auto c = static_cast<unsigned char>(line[i]);
                ASSERT_TRUE((c >= 66 && c <= 116) || c >= 118) << "code " << int(c);
                if (c <= 116) {
                    ASSERT_LT(i + 1, line.size());
                    ASSERT_GE(static_cast<unsigned char>(line[i + 1]), 118);
                }
            }
            ASSERT_GE(static_cast<unsigned char>(line.back()), 118);
        }
    }
}

TEST(MakeCodeLine, DrawsMapToCodesWithHalfToEvenRounding)
{
    CountingRandom random;
    // Pass 1: r1 = 0.05 (below 0.1): r2 = 0.01 gives 66.5 -> 66 (even), r3 = 0 gives 118.
    // Pass 2: r1 = 0.5: r3 = 0.99999994 gives 254.99999 -> 255.
    random.scripted = { 0.05f, 0.01f, 0.0f, 0.5f, 0.99999994f };
    EXPECT_EQ(fillerBytes(2, random), std::string("B\x76\xFF"));
    random.scripted = { 0.0999f, 0.99999994f, 0.5f };
    EXPECT_EQ(fillerBytes(1, random), std::string("t\xBA"));
}

TEST(MakeCodeLine, ZeroPassesGiveAnEmptyLine)
{
    CountingRandom random;
    EXPECT_EQ(makeCodeLine(0, random), "");
    EXPECT_EQ(makeCodeLine(-3, random), "");
    EXPECT_EQ(random.draws, 0);
}

// Every value ends, with the whole part of the code number as the count of passes. A float
// counter stops growing at 2^24 (adding 1 no longer changes it), so 2^24 + 2 would never end.
TEST(MakeCodeLine, PassesAreCountedInWholeNumbersSoEveryValueEnds)
{
    class Halves : public RandomSource {
    public:
        void seed(double) override { }
        float next() override
        {
            ++draws;
            return 0.5f; // never below 0.1: two draws a pass
        }
        long draws = 0;
    };
    const struct {
        float codeNbr;
        long passes;
    } cases[] = {
        { 16777218.0f, 16777218 },
        { 2.9f, 2 },
        { 0.99f, 0 },
        { std::numeric_limits<float>::quiet_NaN(), 0 },
        { -std::numeric_limits<float>::infinity(), 0 },
    };
    for (const auto& c : cases) {
        Halves random;
        makeCodeLine(c.codeNbr, random);
        EXPECT_EQ(random.draws, 2 * c.passes) << c.codeNbr;
    }
}

TEST(Random, ValuesStayBelowOne)
{
    SplitMixRandom random;
    random.seed(0);
    float highest = 0;
    for (int i = 0; i < 1000000; ++i) {
        const float value = random.next();
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
        highest = std::max(highest, value);
    }
    EXPECT_GT(highest, 0.999f);
}

} // namespace
} // namespace tolvanex
