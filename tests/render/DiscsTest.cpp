// Discs, rings and glows.
#include <gtest/gtest.h>

#include <cstdlib>

#include <vector>

#include "render/ChannelMath.h"
#include "render/Discs.h"
#include "render/TrigTables.h"
#include "tests/render/DrawChecks.h"

namespace {

using draw_checks::countChanged;
using draw_checks::unchangedOutside;
using vt_test::GuardedBuffer;

constexpr Pixel kGrey = 0x00404040;

// The glows' SSE2 weighted-add run and the plain one agree: every weight from 0
// to the cut (65536) in steps that meet both halves of the split, full-range
// channels (saturating and not), a colour with a top byte, runs of every length mod 4.
TEST(AddWeightedSpan, VectorFormEqualsThePlainForm) {
    uint32_t v = 7;
    auto next = [&] { return v = v * 1664525u + 1013904223u; };
    std::vector<uint32_t> weights;
    for (uint32_t k = 0; k <= 65536; k += 37) weights.push_back(k);
    for (uint32_t k : {0u, 1u, 255u, 256u, 257u, 65535u, 65536u}) weights.push_back(k);
    for (Pixel colour : {0x00FFFFFFu, 0xFF102030u, 0x00800001u, 0u}) {
        for (int32_t n : {0, 1, 3, 4, 7, static_cast<int32_t>(weights.size())}) {
            std::vector<Pixel> a(static_cast<size_t>(n));
            for (Pixel& p : a) p = next() & ((next() & 1) ? 0x00FFFFFFu : 0xFFFFFFFFu);
            std::vector<Pixel> b = a;
            channel_math::addWeightedSpan(a.data(), n, colour, weights.data());
            channel_math::addWeightedSpanPlain(b.data(), n, colour, weights.data());
            EXPECT_EQ(a, b) << "colour " << colour << ", n " << n;
        }
    }
}

class Discs : public ::testing::Test {
protected:
    void SetUp() override { buildTrigTables(); }
};

// Which of the 7 x 7 pixels about (10, 10) differ from the fill.
std::vector<std::string> maskAround(const GuardedBuffer& b, Pixel fill, int r = 3) {
    std::vector<std::string> rows;
    for (int y = 10 - r; y <= 10 + r; ++y) {
        std::string row;
        for (int x = 10 - r; x <= 10 + r; ++x) row += b.at(x, y) != fill ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST_F(Discs, OpaqueDiscsAndRingsHaveTheirShapes) {
    GuardedBuffer disc(21, 21, kGrey);
    fillDisc(disc.pixels(), disc.pitch(), 10, 10, 3, 0x00FF0000);
    const std::vector<std::string> want = {"...#...", ".#####.", ".#####.", "#######", ".#####.", ".#####.", "...#..."};
    EXPECT_EQ(maskAround(disc, kGrey), want);

    GuardedBuffer full(21, 21, kGrey);
    fillRing(full.pixels(), full.pitch(), 10, 10, 3, 3, 0x00FF0000);   // t = r: the whole disc
    EXPECT_TRUE(full.sameVisible(disc));
    GuardedBuffer ring(21, 21, kGrey);
    fillRing(ring.pixels(), ring.pitch(), 10, 10, 3, 1, 0x00FF0000);
    const std::vector<std::string> ringWant = {"...#...", ".#####.", ".##.##.", "##...##", ".##.##.", ".#####.", "...#..."};
    EXPECT_EQ(maskAround(ring, kGrey), ringWant);

    GuardedBuffer clipped(21, 21, kGrey), ref(21, 21, kGrey);
    const Rect clip{0, 0, 11, 21};
    fillDiscClipped(clipped.pixels(), clip, clipped.pitch(), 10, 10, 3, 0x00FF0000);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 11; ++x) EXPECT_EQ(clipped.at(x, y), disc.at(x, y));
    EXPECT_TRUE(unchangedOutside(clipped, ref, clip));
    blendDiscClipped(clipped.pixels(), clip, clipped.pitch(), 10, 10, 3, 0x000000FF, 128);
    EXPECT_EQ(clipped.at(10, 10), 0x007F007Fu);
    EXPECT_EQ(clipped.at(7, 10), 0x007F007Fu);
    EXPECT_TRUE(unchangedOutside(clipped, ref, clip));
}

TEST_F(Discs, ShadedAndBubbleDiscs) {
    GuardedBuffer shaded(21, 21, kGrey);
    fillShadedDisc(shaded.pixels(), shaded.pitch(), 10, 10, 4, 0x00FF0000);
    EXPECT_EQ(shaded.at(10, 10), 0x00FFFFFFu);   // white centre
    EXPECT_EQ(shaded.at(14, 10), 0x00FF0000u);   // the colour at the rim: 255 - 255 x 16 x 4096 >> 16
    EXPECT_EQ(shaded.at(10, 8), 0x00FFBFBFu);    // 255 + (-255 x 4 x 4096 >> 16)

    GuardedBuffer bubble(21, 21, kGrey), ref(21, 21, kGrey);
    const Rect clip{0, 0, 21, 21};
    drawBubbleDisc(bubble.pixels(), clip, bubble.pitch(), 10, 10, 4, 0x00FFFFFF);
    EXPECT_EQ(bubble.at(10, 10), kGrey);                       // weight 0 at the centre
    EXPECT_EQ(bubble.at(14, 10), 0x00FFFFFFu);                 // 256 at the rim
    EXPECT_EQ(bubble.at(12, 10), 0x006F6F6Fu);                 // weight 64
    EXPECT_TRUE(unchangedOutside(bubble, ref, Rect{6, 6, 15, 15}));
    fillShadedDisc(bubble.pixels(), bubble.pitch(), 10, 10, 0, 0x00FF0000);   // radius 0: no division
    EXPECT_EQ(bubble.at(10, 10), kGrey);
}

TEST_F(Discs, SoftRingsPeakOnTheRadius) {
    GuardedBuffer dst(64, 64, 0), ref(64, 64, 0);
    drawSoftRing(dst.pixels(), dst.pitch(), 32, 32, 10, 1, 0x00FFFFFF);
    EXPECT_EQ(dst.at(42, 32), 0x00FFFFFFu);
    EXPECT_EQ(dst.at(32, 42), 0x00FFFFFFu);
    EXPECT_EQ(dst.at(32, 32), 0u);
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{20, 20, 45, 45}));
    const Rect clip{0, 0, 30, 64};
    GuardedBuffer add(64, 64, 0x00101010), addRef(64, 64, 0x00101010);
    drawAdditiveRing(add.pixels(), add.pitch(), clip, 32, 32, 10, 2, 0x00808080);
    EXPECT_EQ(add.at(22, 32), 0x00909090u);
    EXPECT_TRUE(unchangedOutside(add, addRef, clip));
    drawAdditiveRing(add.pixels(), add.pitch(), clip, 32, 32, 10, 0, 0x00808080);   // no width: nothing
    drawSoftRing(add.pixels(), add.pitch(), 32, 32, 10, -3, 0x00808080);
    EXPECT_EQ(add.at(22, 32), 0x00909090u);
}

