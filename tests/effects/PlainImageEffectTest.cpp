// Plain image effects on small pictures: exact pixels where the arithmetic
// matters (rounding of the shifts, curve ends, reciprocal blur), the beat and
// level switches, borders left alone, and the scratch-buffer fallbacks.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Sfx/Image_Effect_Plain.h"
#include "engine/EffectParams.h"
#include "render/CrtRandom.h"
#include "tests/effects/ImageEffectFixture.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

namespace {

// A pool with no free slot.
Pixel* acquireNone(int32_t* slot) { return nullptr; }
int keeps = 0;
int32_t countKeep(int32_t) { return ++keeps; }

constexpr Pixel kUntouched = 0x00ABCDEF;

struct Plain {
    GuardedBuffer picture, canvas;
    EffectParams p{};

    Plain(int w, int h) : picture(w, h), canvas(w, h, kUntouched) {
        aimRecord(p, picture, canvas);
        p.duration = 4000;
        p.acquireBuffer = acquireTestBlock;
        p.keepBuffer = countKeep;
    }
    // One frame with the engine's raw level and beat.
    Plain& frame(void (*body)(EffectParams*), float level, int beat = 0) {
        p.level = level;
        p.beat = beat;
        body(&p);
        p.firstFrame = 0;
        return *this;
    }
    bool canvasEqualsPicture() const { return canvas.sameVisible(picture); }
};

TEST(PlainSplit, SilenceShowsThePicture) {
    Plain t(16, 12);
    t.picture.fillPattern(5);
    t.frame(applyPlRGBSplit, 0).frame(applyPlRGBSplit, 0, 1);
    EXPECT_TRUE(t.canvasEqualsPicture());
}

// Each pixel tells where it is; the margin is white, so a sample that strays
// into it shows.
void fillCoordinates(GuardedBuffer& b) {
    b.fill(0xFFFFFF);
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) b.at(x, y) = static_cast<Pixel>(x << 16 | y << 8 | (x ^ y));
}

TEST(PlainSplit, ThreeCopiesLendTheirChannels) {
    // Full level on a beat: the direction turns to 1 and the angle to 0.255; the
    // radius is 64 x 255 / 640 = 25, so the copies sit at (24, 6), (-17, 17), (-6, -24).
    Plain t(64, 48);
    fillCoordinates(t.picture);
    t.frame(applyPlRGBSplit, 255, 1);
    EXPECT_EQ(t.canvas.at(30, 30), 0x362F1Eu);   // red of (54, 36), green of (13, 47), blue of (24, 6)
    EXPECT_EQ(t.canvas.at(10, 10), 0x220000u);   // copies 2 and 3 fall outside: 0
    EXPECT_EQ(t.canvas.at(45, 45), 0x000032u);   // only copy 3 inside: (39, 21)
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const Pixel red = x + 24 < 64 && y + 6 < 48 ? static_cast<Pixel>(x + 24) : 0;
            const Pixel green = x >= 17 && y + 17 < 48 ? static_cast<Pixel>(y + 17) : 0;
            const Pixel blue = x >= 6 && y >= 24 ? static_cast<Pixel>((x - 6) ^ (y - 24)) : 0;
            ASSERT_EQ(t.canvas.at(x, y), red << 16 | green << 8 | blue) << x << "," << y;
        }

    Plain u(64, 48);
    fillCoordinates(u.picture);
    u.frame(applyPlYCPSplit2, 255, 1);
    // Half of the own pixel plus quarters: red and green of copy 1, green and blue
    // of copy 2, red and blue of copy 3.
    const Pixel own = (0x1E1E00 >> 1) & 0x7F7F7F;
    const Pixel expect = own + ((54 >> 2) << 16 | (36 >> 2) << 8) + ((47 >> 2) << 8 | ((13 ^ 47) >> 2)) +
                         ((24 >> 2) << 16 | ((24 ^ 6) >> 2));
    EXPECT_EQ(u.canvas.at(30, 30), expect);
}

