// Special, Frame, Animation and 3D image effects on small pictures: the
// emboss's steady level, silent shakes and zooms, the LED cells, the picture
// bevels' mirror treatments, window shapes stepping on beats, the flag's spin.
#include <gtest/gtest.h>

#include "Sfx/Image_Effect_3D.h"
#include "Sfx/Image_Effect_3DFlag.h"
#include "Sfx/Image_Effect_Animation.h"
#include "Sfx/Image_Effect_Frame.h"
#include "Sfx/Image_Effect_Special.h"
#include "render/CrtRandom.h"
#include "tests/effects/ImageEffectFixture.h"

using namespace vt_test;

namespace {

void fillCoordinates(GuardedBuffer& b) {
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) b.at(x, y) = static_cast<Pixel>((x * 4) << 16 | (y * 4) << 8 | 0x40);
}

void emboss(EffectParams* p) { applySpEmboss(p, 2, 256, 256, 256, 256, 200); }

TEST(SpecialEmboss, ChangingLevelBlendsAndASteadyLevelShowsThePureEmboss) {
    EffectRun t(10, 8);
    t.picture.fill(0x204064);   // blue 100 everywhere: curve index 128
    t.frame(emboss, 0);
    EXPECT_EQ(t.canvas.at(5, 5), 0x204064u);   // blended by 0 / 256
    t.frame(emboss, 0);
    // T[128] = (128 - 114) x 227 / 27 + 14 = 131.
    EXPECT_EQ(t.canvas.at(5, 5), 0x838383u);
    t.frame(emboss, 128);
    // Half way: 0x20 + ((0x83 - 0x20) x 128 >> 8) = 0x51 and so on.
    EXPECT_EQ(t.canvas.at(5, 5), 0x516173u);
}

TEST(SpecialInSilence, QuakeZoomAndWindShowThePicture) {
    for (auto body : {applySpEarthQuake, applySpChaosZoom, applySpWaveWind}) {
        EffectRun t(24, 16);
        fillCoordinates(t.picture);
        t.frame(body, 0);
        EXPECT_TRUE(t.canvas.sameVisible(t.picture));
    }
}

TEST(SpecialLED, SilenceDrawsDotsOfRadiusOne) {
    EffectRun t(20, 16, 0x00ABCDEF);
    fillCoordinates(t.picture);
    t.frame(applySpLED, 0);
    // Cells of radius 1 centred 1, 3, 5... from the centre (10, 8); later
    // cells overwrite the shared edge.
    EXPECT_EQ(t.canvas.at(11, 9), t.picture.at(11, 9));
    EXPECT_EQ(t.canvas.at(12, 10), 0u);
    EXPECT_EQ(t.canvas.at(12, 9), t.picture.at(13, 9));
    EXPECT_EQ(t.canvas.at(8, 6), 0u);
    EXPECT_EQ(t.canvas.at(9, 7), t.picture.at(9, 7));
}

TEST(FrameBevels, RaisedAndSunkenAreMirrorTreatments) {
    EffectRun raised(200, 150), sunken(200, 150);
    raised.picture.fill(0xFFFFFF);
    sunken.picture.fill(0xFFFFFF);
    raised.frame(applyFrFrame2, 0);
    sunken.frame(applyFrFrame3, 0);
    EXPECT_EQ(raised.canvas.at(100, 0), 0xFFFFFFu);
    EXPECT_EQ(sunken.canvas.at(100, 0), 0x9B9B9Bu);
    EXPECT_EQ(raised.canvas.at(100, 149), 0x9B9B9Bu);
    EXPECT_EQ(sunken.canvas.at(100, 149), 0xFFFFFFu);
    EXPECT_EQ(raised.canvas.at(199, 75), 0xB9B9B9u);
    EXPECT_EQ(sunken.canvas.at(0, 75), 0xB9B9B9u);
    EXPECT_EQ(raised.canvas.at(100, 75), 0xFFFFFFu);
}

TEST(FrameBands, SilenceDrawsTheFrameInGreysAroundThePicture) {
    // 640 x 480: outer band and inner ring 3 wide, middle band 12; base colour black.
    EffectRun t(640, 480);
    fillCoordinates(t.picture);
    t.frame(applyFrFrame, 0);
    EXPECT_EQ(t.canvas.at(100, 0), 0x646464u);    // light: black brightened by 100
    EXPECT_EQ(t.canvas.at(100, 5), 0x323232u);    // mid-light band
    EXPECT_EQ(t.canvas.at(100, 476), 0u);         // dark outer edge below
    EXPECT_EQ(t.canvas.at(0, 100), 0u);           // dark outer edge left
    EXPECT_EQ(t.canvas.at(21, 21), t.picture.at(21, 21));
    EXPECT_EQ(t.canvas.at(320, 240), t.picture.at(320, 240));
}