// Radius plus twice the width beyond what the square-root table covers.
TEST_F(Discs, LargeRingsAndGlowsReadNoFurtherThanTheTable) {
    GuardedBuffer dst(600, 600, 0);
    drawSoftRing(dst.pixels(), dst.pitch(), 300, 300, 200, 20, 0x00FFFFFF);
    EXPECT_EQ(dst.at(500, 300), 0x00FEFEFEu);   // weight 255: 32768 / 40 truncated
    EXPECT_EQ(dst.at(300, 100), 0x00FEFEFEu);
    EXPECT_EQ(dst.at(300, 300), 0u);
    dst.fill(0);
    drawGlowDisc(dst.pixels(), dst.pitch(), 300, 300, 290, 0x00FFFFFF, 64);
    drawGlowDiscC(dst.pixels(), dst.pitch(), 300, 300, 290, 0x00FFFFFF, 64);
    EXPECT_EQ(dst.at(300, 300), 0x00FFFFFFu);
    EXPECT_EQ(dst.at(300 - 290, 300), 0u);
    EXPECT_NE(dst.at(300 - 280, 300), 0u);
    EXPECT_TRUE(dst.guardIntact());
}

TEST_F(Discs, GlowCentresAndEnds) {
    GuardedBuffer a(40, 40, 0), b(40, 40, 0);
    drawGlowDisc(a.pixels(), a.pitch(), 20, 20, 10, 0x00101010, 64);
    drawGlowDiscB(b.pixels(), b.pitch(), 20, 20, 10, 0x00101010, 64);
    // h = 10485, o = 255, centre weight (100 x 255 x 10485) >> 20 = 254: 16 x 254 >> 8 = 15.
    EXPECT_EQ(a.at(20, 20), 0x000F0F0Fu);
    EXPECT_EQ(a.at(10, 20), 0u);   // the row's left end dx = -r is not reached
    EXPECT_EQ(b.at(20, 20), 4 * a.at(20, 20));
    EXPECT_EQ(b.at(23, 20), 2 * a.at(23, 20));
    EXPECT_EQ(b.at(20, 17), 2 * a.at(20, 17));
    EXPECT_EQ(b.at(23, 23), a.at(23, 23));
    for (int y = 11; y < 30; ++y)   // symmetric about the centre row (the last row is not drawn)
        for (int x = 11; x < 30; ++x) EXPECT_EQ(b.at(x, y), b.at(40 - x, 40 - y)) << x << "," << y;
}

