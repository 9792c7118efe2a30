// The wipes' integer edges on pictures whose pixels name their picture and
// position, the state they keep between frames, and the cases where small
// sizes, a dry scratch pool or a squeezed soft box must not go wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Transition/TransitionTable.h"
#include "Transition/Transition_Wipe.h"
#include "engine/CrashLog.h"
#include "render/CrtRandom.h"
#include "render/FireSheet.h"
#include "tests/effects/TransitionFixture.h"

using vt_test::CountingPool;

namespace {

// The test programs carry no bitmap resource: the fire wipes of every test
// here (the table sweep included) get the drawn fire sheet.
int32_t drawnFire(Pixel* dst, int32_t width, int32_t height) {
    if (width != kFireFrameWidth * 11 || height != kFireCellHeight * 3) return 0;
    drawFireSheet(dst);
    return 1;
}
const bool kDrawnFireInstalled = (setWipeFireLoader(drawnFire), true);

// Outgoing pixel (x, y) is x << 12 | y, the incoming one the same with bit 23.
Pixel outgoingAt(int x, int y) { return static_cast<Pixel>((x & 0x7FF) << 12 | (y & 0xFFF)); }
Pixel incomingAt(int x, int y) { return outgoingAt(x, y) | 0x800000u; }

struct Frame : vt_test::TransitionFrame {
    int w, h;
    Frame(int width, int height) : TransitionFrame(width, height), w(width), h(height) {
        CountingPool::reset();
        record.duration = 2000;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                out.at(x, y) = outgoingAt(x, y);
                in.at(x, y) = incomingAt(x, y);
            }
    }
    // 'O' or 'I' when the pixel is that picture's own pixel, else '?'.
    char shows(int x, int y) const {
        const Pixel c = canvas.at(x, y);
        return c == outgoingAt(x, y) ? 'O' : c == incomingAt(x, y) ? 'I' : '?';
    }
    // Every pixel as `expect` says ('O' or 'I'); the first difference, or "".
    std::string mismatch(const std::function<char(int, int)>& expect) const {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (shows(x, y) != expect(x, y))
                    return "(" + std::to_string(x) + ", " + std::to_string(y) + ") shows " + shows(x, y);
        return "";
    }
    int count(char picture) const {
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) n += shows(x, y) == picture;
        return n;
    }
};

}  // namespace

