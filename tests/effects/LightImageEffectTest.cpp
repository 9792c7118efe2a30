// Light image effects on small pictures: exact pixels of the emboss gains and
// the spotlight falloff, the beat's colour step, the band levels' decay, and the
// stage beams' indifference to the sound.
#include <gtest/gtest.h>

#include <cstring>

#include "Sfx/Image_Effect_Light.h"
#include "tests/effects/ImageEffectFixture.h"

using namespace vt_test;

namespace {

constexpr Pixel kUntouched = 0x00ABCDEF;

Pixel halfOf(Pixel c) { return (c >> 1) & 0x7F7F7F; }

TEST(LightEmboss, GainWeightsTheEdgeToTheLowerRight) {
    struct Case {
        float level;
        int beat;
        Pixel atEdge, atBrightPixel, flat;
    };
    // Grey 100 with one pixel of 200 at (1, 1): (0, 0) sees the edge, (2, 2) is flat.
    const Case cases[] = {
        {0.0f, 0, 0x4E4E4E, 0x9C9C9C, 0x4E4E4E},       // G = 0: every channel (t x 50) >> 6
        {111.2f, 1, 0xC88B8B, 0xFFFFFF, 0x4E4E4E},     // G = 200, phase 1: red 200, green and blue 100
        {111.2f, 0, 0xC8C8C8, 0xFFFFFF, 0x4E4E4E},     // G = 200, white
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        EffectRun t(5, 4, kUntouched);
        t.picture.fill(0x646464);
        t.picture.at(1, 1) = 0xC8C8C8;
        t.frame(applyLtEmbossLight, c.level, c.beat);
        EXPECT_EQ(t.canvas.at(0, 0), c.atEdge);
        EXPECT_EQ(t.canvas.at(1, 1), c.atBrightPixel);
        EXPECT_EQ(t.canvas.at(2, 2), c.flat);
        // No lower-right neighbour: the last row and column are left alone.
        for (int x = 0; x < 5; ++x) EXPECT_EQ(t.canvas.at(x, 3), kUntouched);
        for (int y = 0; y < 4; ++y) EXPECT_EQ(t.canvas.at(4, y), kUntouched);
    }
}

TEST(LightEmboss, PhaseStepsOnBeatsAndWrapsAfterCyan) {
    EffectRun t(4, 4);
    t.picture.fill(0x646464);
    t.frame(applyLtEmbossLight, 0, 0);
    for (int beat = 1; beat <= 7; ++beat) {
        t.frame(applyLtEmbossLight, 0, 1);
        EXPECT_EQ(t.p.frameCounter, beat % 7);
    }
}

// 120 x 110: the light circles about (69, 59) on the first frames.
TEST(LightCircle, SilenceLightsOnlyTheCentreAndTheBeatShowsANewColourNextFrame) {
    EffectRun t(120, 110);
    t.picture.fill(0x102030);
    t.frame(applyLtCircleLight, 0, 1);   // white; the beat moves the phase to red
    EXPECT_EQ(t.canvas.at(69, 59), 0x204060u);
    EXPECT_EQ(t.canvas.at(70, 59), halfOf(0x102030));
    EXPECT_EQ(t.canvas.at(0, 0), halfOf(0x102030));
    EXPECT_EQ(t.p.stateWords[0], 1);
    t.frame(applyLtCircleLight, 0, 0);   // frame 2: n = 2, centre (69, 59) still
    EXPECT_EQ(t.canvas.at(69, 59), 0x201018u);
}

TEST(LightCircle, FalloffFromCentreToRim) {
    // L = 200: R = (int)(200 x 0.75 x 0.41071 x 1.5 + 1) = 93, s = 8388608 / 8649 = 969.
    EffectRun t(120, 110);
    t.picture.fill(0x404040);
    t.frame(applyLtCircleLight, 200, 0);
    EXPECT_EQ(t.canvas.at(69, 59), 0x808080u);                  // k = 256: half x 4
    // d2 = 2500: k = 256 - ((2500 x 969 x 192) >> 23) = 201; (32 x 201) >> 6 = 100.
    EXPECT_EQ(t.canvas.at(69, 9), 0x646464u);
    // The corner lies just inside the rim: d2 = 8242, k = 74.
    EXPECT_EQ(t.canvas.at(0, 0), 0x252525u);
}

TEST(LightRGB, SilenceShowsTheHalfPicture) {
    EffectRun t(70, 50);
    t.picture.fillPattern(3);
    t.frame(applyLtRGBLight, 0, 0).frame(applyLtRGBLight, 0, 0);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 70; ++x) ASSERT_EQ(t.canvas.at(x, y), halfOf(t.picture.at(x, y))) << x << "," << y;
    EXPECT_EQ(t.p.frameCounter, 2);
}

TEST(Light6Color, BandLevelsFollowTheSpectrumAndDecay) {
    EffectRun t(64, 48);
    t.picture.fillPattern(4);
    LightBands& bands = effectState<LightBands>(&t.p);
    std::memset(&bands, 0x5B, sizeof bands);   // what another effect left
    for (int e = 16; e <= 25; ++e) t.spectrum[e] = 100;   // band 0: ten roots of 10
    t.spectrum[26] = 99;                                  // band 1: (int)sqrt(99) = 9
    t.frame(applyLt6ColorLight, 0, 0);
    EXPECT_EQ(bands.bandLevel[0], 100.0f);
    EXPECT_EQ(bands.bandLevel[1], 9.0f);
    EXPECT_EQ(bands.bandLevel[2], 0.0f);
    std::memset(t.spectrum, 0, sizeof t.spectrum);
    t.frame(applyLt6ColorLight, 0, 0);
    EXPECT_EQ(bands.bandLevel[0], 100.0f * 0.92f);
    EXPECT_EQ(bands.bandSum[0], 0.0f);
    t.frame(applyLt6ColorLight, 0, 0);
    EXPECT_EQ(bands.bandLevel[0], 100.0f * 0.92f * 0.92f);
    EXPECT_EQ(bands.bandPrev[0], bands.bandLevel[0]);
}

TEST(Light6Color, SilenceOnASmallFrameIsTheHalfPicture) {
    // r = (g x 1) >> 10 with g = (64 + 48) x 3 / 2 = 168: no light reaches a pixel.
    EffectRun t(64, 48);
    t.picture.fillPattern(6);
    t.frame(applyLt6ColorLight, 0, 0);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(t.canvas.at(x, y), halfOf(t.picture.at(x, y)));
}

TEST(LightStage, BeamsIgnoreTheSoundAndOnlyAdd) {
    EffectRun quiet(96, 64), loud(96, 64);
    quiet.picture.fillPattern(9);
    loud.picture.fillPattern(9);
    for (int i = 0; i < 128; ++i) loud.spectrum[i] = 20000;
    for (int frame = 0; frame < 3; ++frame) {
        quiet.frame(applyLtStageLight, 0, 0);
        loud.frame(applyLtStageLight, 255, 1);
    }
    EXPECT_TRUE(quiet.canvas.sameVisible(loud.canvas));
    EXPECT_EQ(quiet.p.frameCounter, 3);
    int lit = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x) {
            const Pixel a = quiet.canvas.at(x, y), s = quiet.picture.at(x, y);
            for (int shift : {0, 8, 16}) ASSERT_GE((a >> shift) & 0xFF, (s >> shift) & 0xFF);
            lit += a != s;
        }
    EXPECT_GT(lit, 500);
}

}  // namespace
