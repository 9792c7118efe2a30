// Push and Slide transitions: where each frame pixel comes from, on pictures whose
// pixels name their picture and place, at progress values where the integer
// formulas are easy to follow; the first-frame state of the reels and the gate.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "Transition/Transition_Push.h"
#include "Transition/Transition_Slide.h"
#include "render/CrtRandom.h"
#include "tests/effects/TransitionFixture.h"

namespace {

using vt_test::CountingPool;

void resetPool(bool dry = false) {
    CountingPool::reset();
    CountingPool::dry = dry;
}

// Picture 1 is the outgoing one, 2 the incoming one; a pixel holds (picture, x, y).
constexpr Pixel code(int picture, int x, int y) {
    return static_cast<Pixel>(picture) << 22 | static_cast<Pixel>(y) << 10 | static_cast<Pixel>(x);
}
constexpr Pixel A(int x, int y) { return code(1, x, y); }
constexpr Pixel B(int x, int y) { return code(2, x, y); }

// The shared frame with pictures whose pixels name themselves, margins included.
struct Frame : vt_test::TransitionFrame {
    Frame(int w, int h) : TransitionFrame(w, h) {
        for (int y = -8; y < h + 8; ++y)
            for (int x = -8; x < w + 8; ++x) {
                out.at(x, y) = A(x & 0x3FF, y & 0xFFF);
                in.at(x, y) = B(x & 0x3FF, y & 0xFFF);
            }
    }
    Pixel operator()(int x, int y) const { return canvas.at(x, y); }
};

TEST(PushTransition, OneBandPushesTheOutgoingPictureRightAndTheIncomingFollows) {
    Frame f(10, 2);
    renderPsCross(f.at(0.5f), 1, 0);   // l = 5: the single band is even
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 10; ++x) EXPECT_EQ(f(x, y), x < 5 ? B(x + 5, y) : A(x - 5, y)) << x << "," << y;
    renderPsCross(f.at(0.0f), 1, 0);
    EXPECT_EQ(f(0, 0), A(0, 0));
    EXPECT_EQ(f(9, 1), A(9, 1));
}

TEST(PushTransition, VerticalBandsAlternateUpAndDown) {
    Frame f(4, 10);
    renderPsCross(f.at(0.3f), 2, 90);   // l = 3, m = 7; band 0 = columns 0-1 (down), band 1 = 2-3 (up)
    EXPECT_EQ(f(0, 0), B(0, 7));
    EXPECT_EQ(f(1, 3), A(1, 0));
    EXPECT_EQ(f(2, 0), A(2, 3));
    EXPECT_EQ(f(3, 7), B(3, 0));
    EXPECT_EQ(f(3, 9), B(3, 2));
}

TEST(PushTransition, LineCrossPushesEvenRowsRightAndOddRowsLeft) {
    Frame f(8, 2);
    renderPsLineCross(f.at(0.25f));   // l = 2, h = 6
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(f(x, 0), x < 2 ? B(x + 6, 0) : A(x - 2, 0)) << x;
        EXPECT_EQ(f(x, 1), x < 6 ? A(x + 2, 1) : B(x - 6, 1)) << x;
    }
}

TEST(SlideTransition, PageBoundaryMovesWithoutAJumpAtHalfway) {
    Frame f(100, 1);
    renderSlPage(f.at(0.5f));   // b = 50 by the second formula
    EXPECT_EQ(f(0, 0), B(50, 0));
    EXPECT_EQ(f(49, 0), B(99, 0));
    EXPECT_EQ(f(50, 0), A(0, 0));
    renderSlPage(f.at(0.25f));   // b = 25 by the first
    EXPECT_EQ(f(24, 0), B(49, 0));
    EXPECT_EQ(f(25, 0), A(0, 0));
    EXPECT_EQ(f(99, 0), A(74, 0));
}

