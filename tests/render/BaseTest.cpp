// The shared base: the C runtime's generator and the defined truncation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/CrtRandom.h"
#include "render/FloatToInt.h"

TEST(CrtRandom, SeedOneGivesTheRuntimeSequence) {
    crtSrand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int e : expected) EXPECT_EQ(crtRand(), e);
}

TEST(CrtRandom, SameSeedSameSequenceAndRange) {
    crtSrand(987654321);
    int first[100];
    for (int& v : first) v = crtRand();
    crtSrand(987654321);
    for (int v : first) {
        int again = crtRand();
        EXPECT_EQ(again, v);
        EXPECT_GE(again, 0);
        EXPECT_LE(again, kCrtRandMax);
    }
}

TEST(Truncation, TowardZeroAndDefinedOutOfRange) {
    struct Case { double in; int32_t out; } cases[] = {
        {2.9, 2}, {-2.9, -2}, {0.999f, 0}, {-0.5, 0}, {2147483647.0, 2147483647},
        {-2147483648.0, INT32_MIN}, {3e9, INT32_MIN}, {-3e9, INT32_MIN},
        {std::numeric_limits<double>::infinity(), INT32_MIN},
        {std::numeric_limits<double>::quiet_NaN(), INT32_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(truncToInt(c.in), c.out) << c.in;
    EXPECT_EQ(truncToInt(1e20f), INT32_MIN);
    EXPECT_EQ(truncToInt(-7.75f), -7);
}
