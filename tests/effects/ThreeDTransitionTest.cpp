// 3D transitions: what their geometry promises at the stages where it is
// exact, on flat pictures where a pixel's colour tells which picture it came from.
#include <gtest/gtest.h>

#include <vector>

#include "Transition/Transition_3D.h"
#include "render/CrtRandom.h"
#include "tests/effects/TransitionFixture.h"

using namespace vt_test;

namespace {

constexpr Pixel kOut = 0x00204060, kIn = 0x00C0A080;

// Two blocks: the shard records and the ice picture.
struct TwoBlocks {
    static inline std::vector<Pixel> blocks[2];
    static inline int next = 0;
    static Pixel* acquire(int32_t* slot) {
        *slot = next;
        blocks[next].assign(2702336 / 4, 0x00ABCDEF);
        return blocks[next++].data() + 237824 / 4;
    }
};

int countOf(const GuardedBuffer& b, int w, int h, Pixel value) {
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) n += b.at(x, y) == value;
    return n;
}

// Unturned tiles under a light perpendicular to them are exact copies; the
// last tile row stops a pixel short and leaves the background there.
TEST(ThreeDTransitions, BlockExplosionAtRestIsThePictureBarItsBottomRow) {
    CountingPool::reset();
    TransitionFrame f(64, 48, kOut, kIn);
    crtSrand(7);
    render3dBlockExplode(f.at(0.0f), 1, 28, 21);
    EXPECT_EQ(CountingPool::acquires, 1);
    EXPECT_EQ(CountingPool::keeps, 1);
    for (int y = 0; y < 47; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(f.canvas.at(x, y), kOut) << x << "," << y;
    for (int x = 0; x < 64; ++x) EXPECT_EQ(f.canvas.at(x, 47), kIn) << x;
    EXPECT_TRUE(f.canvas.guardIntact());
}

// Shards wait at least 64 stage units: until then the frozen picture lies in
// place, green doubled and blue times eight.
TEST(ThreeDTransitions, FrozenShardsWaitInPlaceTinted) {
    TransitionFrame f(64, 48, kOut, kIn);
    TwoBlocks::next = 0;
    f.record.acquireBuffer = TwoBlocks::acquire;
    crtSrand(3);
    render3dFreezenExplode(f.at(0.24f), 1, 0, 28, 21);   // P = 61
    EXPECT_EQ(f.canvas.at(32, 24), 0x002080FFu);
    EXPECT_GT(countOf(f.canvas, 64, 48, 0x002080FF), 64 * 46);
}

// The blind's slats at P = 0 show the front picture unturned, lit flat:
// 120 + 0.5 x 256 = 248 for the vertical, 210 for the horizontal.
TEST(ThreeDTransitions, SolidBlindsStartUnturnedAndFlatLit) {
    const Pixel expectedVertical = ((0x20 * 248) >> 8) << 16 | ((0x40 * 248) >> 8) << 8 | ((0x60 * 248) >> 8);
    const Pixel expectedHorizontal = ((0x20 * 210) >> 8) << 16 | ((0x40 * 210) >> 8) << 8 | ((0x60 * 210) >> 8);
    TransitionFrame v(64, 48, kOut, kIn);
    render3dBlindVertical(v.at(0.0f), 0, 16, 0x2F1055, 0, 0, 1, 1);
    EXPECT_EQ(v.canvas.at(10, 10), expectedVertical);
    EXPECT_GT(countOf(v.canvas, 64, 48, expectedVertical), 64 * 48 * 9 / 10);
    TransitionFrame h(64, 48, kOut, kIn);
    render3dBlindHorizontal(h.at(0.0f), 0, 16, 0x2F1055, 0, 0, 1, 1);
    EXPECT_EQ(h.canvas.at(10, 10), expectedHorizontal);
    EXPECT_GT(countOf(h.canvas, 64, 48, expectedHorizontal), 64 * 48 * 9 / 10);
}

// No slats: only the background.
TEST(ThreeDTransitions, BlindWithoutSlatsDrawsOnlyTheBackground) {
    TransitionFrame f(40, 30, kOut, kIn);
    render3dBlindVertical(f.at(0.5f), 0, 0, 0x2F1055, 0, 0, 1, 1);
    EXPECT_EQ(countOf(f.canvas, 40, 30, 0x2F1055), 40 * 30);
}

// Halfway the page stands upright and edge-on: each half shows its background.
TEST(ThreeDTransitions, PageTurnHalfwayShowsBothHalvesUncovered) {
    TransitionFrame f(64, 48, kOut, kIn);
    render3dPageSide(f.at(0.5f), 0);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 31; ++x) ASSERT_EQ(f.canvas.at(x, y), kOut) << x << "," << y;
        for (int x = 33; x < 64; ++x) ASSERT_EQ(f.canvas.at(x, y), kIn) << x << "," << y;
    }
}

// A ball2 with m = 0 is a line through the centre over the background.
TEST(ThreeDTransitions, BallTwoStartsAsALine) {
    TransitionFrame f(64, 48, kOut, kIn);
    render3dBall2(f.at(0.0f), 0);
    EXPECT_GT(countOf(f.canvas, 64, 48, kOut), 64 * 48 - 3 * 48);
}

// The ball's background fades with the stage: black when the ball lies flat.
TEST(ThreeDTransitions, BallBackgroundIsBlackWhenTheBallIsFlat) {
    TransitionFrame f(64, 48, kOut, kIn);
    render3dBall(f.at(0.5f), 135, 0);   // s = 512: background x 128 / 256
    EXPECT_EQ(f.canvas.at(0, 47), 0x00102030u);
}

// A closed curtain lies flat: one lit colour everywhere.
TEST(ThreeDTransitions, ClosedCurtainIsFlatAndEvenlyLit) {
    TransitionFrame f(64, 48, kOut, kIn);
    render3dCurtain(f.at(0.0f), 1, 80);
    const Pixel lit = f.canvas.at(20, 20);
    EXPECT_NE(lit, kOut);
    EXPECT_GT(countOf(f.canvas, 64, 48, lit), 64 * 48 * 95 / 100);
}

// The banner is painted once and kept; with the pool dry the slab is drawn
// without it instead of painting through a null buffer.
TEST(ThreeDTransitions, NameSlabKeepsItsBannerAndSurvivesADryPool) {
    CountingPool::reset();
    TransitionFrame f(120, 90, kOut, kIn);
    crtSrand(11);
    render3dNameSlab(f.at(0.6f, 1), 1, 1.0f, 1.0f);
    const std::vector<Pixel> first(CountingPool::block.begin(), CountingPool::block.end());
    render3dNameSlab(f.at(0.6f, 0), 1, 1.0f, 1.0f);
    EXPECT_EQ(CountingPool::acquires, 1);
    EXPECT_EQ(CountingPool::keeps, 2);
    EXPECT_TRUE(first == CountingPool::block);

    CountingPool::reset();
    CountingPool::dry = true;
    TransitionFrame d(120, 90, kOut, kIn);
    d.record.buffers[0] = nullptr;
    render3dNameSlab(d.at(0.0f, 1), 0, 1.0f, 1.0f);   // far off: the corner shows the background
    EXPECT_EQ(d.canvas.at(0, 0), kOut);
    EXPECT_TRUE(d.canvas.guardIntact());
}

}  // namespace
