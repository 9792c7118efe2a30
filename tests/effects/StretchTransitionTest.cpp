// The stretch transitions' integer results on small pictures whose pixels name
// their own position, and the cases where odd sizes, a full scratch pool or a
// nearly-zero progress must not change what is drawn.
#include <gtest/gtest.h>

#include <vector>

#include "Transition/Transition_Stretch.h"
#include "tests/effects/TransitionFixture.h"
#include "tests/support/TestSupport.h"

using vt_test::CountingPool;
using vt_test::GuardedBuffer;

namespace {

// Outgoing pixels are 0x01yyxx, incoming 0x02yyxx.
Pixel outgoingAt(int x, int y) { return 0x010000u | static_cast<Pixel>(y << 8 | x); }
Pixel incomingAt(int x, int y) { return 0x020000u | static_cast<Pixel>(y << 8 | x); }

// Pictures whose pixels name their own position, and the canvas read back.
struct Frame : vt_test::TransitionFrame {
    int w, h;
    Frame(int width, int height) : TransitionFrame(width, height), w(width), h(height) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                out.at(x, y) = outgoingAt(x, y);
                in.at(x, y) = incomingAt(x, y);
            }
    }
    std::vector<Pixel> row(int y) const {
        std::vector<Pixel> r;
        for (int x = 0; x < w; ++x) r.push_back(canvas.at(x, y));
        return r;
    }
    bool shows(Pixel (*picture)(int, int)) const {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (canvas.at(x, y) != picture(x, y)) return false;
        return true;
    }
};

// Each channel (a + b) >> 1: a cross-fade at weight 128.
Pixel half(Pixel a, Pixel b) {
    Pixel r = 0;
    for (int s = 0; s < 24; s += 8) r |= ((((a >> s) & 255) + ((b >> s) & 255)) >> 1) << s;
    return r;
}

}  // namespace

TEST(StretchTransitions, SideSqueezesHalvesAndKeepsTheMiddle) {
    Frame f(4, 2);
    renderStSide(f.at(0.5f), 0);   // each half squeezed to one column
    EXPECT_EQ(f.row(1), (std::vector<Pixel>{incomingAt(0, 1), outgoingAt(1, 1), outgoingAt(2, 1), incomingAt(2, 1)}));
    // An odd width: the right half is one column wider and still fills its side.
    Frame odd(5, 3);
    renderStSide(odd.at(0.0f), 1);
    EXPECT_TRUE(odd.shows(outgoingAt));
    renderStSideDual(odd.at(0.0f), 0);
    EXPECT_TRUE(odd.shows(outgoingAt));
    renderStUpDown(odd.at(0.0f), 0);
    EXPECT_TRUE(odd.shows(outgoingAt));
}

TEST(StretchTransitions, MultiTilesAboutTheCentre) {
    Frame f(4, 2);
    renderStMulti(f.at(0.5f), 0);   // step 2048: columns 2, 0, 2, 0; rows 1, 1
    const int cols[4] = {2, 0, 2, 0};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(f.canvas.at(x, y), half(outgoingAt(x, y), incomingAt(cols[x], 1))) << x << "," << y;
    // A progress so small that the step overflows 32 bits: weight 0, the outgoing
    // picture exactly, and no wrapped arithmetic.
    Frame g(9, 7);
    renderStMulti(g.at(1e-7f), 0);
    EXPECT_TRUE(g.shows(outgoingAt));
}

TEST(StretchTransitions, ZoomBlursAtTheirEnds) {
    struct Case { void (*worker)(EffectParams*, int32_t); int direction; Pixel expected; } cases[] = {
        {renderStDiscrete, 0, 0x804020},    // the fixed picture whole
        {renderStDiscrete, 1, 0x783C1E},    // the zoomed one at 15/16 (masked halves .. sixteenths)
        {renderStDiscrete2, 0, 0x804020},
        {renderStDiscrete2, 1, 0x804020},   // 14 sixteenths + one eighth: whole where no bit is masked off
    };
    for (const Case& c : cases) {
        vt_test::TransitionFrame f(6, 4, 0x804020, 0x123456);
        c.worker(f.at(0.0f), c.direction);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) ASSERT_EQ(f.canvas.at(x, y), c.expected) << c.direction << std::hex;
    }
}