TEST(WipeTransitions, LineWipeEdgesAtAxisAndDiagonalAngles) {
    Frame f(40, 20);
    renderWiLine(f.at(0.5f), 0, 0);   // Y = trunc(120 x 0.5 - 50) = 10
    EXPECT_EQ("", f.mismatch([](int, int y) { return y < 10 ? 'I' : 'O'; }));
    renderWiLine(f.at(0.5f), 0, 270);   // X = trunc(90 - 70) = 20: columns left of it keep O
    EXPECT_EQ("", f.mismatch([](int x, int) { return x < 20 ? 'O' : 'I'; }));
    // Oblique rows: the incoming picture where u < k, k = trunc((W + H + 140) p - 70);
    // the pixel on the crossing (u = k) shows the outgoing picture at every angle.
    struct Case { int angle; float p; std::function<int(int, int)> u; } cases[] = {
        {45, 0.5f, [](int x, int y) { return x + y; }},
        {135, 0.5f, [](int x, int y) { return x + (20 - y); }},
        {225, 0.6f, [](int x, int y) { return (40 - x) + (20 - y); }},
        {315, 0.6f, [](int x, int y) { return (40 - x) + y; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        const int k = static_cast<int>((40 + 20 + 140) * static_cast<double>(c.p) - 70);
        renderWiLine(f.at(c.p), 0, c.angle);
        EXPECT_EQ("", f.mismatch([&](int x, int y) { return c.u(x, y) < k ? 'I' : 'O'; }));
    }
    // The ends: all outgoing at 0, soft rows included; all incoming at 0.999
    // (where a soft band truncated toward zero may still graze the first row).
    for (int angle = 0; angle < 360; angle += 45)
        for (int edge : {0, 2}) {
            SCOPED_TRACE(angle + 1000 * edge);
            renderWiLine(f.at(0.0f), edge, angle);
            EXPECT_EQ(f.w * f.h, f.count('O'));
            if (edge == 2) continue;
            renderWiLine(f.at(0.999f), edge, angle);
            EXPECT_EQ(f.w * f.h, f.count('I'));
        }
}

TEST(WipeTransitions, StraightWipesSideDiagonalAndInterlace) {
    Frame f(20, 6);
    renderWiLineCross(f.at(0.0f));   // even rows already show I in column 0
    EXPECT_EQ("", f.mismatch([](int x, int y) { return y % 2 == 0 && x == 0 ? 'I' : 'O'; }));
    renderWiLineCross(f.at(0.5f));   // a = b = 10
    EXPECT_EQ("", f.mismatch([](int x, int y) { return (y % 2 == 0 ? x <= 10 : x > 10) ? 'I' : 'O'; }));
    renderWiSide(f.at(0.0f), 0, 0);
    EXPECT_EQ(f.w * f.h, f.count('O'));
    renderWiSide(f.at(0.0f), 2, 1);
    EXPECT_EQ(f.w * f.h, f.count('O'));
    renderWiSide(f.at(0.5f), 0, 1);   // Out: xl = 5, xr = 15; the middle shows I
    EXPECT_EQ("", f.mismatch([](int x, int) { return x >= 5 && x < 15 ? 'I' : 'O'; }));
    renderWiDiagonal(f.at(0.5f), 1);   // corners of 5 x 1 keep O
    EXPECT_EQ("", f.mismatch([](int x, int y) { return (x < 5 || x >= 15) && (y < 1 || y >= 5) ? 'O' : 'I'; }));
}

TEST(WipeTransitions, CornerAndArcFollowTheirFreeCorner) {
    Frame f(64, 48);
    // 45 degrees, first test true (atan2(64, 48) >= 45): Y = trunc(24), X = trunc(64 + 24 - 48) = 40.
    renderWiCorner(f.at(0.5f), 0, 45, 0);
    EXPECT_EQ("", f.mismatch([](int x, int y) { return x < 40 && y < 24 ? 'I' : 'O'; }));
    renderWiCorner(f.at(0.5f), 0, 45, 1);   // Out: the rectangle keeps O
    EXPECT_EQ("", f.mismatch([](int x, int y) { return x < 40 && y < 24 ? 'O' : 'I'; }));
    renderWiCorner(f.at(0.0f), 2, 225, 0);
    EXPECT_EQ(f.w * f.h, f.count('O'));
    renderWiCorner(f.at(0.999f), 2, 225, 0);
    EXPECT_EQ(f.w * f.h, f.count('I'));

    Frame big(640, 480);
    renderWiArc(big.at(0.5f), 0, 225, 0);   // centre (602, 522), inside below 160000
    EXPECT_EQ('I', big.shows(300, 300));   // 140488
    EXPECT_EQ('O', big.shows(250, 300));   // 173188
    EXPECT_EQ('O', big.shows(203, 479));   // 161050
}

TEST(WipeTransitions, SoftCornerLeavesTheFirstRowAndColumnAndHoldsItsWeights) {
    vt_test::GuardedBuffer a(40, 30, 0x102030), b(40, 30, 0xF0E0D0), d(40, 30, 0x777777);
    // A box squeezed against the right edge (narrower than high) would weigh
    // over 4096 without the limit and spill channels into each other.
    for (int q = 0; q < 4; ++q) {
        d.fill(0x777777);
        blendWiCorner(d.pixels(), a.pixels(), b.pixels(), {25, 0, 40, 30}, {0, 0, 40, 30}, d.pitch(), 0, q);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const Pixel c = d.at(x, y);
                if (x == 0 || y == 0) {
                    EXPECT_EQ(0x777777u, c) << q;
                }
                const unsigned r = c >> 16 & 255, g = c >> 8 & 255, bl = c & 255;
                if (c != 0x777777u) {
                    EXPECT_TRUE(r >= 0x10 && r <= 0xF0 && g >= 0x20 && g <= 0xE0 && bl >= 0x30 && bl <= 0xD0)
                        << "quadrant " << q << " at " << x << ", " << y << ": " << std::hex << c;
                }
            }
    }
    // An empty box draws nothing.
    d.fill(0x777777);
    blendWiCorner(d.pixels(), a.pixels(), b.pixels(), {0, 0, 0, 30}, {0, 0, 40, 30}, d.pitch(), 1, 2);
    EXPECT_TRUE(d.marginIntact(0x777777));
    EXPECT_EQ(0x777777u, d.at(5, 5));
}

TEST(WipeTransitions, CirclesAndSquaredDistances) {
    Frame big(640, 480);
    renderWiCircle(big.at(0.999f), 0);   // radius 399: the corners are still O
    EXPECT_EQ('O', big.shows(0, 0));
    EXPECT_EQ('O', big.shows(0, 479));   // 159521 > 159201
    EXPECT_EQ('I', big.shows(320, 240));
    EXPECT_EQ('I', big.shows(620, 240));
    Frame f(24, 18);
    renderWiCircle(f.at(0.0f), 0);
    EXPECT_EQ(f.w * f.h, f.count('O'));
    renderWiAlphaCircle(f.at(0.0f), 0);
    EXPECT_EQ(f.w * f.h, f.count('O'));
    renderWiAlphaCircle(f.at(0.5f), 0);
    EXPECT_EQ('I', f.shows(12, 9));   // the centre at full weight
    // 2 x 2 cells of 12 x 9: D = (144 / 2) / 2 + (81 / 2) / 2 = 36 + 20 = 56; at p = 0.5 r2 = 14.
    renderWiMultiCircle(f.at(0.5f), 0, 2, 2);
    EXPECT_EQ("", f.mismatch([](int x, int y) {
        const int dx = x % 12 - 6, dy = y % 9 - 4;
        return dx * dx + dy * dy < 14 ? 'I' : 'O';
    }));
    // Diamond: the cell centre shows the mean of both pictures on the first frame.
    renderWiDiamond(f.at(0.0f), 2, 2, 0);
    EXPECT_EQ(((outgoingAt(6, 4) >> 1) & 0x7F7F7F) + ((incomingAt(6, 4) >> 1) & 0x7F7F7F), f.canvas.at(6, 4));
    EXPECT_EQ(f.w * f.h - 4, f.count('O'));
}

TEST(WipeTransitions, OddSizesAreWrittenEverywhere) {
    // The ring pattern and the clock hands cover the last row and column of an
    // odd size too.
    Frame f(67, 41);
    renderWiOstberg(f.at(0.999f), 1, 0.5f);
    EXPECT_EQ(f.w * f.h, f.count('I'));
    renderWiWatch(f.at(0.0f), 1, 0);
    EXPECT_EQ(f.w * f.h, f.count('O'));
    renderWiWatch(f.at(0.5f, 0), 1, 0);
    EXPECT_NE('?', f.shows(66, 40));
}

TEST(WipeTransitions, BlindsAndZigzags) {
    Frame f(20, 18);   // 2 slats of 9 rows
    renderWiBlinder(f.at(0.999f), 21, 2, 0);   // pos = 8: offset 8 still shows O
    EXPECT_EQ("", f.mismatch([](int, int y) { return y % 9 == 8 ? 'O' : 'I'; }));
    renderWiBlinder(f.at(0.999f), 21, 2, 180);
    EXPECT_EQ(f.w * f.h, f.count('I'));
    renderWiBlinder(f.at(1.0f / 3.0f), 23, 2, 0);   // slat 0: pos = trunc(9 x 1) = 9 = b, all black
    for (int y = 0; y < 9; ++y) EXPECT_EQ(0u, f.canvas.at(3, y));
    // Zigzag at 0: odd column bands start at the middle of each cell (hh = 5) and wrap.
    Frame z(8, 10);   // 2 x 1 cells of 4 x 10, g = 10
    renderWiZigzagline(z.at(0.6f), 2, 1, 0);   // k = 6
    EXPECT_EQ("", z.mismatch([](int x, int y) {
        if (x < 4) return y < 6 ? 'I' : 'O';
        return (y < 5 && y < 1) || (y >= 5 && y < 11) ? 'I' : 'O';
    }));
    // Multiline at 45 on a square cell at 0.5: the edge runs along the anti-diagonal.
    Frame m(10, 10);
    renderWiMultiline(m.at(0.5f), 1, 1, 45);
    EXPECT_EQ("", m.mismatch([](int x, int y) { return x < 9 - y ? 'I' : 'O'; }));
}

TEST(WipeTransitions, DominoSpeedsAreDrawnOnTheFirstFrame) {
    Frame f(24, 20);
    crtSrand(7);
    renderWiDomino(f.at(0.0f), 4, 2, 0);
    EXPECT_EQ(f.w * f.h, f.count('O'));
    // Later frames use the speeds of the first: the same picture whatever the generator does.
    renderWiDomino(f.at(0.3f, 0), 4, 2, 0);
    const uint64_t before = f.canvas.checksum();
    crtSrand(99);
    renderWiDomino(f.at(0.3f, 0), 4, 2, 0);
    EXPECT_EQ(before, f.canvas.checksum());
    // Every column band fills its first cell row from the top, its second later.
    for (int x = 0; x < 24; ++x) EXPECT_EQ('I', f.shows(x, 0)) << x;
}

TEST(WipeTransitions, ShuttersAndClockHands) {
    Frame f(40, 30);
    renderWiShutter(f.at(0.0f), 1);
    EXPECT_EQ(f.w * f.h, f.count('O'));
    // Half a turn: the inside picture is seen turned about the centre.
    renderWiShutter2(f.at(0.5f), 0);
    EXPECT_EQ(incomingAt(20 - 3, 15 - 2), f.canvas.at(20 + 3, 15 + 2));
    EXPECT_EQ('O', f.shows(0, 0));
    // Clockwise from twelve o'clock: a quarter turn has swept the upper right.
    renderWiWatch(f.at(0.0f), 1, 0);
    renderWiWatch(f.at(0.25f, 0), 1, 0);
    EXPECT_EQ('I', f.shows(30, 14));
    EXPECT_EQ('O', f.shows(30, 16));
    EXPECT_EQ('O', f.shows(10, 5));
    renderWiFadeWatch(f.at(0.999f, 0), 1, 0);   // l = 0: the swept sector shows I in full
    EXPECT_EQ('I', f.shows(30, 14));
}

TEST(WipeTransitions, RandomWipesKeepTheirStateInTheBuffer) {
    Frame f(32, 24);
    crtSrand(3);
    renderWiAlphaBlock(f.at(0.0f));   // below 0.05 no pixel is written
    EXPECT_EQ(0, f.count('O') + f.count('I'));
    renderWiRandLine(f.at(0.0f), 1);
    const int32_t* thresholds = reinterpret_cast<const int32_t*>(CountingPool::block.data() + 237824 / 4);
    const int keeps = CountingPool::keeps;
    renderWiRandLine(f.at(0.5f, 0), 1);
    for (int x = 0; x < 32; ++x) EXPECT_EQ(thresholds[x] < 512 ? 'I' : 'O', f.shows(x, 5)) << x;
    EXPECT_EQ(keeps + 1, CountingPool::keeps);
    // Lines accumulate: the marked pixels of one frame stay marked (six lines a frame).
    f.record.duration = 20000;
    renderWiRandLineCross(f.at(0.1f));
    const int first = f.count('I');
    EXPECT_GT(first, 0);
    renderWiRandLineCross(f.at(0.2f, 0));
    EXPECT_GE(f.count('I'), first);
}

TEST(WipeTransitions, DryPoolSkipsTheFrame) {
    Frame f(32, 24);
    CountingPool::dry = true;
    for (auto draw : {+[](EffectParams* t) { renderWiWatch(t, 1, 0); }, +[](EffectParams* t) { renderWiAlphaBlock(t); },
                      +[](EffectParams* t) { renderWiRandLine(t, 0); }, +[](EffectParams* t) { renderWiRandLineCross(t); },
                      +[](EffectParams* t) { renderWiFireCurtain(t, 0, 1); }, +[](EffectParams* t) { renderWiSpline(t, 1, 0); },
                      +[](EffectParams* t) { renderWiPolygon(t, 1, 10, 2.0f, 0); }}) {
        draw(f.at(0.5f));
        draw(f.at(0.6f, 0));
    }
    EXPECT_EQ(0, f.count('O') + f.count('I'));
    EXPECT_TRUE(f.canvas.guardIntact());
}

TEST(WipeTransitions, OutlinesMoveByStepsPerFrame) {
    Frame f(64, 48);
    // The star Out never shrinks below 8 f: the centre keeps O to the end.
    renderWiPolygon(f.at(0.0f), 1, 10, 2.0f, 0);
    for (int i = 1; i < 200; ++i) renderWiPolygon(f.at(0.5f, 0), 1, 10, 2.0f, 0);
    EXPECT_EQ('O', f.shows(32, 24));
    EXPECT_EQ('I', f.shows(0, 0));
    // The fire spline adds 16 segments' phase (0.16 each) per frame.
    const float before = fireSpritePhase();
    renderWiSpline(f.at(0.0f), 1, 1);
    EXPECT_NEAR(before + 2.56f, fireSpritePhase(), 1e-3f);
    // In grows from the centre.
    renderWiSpline(f.at(0.0f), 0, 0);
    EXPECT_EQ('I', f.shows(32, 24));
    EXPECT_EQ('O', f.shows(0, 0));
}

TEST(WipeTransitions, FireCurtainRecoloursItsPictureAndGoesOnWithoutOne) {
    Frame f(64, 48);
    const Pixel* fire = CountingPool::block.data() + 237824 / 4;
    setWipeFireLoader([](Pixel* dst, int32_t w, int32_t h) {
        for (int32_t i = 0; i < w * h; ++i) dst[i] = 0x102030;
        return int32_t{1};
    });
    renderWiFireCurtain(f.at(0.5f), 0, 1);   // blue: red and blue exchanged
    EXPECT_EQ(0x302010u, fire[0]);
    EXPECT_EQ(0x302010u, fire[330 * 360 - 1]);
    // A missing picture: no flames (the stale buffer is not drawn), the curtain
    // still is, and the log says so once a run; nothing waits for the user (a
    // message box here would stop the show inside the frame).
    const std::string log = vt_test::scratchDir("wipe-fire-missing") + "/debug.txt";
    setDebugLogPath(log.c_str());
    resetFaultCounts();
    setWipeFireLoader([](Pixel*, int32_t, int32_t) { return int32_t{0}; });
    renderWiFireCurtain(f.at(0.95f), 1, 0);   // Up: the edge about row 6, the incoming picture below
    EXPECT_EQ(0u, fire[0]);
    EXPECT_EQ(0u, fire[330 * 360 - 1]);
    EXPECT_EQ('I', f.shows(5, 45));
    renderWiFireCurtain(f.at(0.5f), 0, 1);    // the next fire transitions
    renderWiSpline(f.at(0.5f), 1, 0);
    setDebugLogPath("");
    resetFaultCounts();
    const std::vector<uint8_t> bytes = vt_test::readFileBytes(log);
    std::string text(bytes.begin(), bytes.end());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    EXPECT_EQ(text, "Fire Resource Not Found!!!\n");
    EXPECT_TRUE(kDrawnFireInstalled);
    setWipeFireLoader(drawnFire);
}

// Every wipe row on pictures far smaller than its grid, bands or margins:
// nothing is written outside the buffers and nothing divides by zero.
TEST(WipeTransitions, EveryRowCopesWithTinyPictures) {
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {5, 2}, {13, 9}};
    for (int i = 0; i < transitionCount; ++i) {
        const TransitionTableRow& row = transitionTable[i];
        if (row.number < 386) continue;
        for (const auto& [w, h] : sizes) {
            SCOPED_TRACE(std::string(row.row.name) + " " + std::to_string(w) + "x" + std::to_string(h));
            Frame f(w, h);
            int first = 1;
            for (float p : {0.0f, 0.3f, 0.7f, 0.999f}) {
                row.row.entry(f.at(p, first));
                first = 0;
            }
            EXPECT_TRUE(f.canvas.guardIntact());
            EXPECT_TRUE(f.out.guardIntact());
            EXPECT_TRUE(f.in.guardIntact());
        }
    }
}

