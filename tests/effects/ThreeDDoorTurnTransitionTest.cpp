// The 3D transitions of the doors, turns, scattered tiles, jigsaw pieces and
// box: golden pixels where the arithmetic is integer, the ends the workers are
// meant to show, and the runs whose scratch pool has nothing to give.
#include <gtest/gtest.h>

#include "Transition/Transition_3DBox.h"
#include "Transition/Transition_3DDoor.h"
#include "Transition/Transition_3DFlag.h"
#include "Transition/Transition_3DJigsaw.h"
#include "Transition/Transition_3DScatter.h"
#include "Transition/Transition_3DShared.h"
#include "Transition/Transition_3DTurn.h"
#include "render/CrtRandom.h"
#include "tests/effects/TransitionFixture.h"

using vt_test::CountingPool;
using Fixture = vt_test::TransitionFrame;   // not the workers' TransitionFrame

namespace {

struct Frame : Fixture {
    Frame(int w, int h, Pixel o, Pixel i) : Fixture(w, h, o, i) {
        CountingPool::reset();
        record.duration = 2000;
    }
};

int countDiffering(const vt_test::GuardedBuffer& a, const vt_test::GuardedBuffer& b, int w, int h) {
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) n += a.at(x, y) != b.at(x, y);
    return n;
}

// A face square to the viewer gets 256 + 0.1 x 256 and (0.759^16) x 512; one
// turned away keeps 256 and no highlight.
TEST(ThreeDDoors, FaceLight) {
    const MeshVertex light{0.8f, 0.5f, 0.1f, 0}, halfway{0.5520524f, 0.3450328f, 0.7590721f, 0};
    const FaceLight facing = litFace({0, 0, 1.0f, 0}, light, halfway);
    EXPECT_EQ(281, facing.light);
    EXPECT_EQ(6, facing.highlight);
    const FaceLight away = litFace({0, 0, -1.0f, 0}, light, halfway);
    EXPECT_EQ(256, away.light);
    EXPECT_EQ(0, away.highlight);
}

// An In door at progress 0 is edge-on at its hinge: away from that edge the
// outgoing picture is untouched.
TEST(ThreeDDoors, InDoorStartsEdgeOn) {
    for (int side : {0, 1})
        for (int swing : {1, -1}) {
            Frame f(64, 48, 0x102030, 0xF0E0D0);
            render3dOneDoor(f.at(0.0f), 0, side, swing);
            for (int y = 0; y < 48; y += 7)
                for (int x = 3; x < 61; ++x) ASSERT_EQ(0x102030u, f.canvas.at(x, y)) << side << swing << " " << x << "," << y;
        }
}

// The roto doors turn over black and change faces at half time, edge-on.
TEST(ThreeDDoors, RotoDoorsTurnOverBlack) {
    for (auto door : {render3dYRotoDoor, render3dXRotoDoor}) {
        Frame f(64, 48, 0xC00000, 0x0000C0);
        door(f.at(0.25f));
        EXPECT_EQ(0u, f.canvas.at(0, 0));             // a corner the turned door no longer covers
        EXPECT_EQ(0u, f.canvas.at(0, 0) >> 24);
        EXPECT_GT(f.canvas.at(32, 24) >> 16, 0u);     // outgoing red in the middle
        door(f.at(0.75f, 0));
        EXPECT_EQ(0u, f.canvas.at(32, 24) >> 16);      // incoming blue from half time on
        EXPECT_GT(f.canvas.at(32, 24) & 0xFF, 0u);
    }
}

// At progress 0 the twists show the outgoing picture row for row, except that
// source row 0 counts as outside the picture and shows black.
TEST(ThreeDTurns, TwistsStartFlatWithBlackTopRow) {
    for (int which = 0; which < 2; ++which) {
        Frame f(16, 12, 0, 0);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) f.out.at(x, y) = static_cast<Pixel>(y << 8 | x);
        if (which == 0) render3dTwist(f.at(0.0f));
        else render3dTwist2(f.at(0.0f), 9);
        for (int x = 0; x < 16; ++x) EXPECT_EQ(0u, f.canvas.at(x, 0));
        for (int y = 1; y < 12; ++y)
            for (int x = 0; x < 16; ++x) EXPECT_EQ(f.out.at(x, y), f.canvas.at(x, y)) << which << " " << x << "," << y;
    }
}

// The cylinder's column at the centre reads source column 3 of 8 (the
// constant 0.318309886142228 lies just under 1 / pi), shaded by 2 / 64; at
// 400 wide the centre's shade of 100 / 64 saturates.
TEST(ThreeDTurns, CylinderShadeAndColumns) {
    Frame f(8, 2, 0x808080, 0);
    for (int y = 0; y < 2; ++y) f.out.at(3, y) = 0xFFFFFF;
    render3dYRotate(f.at(0.0f), 5);
    EXPECT_EQ(0x070707u, f.canvas.at(4, 0));   // column 3, 255 x 2 >> 6
    EXPECT_EQ(0x020202u, f.canvas.at(2, 1));   // column 2, 128 x 1 >> 6
    EXPECT_EQ(0u, f.canvas.at(0, 0));          // the edge is dark

    Frame wide(400, 2, 0x80FF40, 0);
    render3dYRotate(wide.at(0.0f), 5);
    EXPECT_EQ(0xC8FF64u, wide.canvas.at(200, 1));
}