TEST(PlainSplit, DirectionFlipsOnBeatsAndTheAngleWraps) {
    Plain t(8, 8);
    auto angle = [&] { float a; std::memcpy(&a, &t.p.stateWords[0], sizeof a); return a; };
    t.frame(applyPlRGBSplit2, 100);   // direction 0: 0 - 0.1 wraps to a full turn
    EXPECT_EQ(t.p.stateWords[1], 0);
    EXPECT_FLOAT_EQ(angle(), 6.2831855f);
    t.frame(applyPlRGBSplit2, 100, 1);   // direction 1: past a full turn wraps to 0
    EXPECT_EQ(t.p.stateWords[1], 1);
    EXPECT_EQ(angle(), 0.0f);
    t.frame(applyPlRGBSplit2, 50);
    EXPECT_NEAR(angle(), 0.096f, 1e-6);   // a falling level: 0.96 x 100
    t.frame(applyPlRGBSplit2, 100, 1);
    EXPECT_EQ(t.p.stateWords[1], 0);
}

TEST(PlainBeatSwitched, TreatedPictureEveryOtherBeat) {
    const Pixel in = 0x804020;
    struct Case { void (*body)(EffectParams*); Pixel treated; } cases[] = {
        {applyPlMonoColor, 0x484848},   // (G >> 1) + (R >> 2) + (B >> 2)
        {applyPlNegative, 0x7FBFDF},
    };
    for (const Case& c : cases) {
        Plain t(3, 2);
        t.picture.fill(in);
        t.p.stateWords[0] = 1;   // a previous effect's word must not leak in
        t.frame(c.body, 200);
        EXPECT_EQ(t.canvas.at(2, 1), in) << "first frame, no beat";
        t.frame(c.body, 200, 1);
        EXPECT_EQ(t.canvas.at(2, 1), c.treated);
        t.frame(c.body, 0);
        EXPECT_EQ(t.canvas.at(2, 1), c.treated) << "no beat keeps the state";
        t.frame(c.body, 200, 1);
        EXPECT_EQ(t.canvas.at(2, 1), in);
    }
}

TEST(PlainBeatSwitched, EnvelopeModesBlendByLevel) {
    // Mode 2 holds 127.5: weight 255.
    struct Case { void (*body)(EffectParams*); Pixel expect; } cases[] = {
        // red 128 + ((64 - 128) x 255 >> 8) = 64, green kept, blue 32 + (32 x 255 >> 8) = 63
        {applyPlMonoColor, 0x40403F},
        // c + ((255 - 2c) x 255 >> 8): 128 -> 127, 64 -> 190, 32 -> 222
        {applyPlNegative, 127u << 16 | 190u << 8 | 222u},
    };
    for (const Case& c : cases) {
        Plain t(2, 2);
        t.picture.fill(0x804020);
        t.p.levelMode = 2;
        t.frame(c.body, 0);
        EXPECT_EQ(t.canvas.at(1, 1), c.expect);
    }
}

TEST(PlainCurves, ContrastEndsAndSteepening) {
    // Width 640: the attack is 1, so the raw level is the shaped one.
    struct Case { float level; int in; int out; } cases[] = {
        {0, 0, 0},     {0, 255, 255}, {0, 77, 77},      // silence: the identity
        {128, 10, 3},  {128, 96, 32}, {128, 128, 129}, {128, 250, 254},
        {255, 126, 0}, {255, 127, 1}, {255, 128, 254},   // full level: a step
    };
    for (const Case& c : cases) {
        Plain t(640, 1);
        t.picture.fill(static_cast<Pixel>(c.in) * 0x010101u);
        t.frame(applyPlContrast, c.level);
        EXPECT_EQ(t.canvas.at(639, 0), static_cast<Pixel>(c.out) * 0x010101u) << c.level << " " << c.in;
    }
}

TEST(PlainCurves, AttackGrowsWithTheWidth) {
    Plain t(320, 1);   // attack 0.5: raw 255 shapes to 127.5, so f = 95
    t.picture.fill(0x0A0A0A);
    t.frame(applyPlContrast, 255);
    EXPECT_EQ(t.canvas.at(0, 0), 0x030303u);   // 10 x 33 / 95
}

TEST(PlainCurves, Contrast2PressesTheRange) {
    Plain t(640, 1);
    t.picture.at(0, 0) = 0x0064FF;
    t.frame(applyPlContrast2, 255);   // d = 127
    EXPECT_EQ(t.canvas.at(0, 0), static_cast<Pixel>(127 << 16 | 177 << 8 | 255));
}

TEST(PlainCurves, BitPlaneSlicing) {
    Plain t(2, 1);
    t.picture.at(0, 0) = 0x8040FF;
    t.frame(applyPlBitPlaneSlicing, 255);   // attack 0.5: L 127.5, w 127
    // 0x80 -> 128 + (-128 x 127 >> 8) = 64; 0x40 -> 64 + (64 x 127 >> 8) = 95; 0xFF -> 255 + (-1 x 127 >> 8) = 254
    EXPECT_EQ(t.canvas.at(0, 0), static_cast<Pixel>(64 << 16 | 95 << 8 | 254));
}