TEST(WipeTransitions, CrossingBandsEnterFromOppositeEnds) {
    Frame f(20, 12);   // 3 bands of 4 rows (or columns of 20 / 3)
    renderWiCross(f.at(0.25f), 3, 0);   // a = 5: band 1 leads, from the right
    EXPECT_EQ("", f.mismatch([](int x, int y) { return (y / 4 == 1 ? x >= 15 : x < 5) ? 'I' : 'O'; }));
    renderWiCross(f.at(0.25f), 3, 180);   // reversed: bands 0 and 2 lead
    EXPECT_EQ("", f.mismatch([](int x, int y) { return (y / 4 == 1 ? x < 5 : x >= 15) ? 'I' : 'O'; }));
    renderWiCross(f.at(0.5f), 3, 90);   // a = 6; columns 0-5, 6-12, 13-19
    EXPECT_EQ("", f.mismatch([](int x, int y) { return ((x >= 6 && x < 13) ? y >= 6 : y < 6) ? 'I' : 'O'; }));
    // The turning triangle starts as a speck of the incoming picture at the centre.
    Frame g(64, 48);
    renderWiTriangle(g.at(0.0f), 0);
    EXPECT_LE(g.count('I'), 4);
    EXPECT_EQ(64 * 48, g.count('O') + g.count('I'));
}

// The turning triangle shows its window picture in place at every stage and at
// the engine's frame sizes, also when it is large enough to cover the picture:
// every pixel is the outgoing or the incoming picture's own.
TEST(WipeTransitions, TriangleWindowStandsInPlaceAtTheEngineSizes) {
    const std::pair<int, int> sizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
    for (int direction : {0, 1})
        for (const auto& [w, h] : sizes) {
            SCOPED_TRACE((direction ? "Out " : "In ") + std::to_string(w) + "x" + std::to_string(h));
            Frame f(w, h);
            const char window = direction == 0 ? 'I' : 'O';
            for (int k = 0; k <= 20; ++k) {
                const float p = k == 20 ? 0.999f : static_cast<float>(k) / 20.0f;
                renderWiTriangle(f.at(p, k == 0), direction);
                EXPECT_EQ(f.count('?'), 0) << "progress " << p;
                // Where the triangle is largest it covers nearly the whole picture.
                if ((direction == 0 && k == 20) || (direction == 1 && k == 0))
                    EXPECT_GT(f.count(window), w * h * 95 / 100) << "progress " << p;
            }
        }
}
