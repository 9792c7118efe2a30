// Warping transitions: the shapes their arithmetic promises, on flat pictures
// where a pixel's colour tells which picture it came from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>
#include <cstdint>

#include "Transition/Transition_Warping.h"
#include "render/CrtRandom.h"
#include "render/PixelBuffer.h"
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

// The water ripple at the engine's sizes, against the ripple as written: the
// size factor is a float, 1.0 at W + H = 1120, so the ring index shift is 10 there.
std::vector<Pixel> waterInAsWritten(TransitionFrame& f, int w, int h, float p, int duration) {
    const int hw = w >> 1, hh = h >> 1;
    const float e1120 = static_cast<float>(w + h) * 0.00089285714f;
    const double tri = p < 0.5f ? p : 1.0 - p;
    const int r = std::max(1, static_cast<int>(std::sqrt(double(hw) * hw + double(hh) * hh)));
    const double g = e1120 * 1.0f, m = 1.0f * tri * 0.7, time = double(duration) * p * 1.0f * 0.15;
    int32_t q[720];
    for (int i = 0; i < 720; ++i) q[i] = static_cast<int32_t>(32768.0 - 32768.0 * m * std::sin((i - time) * g * 56.548668 / r));
    const int shift = static_cast<int>(10.0 * std::sqrt(std::sqrt(static_cast<double>(e1120))));
    const uint32_t alpha = blendWeight(p);
    std::vector<Pixel> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (x >= 2 * hw || y >= 2 * hh) {
                out.push_back(f.canvas.at(x, y));
                continue;
            }
            const int dx = x - hw, dy = y - hh;
            const int32_t k = q[std::min(719, (dx * dx + dy * dy + 1024) >> shift)];
            const int64_t X = ((int64_t(k) * dx) >> 15) + hw, Y = ((int64_t(k) * dy) >> 15) + hh;
            const bool inside = X >= 0 && X < w && Y >= 0 && Y < h;
            out.push_back(blendPixel(f.out.at(x, y), inside ? f.in.at(int(X), int(Y)) : f.in.at(x, y), alpha));
        }
    return out;
}

TEST(WarpingTransitions, WaterRingsAtTheEngineSizesFollowTheFloatSizeFactor) {
    for (auto [w, h] : {std::pair{640, 480}, std::pair{800, 600}, std::pair{151, 113}}) {
        TransitionFrame f(w, h);
        f.out.fillPattern(11);
        f.in.fillPattern(12);
        f.record.duration = 3000;
        for (float p : {0.3f, 0.6f}) {
            renderWaWater(f.at(p), 0, 1.0f, 1.0f, 1.0f);
            const std::vector<Pixel> expected = waterInAsWritten(f, w, h, p, 3000);
            int differ = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) differ += f.canvas.at(x, y) != expected[size_t(y) * w + x];
            EXPECT_EQ(differ, 0) << w << "x" << h << " at " << p;
        }
    }
}

// "WA_Multi" pulls toward a centre on an orbit of 140 x 100 pixels at W + H = 1120:
// at p = 0.25 the centre lies trunc(sin(1.57) x 140 + 320) = 459 across; its
// constants follow the float size factor (C = 160000 there).
TEST(WarpingTransitions, MultiLensConstantsFollowTheFloatSizeFactor) {
    TransitionFrame f(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            f.out.at(x, y) = f.in.at(x, y) = static_cast<Pixel>(y << 10 | x);   // a blend of equals is exact
        }
    const float p = 0.25f;
    renderWaMulti(f.at(p));
    const float e = static_cast<float>(640 + 480) * 0.00089285714f;
    const int32_t C = static_cast<int32_t>(160000.0 * e * e);
    const int32_t K = static_cast<int32_t>(p * 40000.0 / (double(e) * e * e));
    const int32_t cx = static_cast<int32_t>(std::sin(p * 6.28) * e * 140 + 320);
    const int32_t cy = static_cast<int32_t>(std::cos(p * 6.28) * e * 100 + 240);
    EXPECT_EQ(C, 160000);
    int checked = 0, differ = 0;
    for (int y = 0; y < 480; y += 7)
        for (int x = 0; x < 640; x += 5) {
            const int32_t dx = x - cx, dy = y - cy;
            const int32_t v = static_cast<int32_t>(static_cast<uint32_t>(dy * dy - dx * dx) + static_cast<uint32_t>(C)) >> 4;
            const int32_t vk = static_cast<int32_t>(static_cast<uint32_t>(v) * static_cast<uint32_t>(K));
            const int32_t X = (static_cast<int32_t>(static_cast<uint32_t>(vk) * static_cast<uint32_t>(dx)) >> 24) + x;
            const int32_t Y = (static_cast<int32_t>(static_cast<uint32_t>(vk) * static_cast<uint32_t>(dy)) >> 24) + y;
            if (X < 1 || X >= 640 || Y < 1 || Y >= 480) continue;
            ++checked;
            differ += f.canvas.at(x, y) != static_cast<Pixel>(Y << 10 | X);
        }
    EXPECT_GT(checked, 1000);
    EXPECT_EQ(differ, 0);
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