TEST(PlainCurves, ColorMaskByLevel) {
    struct Case { float level; Pixel expect; } cases[] = {
        {0, 0xFFFFFF}, {1, 0xFFFFFF}, {255, 0x808080}, {128, 0xC0C0C0},
    };
    for (const Case& c : cases) {
        Plain t(2, 2);
        t.picture.fill(0xFFFFFF);
        t.frame(applyPlColorMask, c.level);
        EXPECT_EQ(t.canvas.at(1, 1), c.expect) << c.level;
    }
}

TEST(PlainBlur, RadiusFallsWithTheLevel) {
    Plain t(4, 1);
    const int blue[4] = {3, 6, 9, 12};
    for (int x = 0; x < 4; ++x) t.picture.at(x, 0) = static_cast<Pixel>(blue[x]);
    // Level 240: r = 1. Ends divide by 2; the middle multiplies by 65536 / 3 and
    // loses a little: 18 -> 5, 27 -> 8.
    t.frame(applyPlBlur, 240);
    const Pixel expect[4] = {4, 5, 8, 10};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(t.canvas.at(x, 0), expect[x]) << x;

    Plain loud(7, 5);
    loud.picture.fillPattern(9);
    loud.frame(applyPlBlur, 255);   // r = 0: a copy
    EXPECT_TRUE(loud.canvasEqualsPicture());

    Plain quiet(5, 3);
    quiet.picture.fill(0);
    quiet.picture.at(4, 2) = 0x00FA00;   // r = 31 covers everything: the mean
    quiet.frame(applyPlBlur, 0);
    EXPECT_EQ(quiet.canvas.at(0, 0), 0x001000u);   // 250 / 5 = 50, then 50 / 3 = 16
}

TEST(PlainBuffers, KeptEveryFrameAndAFullPoolShowsThePicture) {
    for (void (*body)(EffectParams*) : {applyPlBlur, applyPlCrepas, applyPlWaterColor2}) {
        Plain t(6, 4);
        t.picture.fillPattern(3);
        keeps = 0;
        t.frame(body, 10).frame(body, 50).frame(body, 90);
        EXPECT_EQ(keeps, 3);

        Plain full(6, 4);
        full.picture.fillPattern(3);
        full.p.acquireBuffer = acquireNone;
        keeps = 0;
        full.frame(body, 10).frame(body, 200);
        EXPECT_TRUE(full.canvasEqualsPicture());
        EXPECT_EQ(keeps, 0);
    }
}

TEST(PlainCrepas, SilenceAveragesEachPixelWithItself) {
    Plain t(5, 4);
    t.picture.fillPattern(11);
    crtSrand(1);
    t.frame(applyPlCrepas, 0);
    // The sample at offset 0 is outside the accepted range: pixel (0, 0) is left.
    EXPECT_EQ(t.canvas.at(0, 0), kUntouched);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            if (x || y) {
                EXPECT_EQ(t.canvas.at(x, y), t.picture.at(x, y) & 0xFEFEFE) << x << "," << y;
            }
}

TEST(PlainCrepas, PatternWalksOnAcrossRows) {
    // The random pattern lies in the scratch buffer; the pattern index runs on by
    // one per pixel and by the row number at each row's end.
    const int W = 40, H = 30;
    Plain t(W, H);
    fillCoordinates(t.picture);
    crtSrand(21);
    t.frame(applyPlCrepas, 255);
    const int32_t* pattern = reinterpret_cast<const int32_t*>(testScratchPointer());
    auto half = [](Pixel c) { return (c >> 1) & 0x7F7F7F; };
    for (int y = 8; y < H - 8; ++y)
        for (int x = 8; x < W - 8; ++x) {
            const int k = y * W + x + y * (y - 1) / 2;
            const int a = static_cast<int>(pattern[k & 1023] * (255.0f / 512));
            const int b = static_cast<int>(pattern[(k + 1) & 1023] * (255.0f / 512));
            ASSERT_EQ(t.canvas.at(x, y), half(t.picture.at(x + b, y + a)) + half(t.picture.at(x + a, y + b)))
                << x << "," << y;
        }
}

