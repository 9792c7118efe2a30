// Quadrilateral fill, the ball shading sprite and the glass balls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "render/QuadFill.h"
#include "tests/support/TestSupport.h"

using vt_test::GuardedBuffer;

namespace {

int countEqual(const GuardedBuffer& b, Pixel value) {
    int n = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) n += b.at(x, y) == value;
    return n;
}

void fill(GuardedBuffer& b, const Rect& clip, const int32_t (&p)[4][2], Pixel colour) {
    fillQuad(QuadFillRecord{b.pixels(), clip, b.pitch(), p[0], p[1], p[2], p[3], &colour});
}

// A 20-pixel shading sprite and a patterned background of one frame size.
struct BallScene {
    static constexpr int W = 64, H = 48;
    GuardedBuffer sprite{W, H, 0};
    GuardedBuffer background{W, H};
    BallScene(int32_t secondHighlight, uint32_t seed) {
        drawBallSprite(sprite.pixels(), sprite.pitch(), 0, 0, 20, secondHighlight);
        background.fillPattern(seed);
    }
};

}  // namespace

TEST(QuadFill, SquareSpansIncludeBothEdgesUnlessBothMiddlePointsLieLeft) {
    GuardedBuffer b(50, 50, 0);
    const int32_t cw[4][2] = {{10, 10}, {30, 10}, {30, 30}, {10, 30}};
    fill(b, Rect{0, 0, 50, 50}, cw, 7);
    EXPECT_EQ(countEqual(b, 7), 21 * 21);
    for (int y = 10; y <= 30; ++y)
        for (int x = 10; x <= 30; ++x) ASSERT_EQ(b.at(x, y), 7u) << x << "," << y;
    // Listed the other way round the sorted corners put the diagonal on the
    // right side, both middle corners left of it: below the first row the
    // right column is left out.
    GuardedBuffer c(50, 50, 0);
    const int32_t ccw[4][2] = {{10, 30}, {30, 30}, {30, 10}, {10, 10}};
    fill(c, Rect{0, 0, 50, 50}, ccw, 7);
    EXPECT_EQ(countEqual(c, 7), 21 * 21 - 20);
    for (int y = 10; y <= 30; ++y)
        for (int x = 10; x <= 30; ++x) ASSERT_EQ(c.at(x, y), x == 30 && y > 10 ? 0u : 7u) << x << "," << y;
}

TEST(QuadFill, DiamondStaysInsideItsOutlineAndTheClip) {
    GuardedBuffer b(50, 50, 0);
    const int32_t diamond[4][2] = {{20, 0}, {40, 20}, {20, 40}, {0, 20}};
    fill(b, Rect{0, 0, 50, 50}, diamond, 3);
    const int n = countEqual(b, 3);
    EXPECT_GT(n, 780);
    EXPECT_LT(n, 860);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            if (b.at(x, y) == 3) {
                ASSERT_LE(std::abs(x - 20) + std::abs(y - 20), 21) << x << "," << y;
            }

    GuardedBuffer c(50, 50, 0);
    const int32_t big[4][2] = {{-30, -20}, {80, -10}, {70, 90}, {-20, 70}};
    fill(c, Rect{5, 5, 45, 45}, big, 9);
    EXPECT_EQ(countEqual(c, 9), 40 * 40);
    EXPECT_TRUE(c.guardIntact());
    EXPECT_TRUE(c.marginIntact(0));
}

TEST(QuadFill, BothMiddlePointsLeftLeavesOutTheRightEndBelowTheFirst) {
    // Middle points (0, 10) and (5, 20) both lie left of the diagonal (20, 0)-(25, 30).
    GuardedBuffer b(40, 40, 0);
    const int32_t q[4][2] = {{20, 0}, {0, 10}, {5, 20}, {25, 30}};
    fill(b, Rect{0, 0, 40, 40}, q, 1);
    EXPECT_EQ(b.at(20, 0), 1u);   // first band: the right end included
    int rightEnd = -1;
    for (int x = 0; x < 40; ++x)
        if (b.at(x, 15) == 1) rightEnd = x;
    // The diagonal at row 15 is at x = 22 (22.5 in fixed point, truncated); the
    // span stops one short of it.
    EXPECT_EQ(rightEnd, 21);
}

