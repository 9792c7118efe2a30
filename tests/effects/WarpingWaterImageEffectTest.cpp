// Warping and water image effects on small pictures: which bodies show the
// picture unmoved in silence, the kernels' exact mixes, the lens overlay, beat
// toggles, and the pond's still mirror.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>

#include "Sfx/Image_Effect_Warping.h"
#include "Sfx/Image_Effect_Water.h"
#include "render/CrtRandom.h"
#include "tests/effects/ImageEffectFixture.h"

using namespace vt_test;

namespace {

constexpr Pixel kUntouched = 0x00ABCDEF;

void fillCoordinates(GuardedBuffer& b) {
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) b.at(x, y) = static_cast<Pixel>((x * 4) << 16 | (y * 4) << 8 | 0x40);
}

using Body = void (*)(EffectParams*);

struct SilentCase {
    const char* name;
    Body body;
    bool edgesToo;   // false: the strict bounds (0 < x) leave row 0 and column 0 black
};

TEST(WarpingInSilence, BodiesShowThePictureUnmoved) {
    const SilentCase cases[] = {
        {"Beetles", applyWpBeetles, true},          {"MovingDandy", applyWpMovingDandy, true},
        {"PixelEffect5", applyWpPixelEffect5, true}, {"Ball5", applyWpBall5, true},
        {"Bilinear2", applyWpBilinear2, true},      {"SineWave", applyWpSineWave, true},
        {"PrivateTutor", applyWpPrivateTutor, true}, {"Ball4", applyWpBall4, false},
        {"Crestpeak", applyWpCrestpeak, false},     {"SeoulTornado", applyWpSeoulTornado, false},
        {"KongjuTornado", applyWpKongjuTornado, false}, {"Water4", applyWtWater4, true},
        {"Water2002", [](EffectParams* p) { applyWtWater2002(p, 235, 3, 0, 2000); }, true},
        {"Water2002Light", [](EffectParams* p) { applyWtWater2002(p, 235, 5, 2, 2000); }, true},
    };
    for (const SilentCase& c : cases) {
        SCOPED_TRACE(c.name);
        crtSrand(7);
        EffectRun t(40, 30, kUntouched);
        fillCoordinates(t.picture);
        t.p.previousLevel = 0;
        t.frame(c.body, 0).frame(c.body, 0);
        for (int y = c.edgesToo ? 0 : 1; y < 30; ++y)
            for (int x = c.edgesToo ? 0 : 1; x < 40; ++x) ASSERT_EQ(t.canvas.at(x, y), t.picture.at(x, y)) << x << "," << y;
        if (!c.edgesToo) EXPECT_EQ(t.canvas.at(0, 0), 0u);
    }
}

// The jewels' products wrap as 32-bit words; the wrap draws their facets. Both
// bodies at the engine's sizes against the arithmetic as written.
int32_t mul32(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b)); }
int32_t abs32(int32_t a) { return a < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(a)) : a; }

Pixel jewelAsWritten(const GuardedBuffer& pic, int x, int y, int32_t k) {
    const int w = pic.width(), h = pic.height(), pitch = pic.pitch();
    const int32_t dx = x - w / 2, dy = y - h / 2;
    const int32_t v = mul32(k, dx * dx + dy * dy);
    const int32_t idx = static_cast<int32_t>(static_cast<uint32_t>(mul32(pitch, h / 2 + dy - (mul32(v, dy) >> 28))) +
                                             static_cast<uint32_t>(w / 2 + dx - (mul32(v, dx) >> 28)));
    return idx > 0 && idx < h * pitch ? pic.pixels()[idx] : 0;
}