TEST(SlideTransition, Cross032BandsDifferByOneRowAndTheLastEndsOnTheLastRow) {
    Frame f(8, 41);
    renderSlCross032(f.at(0.5f), 0, 32);   // d = 4
    int switches = 0;
    bool previousOdd = false;
    for (int y = 0; y < 41; ++y) {
        const bool odd = f(0, y) == A(0, y);   // odd bands enter from the right
        EXPECT_EQ(f(7, y), odd ? B(3, y) : A(7, y)) << y;
        if (y > 0 && odd != previousOdd) ++switches;
        previousOdd = odd;
    }
    EXPECT_EQ(switches, 31);
    EXPECT_TRUE(previousOdd);   // row 40 lies in band 31
}

TEST(SlideTransition, CornerDirections) {
    struct Case {
        float progress;
        int angle;
        int x, y;
        Pixel expected;
    };
    // 20 x 10, In: 0 comes down from the top, 90 from the left, 45 along (1, 1)
    // in equal steps (the frame is wider than high), 180 up from the bottom.
    const Case cases[] = {
        {0.5f, 0, 3, 0, B(3, 5)},    {0.5f, 0, 3, 4, B(3, 9)},     {0.5f, 0, 3, 5, A(3, 5)},
        {0.5f, 90, 0, 2, B(10, 2)},  {0.5f, 90, 9, 2, B(19, 2)},   {0.5f, 90, 10, 2, A(10, 2)},
        {0.55f, 45, 0, 0, B(5, 5)},  {0.55f, 45, 14, 4, B(19, 9)}, {0.55f, 45, 15, 0, A(15, 0)},
        {0.55f, 45, 0, 5, A(0, 5)},  {0.5f, 180, 3, 5, B(3, 0)},   {0.5f, 180, 3, 4, A(3, 4)},
    };
    for (const Case& c : cases) {
        Frame f(20, 10);
        renderSlCorner(f.at(c.progress), 0, c.angle);
        EXPECT_EQ(f(c.x, c.y), c.expected) << "angle " << c.angle << " at " << c.x << "," << c.y;
    }
}

TEST(SlideTransition, SplitCrossEndsOnTheMovingPictureWithTheLowBitsCleared) {
    Frame f(64, 48);
    renderSlSplitCross(f.at(0.999f), 0, 0);   // k = 4, l = 0: all four copies in place
    for (int y = 0; y < 48; y += 7)
        for (int x = 0; x < 64; x += 5) EXPECT_EQ(f(x, y), B(x, y) & 0xFCFCFCu) << x << "," << y;
}

TEST(SlideTransition, SlotReelsTravelOddNumbersOfCellHeights) {
    resetPool();
    Frame f(160, 480);
    crtSrand(77);
    renderSlSlot(f.at(0.0f), 8, 6);
    crtSrand(77);
    const int32_t* travel = reinterpret_cast<const int32_t*>(CountingPool::block.data() + 237824 / 4);
    for (int i = 0; i < 48; ++i) EXPECT_EQ(travel[i], 80 * (2 * (crtRand() % 8) + 1)) << i;
    EXPECT_EQ(CountingPool::keeps, 1);
    EXPECT_EQ(f(0, 0), A(0, 0));
    renderSlSlot(f.at(0.999f, 0), 8, 6);
    EXPECT_EQ(CountingPool::keeps, 2);
    // Every reel ends on the incoming picture, a few rows short of rest.
    for (int i = 0; i < 48; ++i) EXPECT_EQ(f((i % 8) * 20, (i / 8) * 80) >> 22, 2u) << i;
}

TEST(SlideTransition, SlotAndGateDrawTheSameWithoutAPoolBuffer) {
    using Draw = void (*)(EffectParams*);
    const Draw draws[] = {[](EffectParams* t) { renderSlSlot(t, 8, 6); },
                          [](EffectParams* t) { renderSlSpaceGate(t, 0); }};
    for (Draw draw : draws) {
        std::vector<Pixel> withPool, withoutPool;
        for (bool dry : {false, true}) {
            resetPool(dry);
            Frame f(67, 41);
            crtSrand(5);
            draw(f.at(0.0f));
            draw(f.at(0.4f, 0));
            std::vector<Pixel>& out = dry ? withoutPool : withPool;
            for (int y = 0; y < 41; ++y)
                for (int x = 0; x < 67; ++x) out.push_back(f(x, y));
        }
        EXPECT_EQ(withPool, withoutPool);
    }
}