TEST(StretchTransitions, CornerGrowsAlongItsDiagonal) {
    Frame f(8, 4);
    renderStCorner(f.at(0.0f), 0, 45);   // starts as (0, 0, W - H, 0): nothing of the incoming picture
    EXPECT_TRUE(f.shows(outgoingAt));
    renderStCorner(f.at(0.5f), 0, 45);   // (0, 0, 6, 2)
    EXPECT_EQ(f.canvas.at(0, 0), incomingAt(0, 0));
    EXPECT_EQ(f.canvas.at(5, 1) >> 16, 2u);
    EXPECT_EQ(f.canvas.at(6, 0), outgoingAt(6, 0));
    EXPECT_EQ(f.canvas.at(0, 2), outgoingAt(0, 2));
    renderStCorner(f.at(0.5f), 0, 180);   // up from the bottom edge over the full width
    EXPECT_EQ(f.row(1), (std::vector<Pixel>{outgoingAt(0, 1), outgoingAt(1, 1), outgoingAt(2, 1), outgoingAt(3, 1),
                                            outgoingAt(4, 1), outgoingAt(5, 1), outgoingAt(6, 1), outgoingAt(7, 1)}));
    for (int x = 0; x < 8; ++x) EXPECT_EQ(f.canvas.at(x, 2), incomingAt(x, 0));
}

TEST(StretchTransitions, BlindsOpenFromTheirMiddles) {
    Frame f(3, 9);
    renderStBlind(f.at(0.0f), 9, 0);   // slats of zero height
    EXPECT_TRUE(f.shows(outgoingAt));
    Frame g(3, 8);
    renderStBlind(g.at(0.5f), 2, 0);   // bands 0-3 and 4-7, each open from row 1 to 3 of its band
    for (int y = 0; y < 8; ++y) EXPECT_EQ(g.canvas.at(1, y) >> 16, (y % 4 == 1 || y % 4 == 2) ? 2u : 1u) << y;
    Frame d(4, 2);
    renderStCrossDual(d.at(0.5f), 1, 0);   // one band: the incoming picture pushes the squeezed outgoing one right
    EXPECT_EQ(d.row(0), (std::vector<Pixel>{incomingAt(0, 0), incomingAt(2, 0), outgoingAt(0, 0), outgoingAt(2, 0)}));
}

// Only strip columns 0 < h < W are drawn: column 0 of the strip never shows,
// so canvas column 0 keeps the base picture to the end.
TEST(StretchTransitions, JurumNeverDrawsTheStripsFirstColumn) {
    Frame f(40, 3);
    renderStJurum(f.at(0.0f), 0);
    EXPECT_TRUE(f.shows(outgoingAt));
    for (float p : {0.3f, 0.6f, 0.9f, 0.999f}) {
        renderStJurum(f.at(p), 0);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 40; ++x) EXPECT_NE(f.canvas.at(x, y), incomingAt(0, y)) << p << " " << x;
    }
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(f.canvas.at(0, y), outgoingAt(0, y));
        for (int x = 1; x < 40; ++x) EXPECT_EQ(f.canvas.at(x, y), incomingAt(x, y)) << x;
    }
}

// The fan's angle map lives in a kept scratch buffer; with the pool full the
// angles are worked out per frame and the frames are the same.
TEST(StretchTransitions, FoldingFanWithAndWithoutItsMap) {
    for (int kind : {1, 0}) {
        Frame withMap(23, 17), without(23, 17);
        CountingPool::reset();
        for (int i = 0; i < 5; ++i) renderStFoldingFan(withMap.at(i * 0.2f, i == 0), 0, kind, 1, 1);
        EXPECT_EQ(CountingPool::acquires, 1);
        EXPECT_EQ(CountingPool::keeps, 5);
        std::vector<std::vector<Pixel>> expected;
        for (int y = 0; y < 17; ++y) expected.push_back(withMap.row(y));
        CountingPool::reset();
        CountingPool::dry = true;
        for (int i = 0; i < 5; ++i) renderStFoldingFan(without.at(i * 0.2f, i == 0), 0, kind, 1, 1);
        EXPECT_EQ(CountingPool::keeps, 0);   // nothing held, nothing kept
        for (int y = 0; y < 17; ++y) EXPECT_EQ(without.row(y), expected[y]) << "kind " << kind << " row " << y;
    }
    // At 0 no pixel is inside the sector: the outgoing picture, the odd last
    // column and row included.
    Frame f(23, 17);
    CountingPool::reset();
    renderStFoldingFan(f.at(0.0f), 0, 1, 1, 1);
    EXPECT_TRUE(f.shows(outgoingAt));
}