Pixel jewel2AsWritten(const GuardedBuffer& pic, int x, int y, int32_t f) {
    const int w = pic.width(), h = pic.height();
    const int32_t g = 4096 / (w + h), ex = (w >> 1) - x, ey = (h >> 1) - y;
    const int32_t U = 2 * x + 1 - (mul32(mul32(mul32(ex, g), mul32(abs32(mul32(ey, ex)), g * g)), f) >> 26);
    const int32_t V = 2 * y + 1 - (mul32(mul32(mul32(mul32(abs32(ex), ey), abs32(ey)), g * g * g), f) >> 26);
    if (!(U >= 1 && U < 2 * w && V > 0 && V < 2 * h)) return 0;
    const int x0 = U >> 1, x1 = U - x0, y0 = V >> 1, y1 = V - y0;
    return ((pic.at(x0, y0) >> 1) & 0x7F7F7F) + ((pic.at(x1, y0) >> 2) & 0x3F3F3F) + ((pic.at(x0, y1) >> 2) & 0x3F3F3F);
}

TEST(WarpingJewels, FacetsComeFromThirtyTwoBitWrap) {
    for (auto [w, h] : {std::pair{640, 480}, std::pair{800, 600}}) {
        for (int jewel = 0; jewel < 2; ++jewel) {
            EffectRun run(w, h);
            run.picture.fillPattern(21);
            run.frame(jewel ? applyWpJewel2 : applyWpJewel, 200.0f);   // level 200 held on the first frame
            const float s = static_cast<float>(w + h) * 0.0017857143f;
            const int32_t k = static_cast<int32_t>(32.0f * 200.0f / (s * s * s));
            int differ = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const Pixel want = jewel ? jewel2AsWritten(run.picture, x, y, 200) : jewelAsWritten(run.picture, x, y, k);
                    differ += run.canvas.at(x, y) != want;
                }
            EXPECT_EQ(differ, 0) << (jewel ? "WP_Jewel2 " : "WP_Jewel ") << w << "x" << h;
        }
    }
}

TEST(WarpingKernels, MonitorInSilenceMixesFourTapsAndBallAtMidLevelIsExact) {
    EffectRun monitor(8, 6);
    monitor.picture.fill(0x808080);
    monitor.picture.at(3, 2) = 0x800000;
    monitor.frame(applyWpMonitor, 0);
    // 1/2 + 1/4 + 1/8 + 1/16 of 0x80: 15/16 of the brightness.
    EXPECT_EQ(monitor.canvas.at(0, 0), 0x787878u);
    // (2, 1) mixes (3, 2), whose green and blue are 0, at 1/16.
    EXPECT_EQ(monitor.canvas.at(2, 1), 0x787070u);

    // L = 128: m = 0, every sample lands on its own pixel; the last row and
    // column have no right or lower neighbour for the bilinear tap and are black.
    EffectRun ball(20, 16);
    fillCoordinates(ball.picture);
    ball.frame(applyWpBall, 128);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(ball.canvas.at(x, y), x == 19 || y == 15 ? 0u : ball.picture.at(x, y)) << x << "," << y;
}

TEST(WarpingLens, OutsideTheLensIsThePictureOrTheGreenOverlay) {
    for (Body body : {applyWpFishEyeLens, applyWpLens}) {
        crtSrand(3);
        EffectRun t(200, 150);
        fillCoordinates(t.picture);
        t.frame(body, 200);
        const int32_t phase = effectState<WarpState>(&t.p).warpPhase - 1;
        const int cx = 100 + static_cast<int>(std::sin(phase * 0.021) * 50);
        const int cy = 75 + static_cast<int>(std::cos(phase * 0.035) * 37);
        const int r = 50;   // 80 x (200 + 150) / 560
        int green = 0;
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x) {
                const Pixel c = t.canvas.at(x, y);
                if (c == 0x00FF00) ++green;
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) >= r * r)
                    ASSERT_TRUE(c == t.picture.at(x, y) || c == 0x00FF00) << x << "," << y;
            }
        EXPECT_EQ(t.canvas.at(cx, 0), 0x00FF00u);
        EXPECT_EQ(t.canvas.at(0, cy), 0x00FF00u);
        EXPECT_GT(green, 75 + 100);
    }
}

