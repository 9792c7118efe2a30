// Random colours, rectangle fills and the soft cross-fades.
#include <gtest/gtest.h>

#include "render/CrtRandom.h"
#include "render/Fills.h"
#include "render/TrigTables.h"
#include "tests/render/DrawChecks.h"

namespace {

using draw_checks::countChanged;
using draw_checks::unchangedOutside;
using vt_test::GuardedBuffer;

TEST(RandomColours, ThreeDrawsRedGreenBlue) {
    crtSrand(1);   // 41, 18467, 6334
    EXPECT_EQ(randomColor(), 0x002923BEu);
    crtSrand(1);
    for (int i = 0; i < 3; ++i) crtRand();
    const uint32_t afterThree = crtRandState();
    crtSrand(1);
    randomColor();
    EXPECT_EQ(crtRandState(), afterThree);
}

TEST(RandomColours, SmoothColoursStayInRangeAtThePeaks) {
    buildTrigTables();
    // A seed whose first draw is 0..3 gives angle index 0: cosine at its peak.
    uint32_t seed = 0;
    for (;; ++seed) {
        crtSrand(seed);
        if (crtRand() < 4) break;
    }
    crtSrand(seed);
    EXPECT_EQ(randomSmoothColor(), 0x00FF8000u);   // red 128 + 128 limited, green 128, blue 128 - 128
    crtSrand(99);
    for (int i = 0; i < 20000; ++i) {
        const Pixel c = randomSmoothColor();
        ASSERT_EQ(c >> 24, 0u);
    }
}

TEST(Fill, RectangleAndEmptyRectangles) {
    GuardedBuffer dst(10, 8, 0), ref(10, 8, 0);
    fillRect(dst.pixels(), Rect{2, 3, 5, 4}, dst.pitch(), 0x00ABCDEF);
    EXPECT_EQ(countChanged(dst, ref), 3);
    EXPECT_EQ(dst.at(4, 3), 0x00ABCDEFu);
    fillRect(dst.pixels(), Rect{5, 3, 5, 7}, dst.pitch(), 0x00FFFFFF);
    fillRect(dst.pixels(), Rect{6, 5, 2, 1}, dst.pitch(), 0x00FFFFFF);
    EXPECT_EQ(countChanged(dst, ref), 3);
}

TEST(CrossFades, AlongAFlatLineTheBandRunsDownEachColumn) {
    const int W = 40, H = 30;
    GuardedBuffer a(W, H, 0), b(W, H, 0x00FFFFFF), dst(W, H, 0x00123456), ref(W, H, 0x00123456);
    const Rect clip{0, 0, W, H};
    blendAlongLine(dst.pixels(), a.pixels(), b.pixels(), IntPoint{5, 15}, IntPoint{30, 15}, 8, dst.pitch(), 0, 0,
                   0, clip);
    // h = a = 4: rows 11 .. 18, weight j x 512 for row 11 + j.
    for (int j = 0; j < 8; ++j) EXPECT_EQ(dst.at(10, 11 + j), ((255u * j * 512) >> 12) * 0x010101u) << j;
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{5, 11, 31, 19}));
    dst.fill(0x00123456);
    blendAlongLine(dst.pixels(), a.pixels(), b.pixels(), IntPoint{5, 15}, IntPoint{30, 15}, 8, dst.pitch(), 0, 0,
                   1, clip);
    EXPECT_EQ(dst.at(10, 11), 0x00FFFFFFu);   // swapped: the upper side is the second picture
}

TEST(CrossFades, AlongASteepLineTheBandRunsAcrossEachRow) {
    const int W = 40, H = 30;
    GuardedBuffer a(W, H, 0), b(W, H, 0x00FFFFFF), dst(W, H, 0x00123456), ref(W, H, 0x00123456);
    const Rect clip{0, 0, W, H};
    blendAlongLine(dst.pixels(), a.pixels(), b.pixels(), IntPoint{20, 2}, IntPoint{20, 28}, 6, dst.pitch(), 0, 0, 0,
                   clip);
    // h = 3, a = 3: columns 17 .. 23, weight (x - 17) x 2796202 / 4096.
    EXPECT_EQ(dst.at(17, 10), 0u);
    EXPECT_EQ(dst.at(23, 10), 0x00FEFEFEu);   // k = 4095 at the right edge
    EXPECT_EQ(dst.at(20, 10), ((255u * 2047) >> 12) * 0x010101u);
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{17, 2, 24, 28}));
    // A clip cutting the band, a diagonal line, and degenerate calls.
    dst.fill(0x00123456);
    const Rect small{10, 5, 22, 20};
    blendAlongLine(dst.pixels(), a.pixels(), b.pixels(), IntPoint{0, 0}, IntPoint{39, 29}, 10, dst.pitch(), 0, 0, 0,
                   small);
    blendAlongLine(dst.pixels(), a.pixels(), b.pixels(), IntPoint{30, 0}, IntPoint{12, 29}, 14, dst.pitch(), 0, 0, 1,
                   small);
    EXPECT_TRUE(unchangedOutside(dst, ref, small));
    GuardedBuffer untouched(W, H, 0x00123456);
    blendAlongLine(untouched.pixels(), a.pixels(), b.pixels(), IntPoint{7, 7}, IntPoint{7, 7}, 10, dst.pitch(), 0,
                   0, 0, clip);
    blendAlongLine(untouched.pixels(), a.pixels(), b.pixels(), IntPoint{0, 3}, IntPoint{30, 9}, 1, dst.pitch(), 0, 0,
                   0, clip);
    EXPECT_EQ(countChanged(untouched, ref), 0);
}

TEST(CrossFades, AroundACircle) {
    const int W = 30, H = 24;
    GuardedBuffer a(W, H, 0x00FFFFFF), b(W, H, 0), dst(W, H, 0x00123456), ref(W, H, 0x00123456);
    blendAroundCircle(dst.pixels(), a.pixels(), b.pixels(), IntPoint{15, 12}, 0, 8, W, H, dst.pitch());
    EXPECT_EQ(dst.at(15, 12), 0x00FFFFFFu);   // A alone at the centre only
    // c = 2^27 / 16: k = (c x 7) >> 15 = 1792 next to the centre.
    EXPECT_EQ(dst.at(16, 12), ((255u * 1792) >> 12) * 0x010101u);
    EXPECT_EQ(dst.at(23, 12), 0u);
    EXPECT_EQ(dst.at(0, 0), 0u);
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{0, 0, W, H}));
    blendAroundCircle(dst.pixels(), a.pixels(), b.pixels(), IntPoint{15, 12}, 6, 0, W, H, dst.pitch());
    EXPECT_EQ(dst.at(20, 12), 0x00FFFFFFu);   // no band: a hard edge, no division by zero
    EXPECT_EQ(dst.at(21, 12), 0u);
    blendAroundCircle(dst.pixels(), a.pixels(), b.pixels(), IntPoint{15, 12}, 10, 3, W, H, dst.pitch());
    EXPECT_EQ(dst.at(15, 12), 0x00FFFFFFu);
    EXPECT_EQ(dst.at(0, 12), 0u);
    const Pixel mid = dst.at(25, 12);   // on the radius: about half and half
    EXPECT_NEAR(static_cast<int>(mid & 0xFF), 128, 24);
}

}  // namespace