TEST_F(Discs, ClippedGlowsStayStrictlyInside) {
    const Rect clip{0, 0, 30, 30};
    GuardedBuffer dst(40, 40, 0), ref(40, 40, 0);
    drawGlowDiscClipped(dst.pixels(), dst.pitch(), clip, 2, 3, 12, 0x00FFFFFF, 200);
    drawGlowDiscCClipped(dst.pixels(), dst.pitch(), clip, 28, 27, 12, 0x00FFFFFF, 200);
    drawAdditiveDiscClipped(dst.pixels(), dst.pitch(), clip, 1, 28, 9, 0x00FFFFFF, 0);
    drawGlowDiscClipped(dst.pixels(), dst.pitch(), clip, 15, 15, 100000, 0x00FFFFFF, 200);   // limited to 256
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{1, 1, 30, 30}));
    EXPECT_NE(dst.at(1, 3), 0u);
}

TEST_F(Discs, OtherGlowShapes) {
    GuardedBuffer cross(40, 40, 0), exact(40, 40, 0), ball(40, 40, 0x00ABCDEF), ref(40, 40, 0);
    drawGlowCross(cross.pixels(), cross.pitch(), 20, 20, 10, 0x00FFFFFF, 256);
    EXPECT_EQ(cross.at(20, 20), 0x00FFFFFFu);
    EXPECT_EQ(cross.at(25, 25), 0u);   // outside the diamond
    EXPECT_NE(cross.at(24, 20), 0u);
    EXPECT_TRUE(unchangedOutside(cross, ref, Rect{10, 10, 30, 30}));

    drawGlowDiscExact(exact.pixels(), exact.pitch(), 20, 20, 12, 0x00404040, 64);
    // e = 6, g = 9: brightest on radius 9, nothing inside radius 6.
    EXPECT_EQ(exact.at(20, 20), 0u);
    EXPECT_EQ(exact.at(29, 20), 0x001F1F1Fu);   // weight (21845 x 3 x 64) >> 16 = 63: (64 x 63) >> 7
    EXPECT_GT(exact.at(29, 20), exact.at(31, 20));
    EXPECT_GT(exact.at(29, 20), exact.at(27, 20));

    drawAdditiveDisc(ball.pixels(), ball.pitch(), 20, 20, 8, 0x00402010, 0);
    EXPECT_EQ(ball.at(16, 16), 0x007F3F1Fu);   // o = 511 at r / 2 up and left: about twice the colour
    EXPECT_EQ(ball.at(29, 20), 0x00ABCDEFu);   // outside the disc
    EXPECT_LT(ball.at(26, 24) & 0xFF0000, 0x400000u);
}

TEST_F(Discs, LightCrossFadesAlongItsArms) {
    const Rect clip{0, 0, 20, 20};
    GuardedBuffer dst(20, 20, 0), ref(20, 20, 0);
    drawLightCrossB(dst.pixels(), dst.pitch(), clip, 10, 10, 4, 100, 40, 255);
    EXPECT_EQ(dst.at(10, 10), 0x00C850FFu);          // added twice
    EXPECT_EQ(dst.at(11, 10), 0x004B1EC0u);          // c - (16384 c >> 16)
    EXPECT_EQ(dst.at(10, 14), 0u);                   // fades to 0 at the arm's end
    EXPECT_EQ(countChanged(dst, ref), 13);   // two arms of 9, the centre shared, the 4 ends add 0
    drawLightCrossB(dst.pixels(), dst.pitch(), clip, 19, 10, 4, 100, 40, 255);   // the last column
    drawLightCrossB(dst.pixels(), dst.pitch(), clip, 5, 5, 0, 100, 40, 255);     // no length
    EXPECT_EQ(countChanged(dst, ref), 13);
    drawLightCrossB(dst.pixels(), dst.pitch(), clip, 1, 17, 30, -50, 300, 10);
    EXPECT_TRUE(unchangedOutside(dst, ref, clip));
}

}  // namespace