// The label map covers the whole frame: what a previous user left in the pool
// buffer (small values that look like labels) must not reach an odd last column
// or row that a turned blade samples.
TEST(SlideTransition, GateIgnoresWhatThePoolBuffersLastUserLeft) {
    for (auto [w, h] : {std::pair{67, 41}, std::pair{65, 48}, std::pair{64, 47}}) {
        std::vector<Pixel> expected;
        for (int leftover = -1; leftover < 16; ++leftover) {
            resetPool(leftover < 0);
            if (leftover >= 0) CountingPool::block.assign(CountingPool::block.size(), static_cast<Pixel>(leftover));
            Frame f(w, h);
            std::vector<Pixel> got;
            for (float p : {0.0f, 0.3f, 0.7f}) {
                renderSlSpaceGate(f.at(p, p == 0.0f), 1);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) got.push_back(f(x, y));
            }
            if (leftover < 0)
                expected = got;
            else
                EXPECT_EQ(got, expected) << w << "x" << h << " left " << leftover;
        }
    }
}

TEST(SlideTransition, GateCoversTheLastColumnAndRowOfOddSizes) {
    resetPool();
    Frame f(67, 41);
    renderSlSpaceGate(f.at(0.3f), 0);
    for (int y = 0; y < 41; ++y) EXPECT_NE(f(66, y), 0x0F0F0Fu) << y;
    for (int x = 0; x < 67; ++x) EXPECT_NE(f(x, 40), 0x0F0F0Fu) << x;
}

TEST(SlideTransition, SpinningTrianglesStandHalfTurnedAtThreeQuarters) {
    Frame f(64, 48);
    renderSlTriangleExplodeRo(f.at(0.75f), 8, 0, 0);   // k = 256: in place, turned by half a turn
    int near = 0, checked = 0;
    for (int y = 14; y < 34; y += 3)
        for (int x = 20; x < 44; x += 3) {
            const Pixel p = f(x, y);
            if (p >> 22 != 2u) continue;
            ++checked;
            const int sx = static_cast<int>(p & 0x3FF), sy = static_cast<int>((p >> 10) & 0xFFF);
            // The triangle filler steps its texture a texel or two off the exact mirror.
            if (std::abs(sx - (64 - x)) <= 2 && std::abs(sy - (48 - y)) <= 2) ++near;
        }
    EXPECT_GT(checked, 40);
    EXPECT_EQ(near, checked);
}

// On the Out rows' first frame the exploding triangles stand at home, also on
// screens whose triangles span more than 1,024 pixels: each pixel shows its own
// place (a span's last column its right neighbour, as the triangle filler draws).
TEST(SlideTransition, ExplodingTrianglesStandInPlaceAtHomeOnLargeScreens) {
    const std::pair<int, int> sizes[] = {{640, 480}, {1280, 1024}, {1920, 1080}, {1920, 1200}};
    for (auto worker : {renderSlTriangleExplode, renderSlTriangleExplodeRo})
        for (const auto& [w, h] : sizes) {
            Frame f(w, h);
            worker(f.at(0.0f), 8, 0, 1);
            int pieces = 0, misplaced = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const Pixel p = f(x, y);
                    if (p == A(x & 0x3FF, y)) ++pieces;
                    else if (p != B(x & 0x3FF, y) && p != A((x + 1) & 0x3FF, y)) ++misplaced;
                }
            EXPECT_EQ(misplaced, 0) << w << "x" << h;
            EXPECT_GT(pieces, w * h * 99 / 100) << w << "x" << h;
        }
}

}  // namespace