// At scale 0 (In at progress 0) the spinning picture draws nothing at all:
// the canvas keeps what it held.
TEST(ThreeDTurns, XRotateAtScaleZeroDrawsNothing) {
    Frame f(32, 24, 0x111111, 0x222222);
    render3dXRotate(f.at(0.0f), 0, 3);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(0x0F0F0Fu, f.canvas.at(x, y));
}

// The sign hanging flat: the row step 262144 / 48 truncates, so row i shows
// source row (i x 5461 x 48) >> 18, one row up from i = 1 on.
TEST(ThreeDTurns, GoGoFlatRowsShiftByTruncation) {
    Frame f(64, 48, 0, 0x00FF00);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) f.out.at(x, y) = static_cast<Pixel>(y);
    render3dGoGo(f.at(0.0f), 1);
    EXPECT_EQ(0u, f.canvas.at(5, 0));
    EXPECT_EQ(0u, f.canvas.at(5, 1));
    EXPECT_EQ(9u, f.canvas.at(40, 10));
    EXPECT_EQ(46u, f.canvas.at(63, 47));
}

// The box at progress 0 is its lit front face filling the frame: texel x 281 / 256 + 6.
TEST(ThreeDBox, RotoBoxStartsWithLitFrontFace) {
    Frame f(64, 48, 0x404040, 0xFFFFFF);
    render3dRotoBox(f.at(0.0f));
    EXPECT_EQ(0x4C4C4Cu, f.canvas.at(32, 24));
    EXPECT_EQ(0x4C4C4Cu, f.canvas.at(10, 40));
}

// Mid-transition the picture bent away from the viewer leaves the black bands
// of H / 8 rows showing above and below its middle.
TEST(ThreeDScatter, ScvKeepsBlackBands) {
    Frame f(64, 48, 0x808080, 0x808080);
    render3dScv(f.at(0.0f), 1.0f, 1);
    render3dScv(f.at(0.5f, 0), 1.0f, 1);
    for (int x = 28; x < 36; ++x)
        for (int y : {0, 3, 44, 47}) EXPECT_EQ(0u, f.canvas.at(x, y)) << x << "," << y;
    EXPECT_NE(0u, f.canvas.at(32, 24));
    EXPECT_EQ(CountingPool::acquires, 1);
    EXPECT_EQ(CountingPool::keeps, 2);
}

// With D = 0 every tile is home, unturned, at scale 1: the incoming picture whole.
TEST(ThreeDScatter, TilesLandWhole) {
    Frame f(400, 300, 0, 0);
    f.out.fillPattern(1);
    f.in.fillPattern(2);
    crtSrand(9);
    render3dBlockExplode2(f.at(0.0f), 28, 21, 0);
    render3dBlockExplode2(f.at(0.999f, 0), 28, 21, 0);
    EXPECT_EQ(0, countDiffering(f.canvas, f.in, 400, 300));
}

// Pieces at home, unturned: the picture is whole but for the notch borders
// the skip-black filler draws black (a pixel here and there).
TEST(ThreeDJigsaw, PiecesAtHomeLookWhole) {
    for (auto worker : {render3dRealBlockExplode, render3dRealBlockExplode2}) {
        Frame f(400, 300, 0, 0);
        f.out.fillPattern(1);
        f.in.fillPattern(2);
        crtSrand(9);
        worker(f.at(0.999f), 0, 8, 6);
        int wrong = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x) wrong += f.canvas.at(x, y) != f.in.at(x, y) && f.canvas.at(x, y) != 0;
        EXPECT_EQ(0, wrong);
        EXPECT_LT(countDiffering(f.canvas, f.in, 400, 300), 400 * 300 / 25);
    }
}

// A dry pool: the run shows its background and never touches a buffer.
TEST(ThreeDScatter, DryPoolShowsTheBackground) {
    using Worker = void (*)(EffectParams*);
    const Worker workers[] = {
        [](EffectParams* t) { render3dBlockExplode2(t, 28, 21, 0); },
        [](EffectParams* t) { render3dGugim(t, 0, 16, 16, 20); },
        [](EffectParams* t) { render3dRealBlockExplode(t, 0, 8, 6); },
        [](EffectParams* t) { render3dRealBlockExplode2(t, 0, 8, 6); },
        [](EffectParams* t) { render3dRealBlockExplode3(t, 0, 8, 6); },
    };
    for (Worker w : workers) {
        Frame f(64, 48, 0x123456, 0x654321);
        CountingPool::dry = true;
        w(f.at(0.3f));
        w(f.at(0.6f, 0));
        for (int y = 0; y < 48; y += 5)
            for (int x = 0; x < 64; x += 3) ASSERT_EQ(0x123456u, f.canvas.at(x, y));
        EXPECT_EQ(0, CountingPool::keeps);
    }
}

// The flag starts a whole width off to the left (the outgoing picture alone)
// and ends waving at full size over most of the frame.
TEST(ThreeDFlag, SlidesInFromTheLeft) {
    Frame f(160, 120, 0x204060, 0xC0A080);
    crtSrand(3);
    render3dFlag2(f.at(0.0f), 0);
    EXPECT_EQ(0, countDiffering(f.canvas, f.out, 160, 120));
    for (float p : {0.3f, 0.6f, 0.999f}) render3dFlag2(f.at(p, 0), 0);
    EXPECT_GT(countDiffering(f.canvas, f.out, 160, 120), 160 * 120 / 2);
}

}  // namespace
