// Warping transitions: the shapes their arithmetic promises, on flat pictures
// where a pixel's colour tells which picture it came from.
#include <gtest/gtest.h>

#include <cmath>

#include "Transition/Transition_Warping.h"
#include "render/CrtRandom.h"
#include "tests/effects/TransitionFixture.h"

using namespace vt_test;

namespace {

constexpr Pixel kOut = 0x00204060, kIn = 0x00C0A080;

TEST(WarpingTransitions, JewelAtRestBlacksOnlyTheFirstPixel) {
    TransitionFrame f(64, 48, kOut, kIn);
    renderWaJewel(f.at(0.0f));
    EXPECT_EQ(f.canvas.at(0, 0), 0u);
    EXPECT_EQ(f.canvas.at(1, 0), kOut);
    EXPECT_EQ(f.canvas.at(63, 47), kOut);
    EXPECT_TRUE(f.canvas.guardIntact());
}

TEST(WarpingTransitions, CircleStartsAsASmallDiscAndCoversTheScreenSoonAfterHalfway) {
    TransitionFrame f(800, 600, kOut, kIn);
    renderWaCircle(f.at(0.0f), 0);   // radius sqrt(131072 * 256 / 70000) = 21.9
    EXPECT_EQ(f.canvas.at(400 + 20, 300), kIn);
    EXPECT_EQ(f.canvas.at(400 + 23, 300), kOut);
    renderWaCircle(f.at(0.6f), 0);
    EXPECT_EQ(f.canvas.at(0, 0), kIn);
    EXPECT_EQ(f.canvas.at(799, 599), kIn);
}

TEST(WarpingTransitions, ExplodeBallOpensOnlyFromHalfway) {
    for (float p : {0.0f, 0.3f, 0.49f}) {
        TransitionFrame f(200, 150, kOut, kIn);
        renderWaExplodeBall(f.at(p), 0);
        EXPECT_EQ(f.canvas.at(100, 75), kOut) << p;
    }
    TransitionFrame f(200, 150, kOut, kIn);
    renderWaExplodeBall(f.at(0.51f), 0);
    EXPECT_EQ(f.canvas.at(100, 75), kIn);
    EXPECT_EQ(f.canvas.at(0, 0), kOut);
}

TEST(WarpingTransitions, PullLensNeverFetchesTheInnerPicturesFirstRowOrColumn) {
    TransitionFrame f(120, 90, kOut, kIn);
    for (int x = 0; x < 120; ++x) f.in.at(x, 0) = 0x00FF0000;
    for (int y = 0; y < 90; ++y) f.in.at(0, y) = 0x00FF0000;
    for (float p : {0.0f, 0.2f, 0.5f, 0.8f, 0.999f}) {
        renderWaP1(f.at(p), 0);
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 120; ++x) ASSERT_NE(f.canvas.at(x, y), 0x00FF0000u) << p << " at " << x << "," << y;
    }
}

TEST(WarpingTransitions, TornadoInEndsNearlyUnmoved) {
    CountingPool::reset();
    TransitionFrame f(160, 120, kOut, kIn);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) f.in.at(x, y) = static_cast<Pixel>(x << 8);   // a green ramp
    renderWaTornado(f.at(0.999f), 0, 1.0f);
    int near = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) near += std::abs(int(f.canvas.at(x, y) >> 8) - x) <= 1;
    EXPECT_GT(near, 160 * 120 * 95 / 100);
}

// The rain replays exactly from a seed, and with the pool dry it falls back
// to a plain cross-fade instead of writing through a null field.
TEST(WarpingTransitions, RainReplaysFromItsSeedAndSurvivesADryPool) {
    auto run = [](uint32_t seed) {
        CountingPool::reset();
        TransitionFrame f(96, 64, kOut, kIn);
        f.out.fillPattern(1);
        f.in.fillPattern(2);
        crtSrand(seed);
        for (int i = 0; i < 6; ++i) renderWaRain(f.at(0.1f * i, i == 0), 2000, 4, 5, 4);
        return f.canvas.checksum();
    };
    EXPECT_EQ(run(7), run(7));
    EXPECT_NE(run(7), run(8));
    CountingPool::reset();
    CountingPool::dry = true;
    TransitionFrame f(96, 64, kOut, kIn);
    renderWaRainFall(f.at(0.5f));
    renderWaRain(f.at(0.5f), 2000, 4, 5, 0);
    EXPECT_EQ(f.canvas.at(10, 10), blendPixel(kOut, kIn, 128));
    EXPECT_TRUE(f.canvas.guardIntact());
}

}  // namespace