TEST(WarpingToggles, TornadoTurnsOnlyOnBeatsUnderTheSoundEnvelope) {
    EffectRun t(16, 12);
    t.frame(applyWpSeoulTornado, 100);
    const int32_t first = effectState<WarpState>(&t.p).warpToggle;
    t.frame(applyWpSeoulTornado, 100, 0);
    EXPECT_EQ(effectState<WarpState>(&t.p).warpToggle, first);
    t.frame(applyWpSeoulTornado, 100, 1);
    EXPECT_EQ(effectState<WarpState>(&t.p).warpToggle, first ^ 1);
    t.p.levelMode = 2;
    t.frame(applyWpSeoulTornado, 100, 1);
    EXPECT_EQ(effectState<WarpState>(&t.p).warpToggle, first ^ 1);
}

TEST(WaterPond, SilenceShowsTheStillDarkMirrorBelowTheArch) {
    EffectRun t(40, 80);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 40; ++x) t.picture.at(x, y) = static_cast<Pixel>(y << 16 | x << 8 | 100);
    t.frame([](EffectParams* p) { applyWtPond(p, 245, 3, 0, 2000); }, 0);
    // 3H/4 = 60; the arch meets it in the middle column (E(20) = 60).
    for (int y = 0; y <= 60; ++y) EXPECT_EQ(t.canvas.at(20, y), t.picture.at(20, y));
    // Row 70 mirrors row 50, darkened by 48, 32, 16 (held at 0).
    EXPECT_EQ(t.canvas.at(20, 70), static_cast<Pixel>(2 << 16 | 0 << 8 | 84));
    // At the sides the arch is 32 rows lower: E(0) = 92 lies below the frame.
    EXPECT_EQ(t.canvas.at(0, 79), t.picture.at(0, 79));
}

TEST(WaterRain, SilentDropsLeaveThePictureAndTheWiperOnlyDrawsItsBlade) {
    EffectRun rain(30, 20, kUntouched);
    fillCoordinates(rain.picture);
    rain.frame(applyWtRainFall2, 0).frame(applyWtRainFall2, 0);
    for (int y = 1; y < 20; ++y)
        for (int x = 1; x < 30; ++x) ASSERT_EQ(rain.canvas.at(x, y), rain.picture.at(x, y));
    EXPECT_EQ(rain.canvas.at(0, 0), kUntouched);   // strict bounds: the canvas keeps its pixel

    EffectRun wiper(60, 40, kUntouched);
    fillCoordinates(wiper.picture);
    int black = 0;
    for (int i = 0; i < 5; ++i) wiper.frame(applyWtWiper, 0);
    // Without drops the glass is clear: the picture, darkened only by the
    // blade (black, with blended edges) from its tip to the pivot.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const Pixel c = wiper.canvas.at(x, y), q = wiper.picture.at(x, y);
            if (c == 0) ++black;
            if (x == 0 && y == 0) continue;
            for (int shift : {0, 8, 16}) ASSERT_LE((c >> shift) & 255, (q >> shift) & 255) << x << "," << y;
        }
    EXPECT_GT(black, 40);
}

TEST(WaterGlass, TheTwoGlass2RowsAndWater5WithoutBeats) {
    EffectRun glass(24, 10, kUntouched);
    fillCoordinates(glass.picture);
    glass.frame(applyWtGlass2, 0);
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(glass.canvas.at(0, y), 0u);
        for (int x = 1; x < 24; ++x) ASSERT_EQ(glass.canvas.at(x, y), glass.picture.at(x, y));
    }
    EffectRun rings(24, 10);
    fillCoordinates(rings.picture);
    for (int i = 0; i < 4; ++i) rings.frame(applyWtWater5, 255);
    EXPECT_TRUE(rings.canvas.sameVisible(rings.picture));
    rings.frame(applyWtWater5, 0, 1);
    EXPECT_EQ(effectState<WaterState>(&rings.p).slots[0][0], 1);
}

}  // namespace
