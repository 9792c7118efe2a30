// The pixel transitions: where the threshold fronts stand, and the moving
// workers' pixels at the progress values where their formulas turn.
#include <gtest/gtest.h>

#include "Transition/Transition_Pixel.h"
#include "render/CrtRandom.h"
#include "tests/effects/TransitionFixture.h"

using vt_test::CountingPool;
using Frame = vt_test::TransitionFrame;

namespace {

constexpr Pixel kOut = 0x000000, kIn = 0xFFFFFF;

// Progress whose trunc(256 p) is exactly `a`.
float levelProgress(int a) { return (a + 0.5f) / 256.0f; }

// On 1024 x 768 at 0 degrees row 384 draws its thresholds between 111 and 144.
TEST(PixelLine, RowHalfwayDownSwitchesBetweenItsBandLimits) {
    CountingPool::reset();
    crtSrand(7);
    Frame f(1024, 768, kOut, kIn);
    renderPxLine(f.at(levelProgress(111)), 0);
    renderPxLine(f.at(levelProgress(145), 0), 0);   // before this frame every pixel of the row still shows kOut
    int incoming = 0;
    for (int x = 0; x < 1024; ++x) incoming += f.canvas.at(x, 384) == kIn;
    EXPECT_EQ(1024, incoming);
    renderPxLine(f.at(levelProgress(111), 0), 0);
    for (int x = 0; x < 1024; ++x) ASSERT_EQ(kOut, f.canvas.at(x, 384)) << x;
}

// On a 4:3 frame the free corner of the 135, 225 and 315 rows starts outside
// the frame: nothing changes until about p = 0.2.
TEST(PixelCorner, FreeCornerStartsOutsideTheFrame) {
    for (int angle : {135, 225, 315}) {
        CountingPool::reset();
        crtSrand(3);
        Frame f(400, 300, kOut, kIn);
        renderPxCorner(f.at(0.19f), angle);
        EXPECT_TRUE(f.canvas.sameVisible(f.out)) << angle;
        renderPxCorner(f.at(0.999f, 0), angle);
        EXPECT_FALSE(f.canvas.sameVisible(f.out)) << angle;
    }
}

// Dots at every other column: 2.24 times the size and weight 2 of 256.
TEST(PixelStretch, InStartsLargeAndAlmostTransparent) {
    CountingPool::reset();
    Frame f(1024, 768, kOut, kIn);
    renderPxStretch(f.at(0.0f), 0);
    EXPECT_EQ(0x010101u, f.canvas.at(512, 384));             // (0xFF x 2) >> 8
    EXPECT_EQ(kOut, f.canvas.at(513, 384));
    EXPECT_EQ(0x010101u, f.canvas.at(512 + (1 * 2296 >> 10), 384));
    EXPECT_EQ(0x010101u, f.canvas.at(512 + (100 * 2296 >> 10), 384 - (100 * 2296 >> 10) - 1));
}

TEST(PixelExplode, OutAtTheStartLeavesEveryPixelInPlace) {
    CountingPool::reset();
    Frame f(40, 30, kOut, kIn);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) f.out.at(x, y) = static_cast<Pixel>(y << 8 | x);
    renderPxExplode(f.at(0.0f), 1);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(x == 0 || y == 0 ? kIn : f.out.at(x, y), f.canvas.at(x, y)) << x << "," << y;
}

TEST(PixelSlides, OutgoingAtTheStartIncomingHomeAtTheEnd) {
    // 112 and 150 rows: heights where the speed H / 60 alone would fall short of H / 64.
    for (auto [w, h] :
         {std::pair{64, 48}, std::pair{67, 41}, std::pair{80, 120}, std::pair{152, 112}, std::pair{60, 150}}) {
        CountingPool::reset();
        crtSrand(11);
        Frame f(w, h, kOut, kIn);
        renderPxSlideBottom(f.at(0.0f), 0);
        EXPECT_TRUE(f.canvas.sameVisible(f.out)) << "slide bottom " << w << "x" << h;
        renderPxSlideBottom(f.at(0.999f, 0), 0);   // step 0: in place but for the top row
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(y == 0 ? kOut : kIn, f.canvas.at(x, y)) << x << "," << y;

        Frame g(w, h, kOut, kIn);
        renderPxSlideTop(g.at(0.0f), 0);
        EXPECT_TRUE(g.canvas.sameVisible(g.out)) << "slide top " << w << "x" << h;
        // Step H + 1 brings no top-row pixel in yet; the bottom row shows only
        // pixels that fell there.
        renderPxSlideTop(g.at(static_cast<float>(h + 1.5) / (3 * h + 32), 0), 0);
        for (int x = 0; x < w; ++x) ASSERT_EQ(kOut, g.canvas.at(x, 0));
    }
}

TEST(PixelSpray, FirstFrameMarksOnlyAroundTheTopLeftCorner) {
    CountingPool::reset();
    crtSrand(5);
    Frame f(400, 300, kOut, kIn);
    f.record.duration = 2000;
    renderPxSpray(f.at(0.0f));
    // h = 0.48 K = 0.3 at 400 x 300: the spray reaches 256 h = 76 pixels out.
    int marked = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            if (f.canvas.at(x, y) != kIn) continue;
            ++marked;
            ASSERT_TRUE(x <= 77 && y <= 77) << x << "," << y;
        }
    EXPECT_GT(marked, 0);
}

TEST(PixelWorkers, SkipTheFrameWhenThePoolIsDry) {
    using Worker = void (*)(EffectParams*);
    const Worker workers[] = {
        renderPxRand,
        renderPxSpray,
        [](EffectParams* t) { renderPxCircle(t, 0); },
        [](EffectParams* t) { renderPxLine(t, 45); },
        [](EffectParams* t) { renderPxCorner(t, 45); },
        [](EffectParams* t) { renderPxSlideTop(t, 0); },
        [](EffectParams* t) { renderPxSlideBottom(t, 0); },
    };
    for (Worker w : workers) {
        CountingPool::reset();
        CountingPool::dry = true;
        Frame f(30, 20, kOut, kIn);
        w(f.at(0.5f));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x) ASSERT_EQ(0x0F0F0Fu, f.canvas.at(x, y));
        EXPECT_EQ(0, CountingPool::keeps);
    }
}

}  // namespace