TEST(SpecialBlocks, RoundBlocksAreBlackOutsideTheirEllipse) {
    EffectRun t(64, 48);
    t.picture.fill(0x808080);
    t.frame([](EffectParams* p) { applySp3DBlock(p, 2, 0, 1, 1); }, 0);
    // L = 0: 16 x 12 blocks of 4 x 4; each block's corner lies outside its ellipse.
    for (int by = 0; by < 12; ++by)
        for (int bx = 0; bx < 16; ++bx) ASSERT_EQ(t.canvas.at(bx * 4, by * 4), 0u) << bx << "," << by;
    EXPECT_NE(t.canvas.at(2, 2), 0u);
}

TEST(FrameWindows, SilentTileIsTheMiddleHalfAndShapesStepOnBeats) {
    EffectRun up(40, 32);
    fillCoordinates(up.picture);
    up.frame(applyFrFrameUp, 0);
    EXPECT_EQ(up.canvas.at(0, 0), (up.picture.at(0, 0) >> 1) & 0x7F7F7F);
    EXPECT_EQ(up.canvas.at(9, 7), (up.picture.at(9, 7) >> 1) & 0x7F7F7F);
    EXPECT_EQ(up.canvas.at(20, 16), up.picture.at(20, 16));

    EffectRun window(20, 16);
    window.frame(applyFrBirthday2, 0);
    for (int32_t shape : {1, 2, 0, 1}) {
        window.frame(applyFrBirthday2, 0, 1);
        EXPECT_EQ(window.p.stateWords[0], shape);
    }
    EXPECT_EQ(window.canvas.at(0, 0) >> 24, 0u);   // random tints never reach the top byte

    EffectRun album(30, 20);
    fillCoordinates(album.picture);
    album.frame(applyFrAlbum2, 0);
    EXPECT_EQ(album.canvas.at(0, 0), static_cast<Pixel>(album.p.stateWords[0]));
    EXPECT_EQ(album.canvas.at(29, 19), static_cast<Pixel>(album.p.stateWords[0]));
}

TEST(AnimationGlows, SilentSpectrumDrawsNoGlow) {
    EffectRun t(60, 40);
    fillCoordinates(t.picture);
    t.frame(applyAnShining, 0).frame(applyAnShining, 0);
    EXPECT_TRUE(t.canvas.sameVisible(t.picture));
}

TEST(Flag3D, SpinDecaysWithoutBeatsAndBeatsPushIt) {
    EffectRun t(32, 24);
    t.frame(apply3DFlag, 0);
    EXPECT_EQ(effectState<FlagState>(&t.p).spin, 240);
    t.frame(apply3DFlag, 0);
    EXPECT_EQ(effectState<FlagState>(&t.p).spin, 225);
    t.frame(apply3DFlag, 0, 1);
    EXPECT_EQ(effectState<FlagState>(&t.p).spin, 625);
}

TEST(ClothFlag, ScaleOverTheEffectAndTheRefinedMesh) {
    EXPECT_FLOAT_EQ(clothFlagScale(0.5f), 0.8f);
    EXPECT_FLOAT_EQ(clothFlagScale(0.05f), 0.9f);
    EXPECT_FLOAT_EQ(clothFlagScale(0.95f), 0.9f);
    float nodes[kClothRows * kClothCols][3];
    for (int r = 0; r < kClothRows; ++r)
        for (int c = 0; c < kClothCols; ++c) {
            nodes[r * kClothCols + c][0] = c * 10.0f - 50;
            nodes[r * kClothCols + c][1] = 37 - r * 10.714286f;
            nodes[r * kClothCols + c][2] = 0;
        }
    MeshGrid grid[kFlagRows * kFlagCols];
    buildClothFlagGrid(nodes, 2.0f, -1.0f, grid);
    EXPECT_FLOAT_EQ(grid[0].x, -100.0f);
    EXPECT_FLOAT_EQ(grid[0].y, -37.0f);
    // Between interior nodes of an even spacing the rule gives the midpoint.
    EXPECT_NEAR(grid[2 * kFlagCols + 5].x, -50.0f, 1e-4);
    EXPECT_NEAR(grid[5 * kFlagCols + 4].y, -(37 - 2.5f * 10.714286f), 1e-3);
}

}  // namespace