TEST(BallSprite, ShadeTintAndHighlights) {
    GuardedBuffer plain(32, 32, 0), twin(32, 32, 0);
    drawBallSprite(plain.pixels(), plain.pitch(), 0, 0, 32, 0);
    drawBallSprite(twin.pixels(), twin.pitch(), 0, 0, 32, 1);
    const int r = 16, e = 5;
    EXPECT_EQ((plain.at(r, r) >> 8) & 0xFF, 0u);      // no tint at the centre
    EXPECT_EQ((plain.at(0, r) >> 8) & 0xFF, 128u);    // on the rim
    EXPECT_EQ(plain.at(r + e, r - e) >> 16, 200u);    // the highlight, up and right
    EXPECT_LT(plain.at(r - e, r + e) >> 16, 16u);     // only the first highlight's tail
    EXPECT_EQ(twin.at(r - e, r + e) >> 16, 64u);      // the second one, down and left
    EXPECT_LT(twin.at(r + e, r - e) >> 16, 16u);      // where both reach, the second replaces the first
    EXPECT_EQ(plain.at(r + 10, r - 10) & 0xFF, 255u); // the shade peaks up and right of the centre
    EXPECT_GT(plain.at(r + 10, r - 10) & 0xFF, plain.at(r, r) & 0xFF);
    EXPECT_GT(plain.at(r, r) & 0xFF, plain.at(r - 12, r + 12) & 0xFF);
    GuardedBuffer tiny(4, 4, 0);
    drawBallSprite(tiny.pixels(), tiny.pitch(), 0, 0, 1, 0);   // radius 0: no division
    EXPECT_EQ((tiny.at(0, 0) >> 8) & 0xFF, 0u);
}

TEST(GlassBall, ClippedDrawingLensAndCentre) {
    BallScene s(0, 5);
    const int W = BallScene::W, H = BallScene::H;
    const GuardedBuffer &sprite = s.sprite, &background = s.background;
    const Pixel tint = 0x8040C0;

    GuardedBuffer none(W, H, 0x123456);
    drawGlassBall(none.pixels(), background.pixels(), none.pitch(), 30, 20, 0, sprite.pixels(), 20, tint, W, H);
    EXPECT_EQ(countEqual(none, 0x123456), W * H);

    // Half outside on the left: only x >= 0 is drawn.
    GuardedBuffer half(W, H, 0x123456);
    drawGlassBall(half.pixels(), background.pixels(), half.pitch(), 5, 20, 20, sprite.pixels(), 20, tint, W, H);
    EXPECT_TRUE(half.guardIntact());
    EXPECT_TRUE(half.marginIntact(0x123456));
    EXPECT_NE(half.at(0, 20), 0x123456u);
    EXPECT_EQ(half.at(15, 20), 0x123456u);   // on the rim: not drawn

    // Where the lens looks past the frame's left edge it sees black.
    GuardedBuffer black(W, H, 0), againstBlack(W, H, 0x123456);
    drawGlassBall(againstBlack.pixels(), black.pixels(), againstBlack.pitch(), 5, 20, 20, sprite.pixels(), 20, tint,
                  W, H);
    EXPECT_EQ(half.at(0, 28), againstBlack.at(0, 28));
    EXPECT_NE(half.at(5, 20), againstBlack.at(5, 20));

    // At the centre: the background under the centre, no tint, plus the highlight.
    const Pixel g = sprite.at(10, 10), bg = background.at(5, 20);
    Pixel expected = 0;
    for (int shift : {0, 8, 16})
        expected |= std::min<uint32_t>(255, ((g >> 16) & 0xFF) + ((bg >> shift) & 0xFF)) << shift;
    EXPECT_EQ((g >> 8) & 0xFF, 0u);
    EXPECT_EQ(half.at(5, 20), expected);
}

TEST(GlassBall, TwinOutputsAndTheRimOfTheClippedBall) {
    BallScene s(1, 9);
    const int W = BallScene::W, H = BallScene::H;
    const GuardedBuffer &sprite = s.sprite, &background = s.background;
    GuardedBuffer a(W, H, 0), b(W, H, 0);
    drawGlassBallB(a.pixels(), b.pixels(), background.pixels(), a.pitch(), 30, 20, 20, sprite.pixels(), 20, 0xFFFFFF,
                   W, H);
    EXPECT_TRUE(a.sameVisible(b));
    EXPECT_GT(W * H - countEqual(a, 0), 250);

    GuardedBuffer c(W, H, 0);
    drawGlassBallClipped(c.pixels(), c.pitch(), 30, 20, 20, sprite.pixels(), 20, 0x808080, W, H);
    EXPECT_NE(c.at(20, 20), 0u);   // dx^2 + dy^2 = l^2 is drawn here
    EXPECT_EQ(c.at(19, 20), 0u);
    EXPECT_EQ(a.at(20, 20), 0u);   // but not by the balls with a background
    const Pixel g = sprite.at(10, 10);
    const uint32_t grey = std::min<uint32_t>(255, ((g >> 16) & 0xFF) + (g & 0xFF) * 0x80 / 128);
    EXPECT_EQ(c.at(30, 20), grey * 0x010101u);
    drawGlassBallClipped(c.pixels(), c.pitch(), 30, 20, 0, sprite.pixels(), 20, 0x808080, W, H);
    EXPECT_TRUE(c.guardIntact());
}