TEST(PlainCrepas, LoudSamplesStayNearThePixel) {
    Plain t(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) t.picture.at(x, y) = static_cast<Pixel>(x * 2 << 16 | y * 2 << 8);
    crtSrand(7);
    t.frame(applyPlCrepas, 255);
    // Samples move at most 7 pixels each way; an average of two keeps each
    // coordinate within 7 of its own, and some pixels do move.
    int moved = 0;
    for (int y = 8; y < 22; ++y)
        for (int x = 8; x < 32; ++x) {
            const Pixel c = t.canvas.at(x, y);
            const int sx = static_cast<int>(c >> 16 & 0xFF), sy = static_cast<int>(c >> 8 & 0xFF);
            EXPECT_LE(std::abs(sx - 2 * x), 14);
            EXPECT_LE(std::abs(sy - 2 * y), 14);
            moved += c != t.picture.at(x, y);
        }
    EXPECT_GT(moved, 100);
}

TEST(PlainBorders, SharpenAndSketchLeaveTheOuterRing) {
    for (void (*body)(EffectParams*) : {applyPlSharpen, +[](EffectParams* p) { applyPlSketch(p, 1); }}) {
        Plain t(6, 5);
        t.picture.fillPattern(2);
        t.frame(body, 200);
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(t.canvas.at(x, 0), kUntouched);
            EXPECT_EQ(t.canvas.at(x, 4), kUntouched);
        }
        for (int y = 0; y < 5; ++y) {
            EXPECT_EQ(t.canvas.at(0, y), kUntouched);
            EXPECT_EQ(t.canvas.at(5, y), kUntouched);
        }
        EXPECT_NE(t.canvas.at(2, 2), kUntouched);
    }
}

TEST(PlainSharpen, CentreAgainstItsNeighbours) {
    struct Case { float level; Pixel expect; } cases[] = {
        {0, 100}, {4, 150}, {16, 255},   // c + (4c - neighbours) x L / 16, clamped
    };
    for (const Case& c : cases) {
        Plain t(3, 3);
        t.picture.fill(50);
        t.picture.at(1, 1) = 100;
        t.frame(applyPlSharpen, c.level);
        EXPECT_EQ(t.canvas.at(1, 1), c.expect) << c.level;
    }
    Plain dark(3, 3);
    dark.picture.fill(0x00FF00);
    dark.picture.at(1, 1) = 0x000010;
    dark.frame(applyPlSharpen, 16);   // green sinks below 0 and is held there; blue 16 x 5
    EXPECT_EQ(dark.canvas.at(1, 1), 0x000050u);
}

TEST(PlainSketch, HighBitsFromAboveLowBitsFromTheRight) {
    struct Case { int32_t colour; Pixel expect; } cases[] = {
        {1, 0x6E543A},   // o = 0xCC8844 per channel, weight 128
        {0, 0x2A323A},   // o = 0x44 in every channel
    };
    for (const Case& c : cases) {
        Plain t(3, 3);
        t.picture.fill(0);
        t.picture.at(1, 1) = 0x102030;
        t.picture.at(2, 1) = 0x0C0804;    // P: the right neighbour
        t.picture.at(0, -1) = 0xC08040;   // Q: up two, left one (the top margin row)
        t.p.firstFrame = 1;
        t.p.level = 128;
        applyPlSketch(&t.p, c.colour);
        EXPECT_EQ(t.canvas.at(1, 1), c.expect) << c.colour;
    }
}

TEST(PlainWaterColor, PictureInSilencePaintingWhenLoud) {
    Plain quiet(30, 20);
    quiet.picture.fillPattern(4);
    crtSrand(3);
    quiet.frame(applyPlWaterColor2, 0);
    EXPECT_TRUE(quiet.canvasEqualsPicture());

    Plain loud(30, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) loud.picture.at(x, y) = static_cast<Pixel>(x << 16 | y << 8);
    crtSrand(3);
    loud.frame(applyPlWaterColor2, 0).frame(applyPlWaterColor2, 127);   // n = 127: only the painting
    int painted = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const Pixel c = loud.canvas.at(x, y);
            const int cx = static_cast<int>(c >> 16), cy = static_cast<int>(c >> 8 & 0xFF);
            // d = 37 makes every dab radius 1: a pixel takes a neighbour's colour.
            EXPECT_LE(std::abs(cx - x), 2);
            EXPECT_LE(std::abs(cy - y), 2);
            painted += c != loud.picture.at(x, y);
        }
    EXPECT_GT(painted, 30 * 20 / 4);
}

}  // namespace
