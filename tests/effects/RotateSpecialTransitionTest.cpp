// The rotate and special transitions: golden pixels where the arithmetic is
// integer, the pool running dry, and every row on frames too small or too wide
// for the formulas' assumptions.
#include <gtest/gtest.h>

#include "Transition/TransitionTable.h"
#include "Transition/Transition_Rotate.h"
#include "Transition/Transition_Special.h"
#include "render/CrtRandom.h"
#include "tests/support/EffectSweep.h"
#include "tests/effects/TransitionFixture.h"

using vt_test::CountingPool;
using vt_test::TransitionFrame;

namespace {

// The record as the engine fills it, with a transition time of 2 s.
struct Frame : TransitionFrame {
    Frame(int w, int h, Pixel o, Pixel i) : TransitionFrame(w, h, o, i) {
        CountingPool::reset();
        record.duration = 2000;
    }
};

// Halfway the dots lie 17 pixels apart with radius 8, half of each picture,
// on black.
TEST(SpecialTransitions, LedDotsHalfway) {
    Frame f(64, 48, 0xFF0000, 0x0000FF);
    renderSpLed(f.at(0.5f));
    EXPECT_EQ(0x7F007Fu, f.canvas.at(40, 32));   // a dot centre: (hw + 8, hh + 8)
    EXPECT_EQ(0x7F007Fu, f.canvas.at(48, 32));   // on the rim (8^2 <= 8^2)
    EXPECT_EQ(0u, f.canvas.at(48, 33));          // just outside it, inside the dot's square
    EXPECT_EQ(0x7F007Fu, f.canvas.at(23, 15));   // the mirrored dot (hw - 8 - 1, hh - 8 - 1) lies in its disc
}

// The red layer of the incoming picture comes from e = trunc(80 x (1 - p))
// columns to the right; where that leaves the frame the outgoing red shows.
TEST(SpecialTransitions, RgbSplitRedLayerOffset) {
    Frame f(64, 48, 0xA0B0C0, 0x102030);
    renderSpRgbSplit(f.at(0.5f), 0, 0);   // e = 40
    for (int y : {0, 20, 47}) {
        EXPECT_EQ(0x10u, f.canvas.at(23, y) >> 16);
        EXPECT_EQ(0xA0u, f.canvas.at(24, y) >> 16);
    }
}

// Halfway the noise is pure: red and green share one value, blue takes the next.
TEST(SpecialTransitions, NoiseHalfwayIsPureNoise) {
    Frame f(8, 2, 0x123456, 0x654321);
    crtSrand(77);
    int n[4];
    for (int& v : n) v = crtRand() & 255;
    crtSrand(77);
    renderSpNoise(f.at(0.5f), 0, 0);
    EXPECT_EQ(static_cast<Pixel>(n[0] << 16 | n[0] << 8 | n[1]), f.canvas.at(0, 0));
    EXPECT_EQ(static_cast<Pixel>(n[2] << 16 | n[2] << 8 | n[3]), f.canvas.at(1, 0));
}

// In its second phase the chaos zoom fills a centred rectangle with the
// zoomed picture's border points and shows the other picture around it.
TEST(SpecialTransitions, ChaosZoomStreakRectangle) {
    Frame f(8, 6, 0, 0x777777);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) f.out.at(x, y) = static_cast<Pixel>(y * 16 + x);
    renderSpChaosZoom(f.at(0.75f), 0);   // l = 1536: offsets [-2, 2) both ways
    EXPECT_EQ(1u, f.canvas.at(2, 1));    // offset (-2, -2): top row, column -2 x -3 / -2 = -3
    EXPECT_EQ(55u, f.canvas.at(5, 3));   // offset (1, 0): right column, row 0
    EXPECT_EQ(0x777777u, f.canvas.at(1, 1));
    EXPECT_EQ(0x777777u, f.canvas.at(6, 3));
}

// With the pool dry the LEDs are drawn flat in their colour and nothing is kept.
TEST(SpecialTransitions, LitLedsWithoutABuffer) {
    Frame f(64, 48, 0x204060, 0x204060);
    CountingPool::dry = true;
    renderSp3dLed(f.at(0.3f), 1);
    EXPECT_EQ(1, CountingPool::acquires);
    EXPECT_EQ(0, CountingPool::keeps);
    for (int y = 0; y < 48; y += 7)
        for (int x = 0; x < 64; x += 5) ASSERT_EQ(0x204060u, f.canvas.at(x, y)) << x << "," << y;
}

// With a buffer the LEDs keep it in every frame, the first included.
TEST(SpecialTransitions, LitLedsKeepTheirBuffer) {
    Frame f(64, 48, 0x204060, 0x604020);
    renderSp3dLed(f.at(0.0f), 0);
    renderSp3dLed(f.at(0.4f, 0), 0);
    EXPECT_EQ(1, CountingPool::acquires);
    EXPECT_EQ(2, CountingPool::keeps);
    EXPECT_EQ(7, CountingPool::lastKept);
}

// The page swings about the top-left corner: a quarter turn away at the
// start of PageIn, so (almost) nothing of B is in the frame.
TEST(RotateTransitions, PageStartsAQuarterTurnAway) {
    Frame f(64, 48, 0x111111, 0x222222);
    renderRoPage(f.at(0.0f), 0, 0);
    int incoming = 0;
    for (int y = 1; y < 48; ++y)
        for (int x = 1; x < 64; ++x) incoming += f.canvas.at(x, y) == 0x222222u;
    EXPECT_EQ(0, incoming);
}

// Tiles at scale 1 turned by 2000 ms x 0.012566371 (four whole turns) are the
// picture itself, bar rounding at a few tile edges.
TEST(RotateTransitions, MultiAfterFourTurnsIsThePicture) {
    Frame f(96, 72, 0x101010, 0x808080);
    renderRoMulti(f.at(0.0f), 12, 9, 1);
    int other = 0;
    for (int y = 0; y < 72; ++y)
        for (int x = 0; x < 96; ++x) other += f.canvas.at(x, y) != 0x101010u;
    EXPECT_LT(other, 96 * 72 / 50);
}

// Every row on frames a pixel or two across and on one much wider than high
// (the lens outgrows half the height): nothing outside the buffers is touched.
TEST(RotateSpecialTransitions, OddFrameSizes) {
    vt_test::SweepOptions options;
    options.sizes = {{1, 1}, {2, 3}, {33, 2}, {1200, 90}};
    options.progresses = {0.0f, 0.3f, 0.5f, 0.8f, 0.999f};
    for (int i = 0; i < transitionCount; ++i) {
        const TransitionTableRow& r = transitionTable[i];
        if (!((r.number >= 222 && r.number <= 238) || (r.number >= 284 && r.number <= 300))) continue;
        for (const std::string& problem :
             vt_test::sweepRow(vt_test::SweepFamily::Transition, r.row.entry, vt_test::RowRule{}, options))
            ADD_FAILURE() << "row " << r.number << " \"" << r.row.name << "\": " << problem;
    }
}

}  // namespace
