// Keyed centred blits and the saturating point operations.
#include <gtest/gtest.h>

#include "render/Blits.h"
#include "tests/render/DrawChecks.h"

namespace {

using draw_checks::unchangedOutside;
using vt_test::GuardedBuffer;

TEST(KeyedBlit, OddSizesLoseTheirLastColumnAndRow) {
    GuardedBuffer src(5, 5), dst(20, 20, 0x00111111), ref(20, 20, 0x00111111);
    src.fillPattern(6);
    src.at(1, 1) = 0;   // transparent
    blitKeyedCentered(dst.pixels(), src.pixels(), 10, 10, Rect{0, 0, 5, 5}, dst.pitch(), src.pitch(), 20, 20);
    for (int y = 8; y < 12; ++y)
        for (int x = 8; x < 12; ++x) {
            const Pixel s = src.at(x - 8, y - 8);
            EXPECT_EQ(dst.at(x, y), s == 0 ? 0x00111111u : s) << x << "," << y;
        }
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{8, 8, 12, 12}));
}

TEST(KeyedBlit, ClipsToTheSizeGiven) {
    GuardedBuffer src(10, 10, 0x00ABCDEF), dst(16, 12, 0x00010101), ref(16, 12, 0x00010101);
    blitKeyedCentered(dst.pixels(), src.pixels(), 1, 11, Rect{0, 0, 10, 10}, dst.pitch(), src.pitch(), 14, 12);
    EXPECT_EQ(dst.at(0, 6), 0x00ABCDEFu);
    EXPECT_EQ(dst.at(5, 11), 0x00ABCDEFu);
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{0, 6, 6, 12}));
}

TEST(PointOps, SparklesSaturateAndThePlusShapesDiffer) {
    GuardedBuffer dst(12, 12, 0x00F0F0F0), ref(12, 12, 0x00F0F0F0);
    addSparkle(dst.pixels(), dst.pitch(), 5, 5, 0x00204080);
    const int plus[9][2] = {{0, -2}, {0, -1}, {-2, 0}, {-1, 0}, {0, 0}, {1, 0}, {2, 0}, {0, 1}, {0, 2}};
    for (auto& o : plus) EXPECT_EQ(dst.at(5 + o[0], 5 + o[1]), 0x00FFFFFFu);
    EXPECT_EQ(draw_checks::countChanged(dst, ref), 9);

    GuardedBuffer b(12, 12);
    b.fillPattern(3);
    b.at(5, 5) = 0x00F01020;
    const Pixel right2 = b.at(7, 5);
    addPixelSaturatedB(b.pixels(), b.pitch(), 5, 5, 0x00200101);
    for (auto& o : plus) {
        if (o[0] == 2) continue;
        EXPECT_EQ(b.at(5 + o[0], 5 + o[1]), 0x00FF1121u);
    }
    EXPECT_EQ(b.at(7, 5), right2);   // the right arm is one pixel long

    GuardedBuffer p(4, 4, 0x00FE01FF);
    addPixelSaturated(p.pixels(), p.pitch(), 2, 1, 0x00030101);
    EXPECT_EQ(p.at(2, 1), 0x00FF02FFu);   // no channel carries into the next
    EXPECT_EQ(p.at(1, 1), 0x00FE01FFu);
}

}  // namespace
