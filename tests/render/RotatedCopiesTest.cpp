// Rotated, zoomed, turned, tilted and quad-warped copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/RotatedCopies.h"
#include "tests/render/DrawChecks.h"

namespace {

using draw_checks::unchangedOutside;
using vt_test::GuardedBuffer;

constexpr Pixel kBack = 0x00123456;
constexpr double kPi = 3.14159265358979;

bool inRect(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

TEST(RotateZoom, IdentityCopiesTheRectCentredOnThePoint) {
    GuardedBuffer src(24, 20), dst(40, 30, kBack), ref(40, 30, kBack);
    src.fillPattern(5);
    const Rect srcRect{3, 2, 14, 11};   // centre (8, 6)
    const Rect clip{0, 0, 40, 30};
    const int cx = 20, cy = 15;
    for (int variant = 0; variant < 3; ++variant) {
        dst.fill(kBack);
        if (variant == 0) rotateZoomBlit(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), clip, srcRect, cx, cy, 0.f, 1.f);
        if (variant == 1) rotateZoomBlitAlpha(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), clip, srcRect, cx, cy, 0.f, 1.f, 1.f);
        if (variant == 2) rotateZoomBlitSmooth(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), clip, srcRect, cx, cy, 0.f, 1.f, 1.f);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const int sx = x - cx + 8, sy = y - cy + 6;
                const Pixel want = inRect(srcRect, sx, sy) ? src.at(sx, sy) : kBack;
                ASSERT_EQ(dst.at(x, y), want) << "variant " << variant << " at " << x << "," << y;
            }
        EXPECT_TRUE(unchangedOutside(dst, ref, clip));
    }
}

TEST(RotateZoom, QuarterTurnAndDoubleZoom) {
    GuardedBuffer src(16, 16), dst(40, 40, kBack);
    src.fillPattern(9);
    const Rect srcRect{0, 0, 10, 10}, clip{0, 0, 40, 40};   // centre (5, 5)
    rotateZoomBlit(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), clip, srcRect, 20, 20, float(kPi / 2), 1.f);
    // sin(pi / 2) x 16384 truncates to 16383: the turn lands within a pixel.
    for (int y = 17; y < 24; ++y)
        for (int x = 17; x < 24; ++x) {
            bool near = false;
            for (int oy = -1; oy <= 1; ++oy)
                for (int ox = -1; ox <= 1; ++ox) near |= dst.at(x, y) == src.at(5 + (y - 20) + ox, 5 - (x - 20) + oy);
            ASSERT_TRUE(near) << x << "," << y;
        }
    dst.fill(kBack);
    rotateZoomBlit(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), clip, srcRect, 20, 20, 0.f, 2.f);
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 30; ++x)
            ASSERT_EQ(dst.at(x, y), src.at(5 + ((x - 20) >> 1), 5 + ((y - 20) >> 1))) << x << "," << y;
}

TEST(RotateZoom, StaysInsideTheClipAndScaleZeroDrawsNothing) {
    GuardedBuffer src(30, 30), dst(50, 40, kBack), ref(50, 40, kBack);
    src.fillPattern(2);
    const Rect srcRect{0, 0, 30, 30}, clip{5, 4, 33, 29};
    rotateZoomBlit(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), clip, srcRect, 12, 30, 0.6f, 1.7f);
    rotateZoomBlitAlpha(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), clip, srcRect, 40, 8, -2.1f, 0.8f, 0.5f);
    rotateZoomBlitSmooth(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), clip, srcRect, 20, 20, 1.3f, 3.2f, 0.7f);
    EXPECT_TRUE(unchangedOutside(dst, ref, clip));
    EXPECT_GT(draw_checks::countChanged(dst, ref), 200);
    dst.fill(kBack);
    rotateZoomBlit(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), clip, srcRect, 20, 20, 0.3f, 0.f);
    rotateZoomBlitSmooth(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), clip, srcRect, 20, 20, 0.3f, 0.f, 1.f);
    EXPECT_EQ(draw_checks::countChanged(dst, ref), 0);
}

TEST(RotateZoom, AlphaBlendsWithTheConstantWeight) {
    GuardedBuffer src(8, 8, 0x00FF8040), dst(20, 20, 0x00000000);
    const Rect srcRect{0, 0, 8, 8}, clip{0, 0, 20, 20};
    rotateZoomBlitAlpha(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), clip, srcRect, 10, 10, 0.f, 1.f, 0.5f);
    EXPECT_EQ(dst.at(10, 10), 0x007F4020u);   // (s * 128) >> 8
    EXPECT_EQ(dst.at(0, 0), 0u);
}

// The SSE2 mixing run and the plain one agree on every fraction pair, every
// kind of weight, full-range channels and runs of odd and even length.
TEST(RotateZoom, SmoothMixRunVectorFormEqualsThePlainForm) {
    const int32_t pitch = 40;
    std::vector<Pixel> src(pitch * 40);
    uint32_t v = 99;
    auto next = [&] { return v = v * 1664525u + 1013904223u; };
    for (Pixel& p : src) p = next() & 0x00FFFFFF;
    for (int i = 0; i < 40; ++i) src[i * 7 % src.size()] = (i & 1) ? 0x00FFFFFF : 0;   // extremes
    std::vector<SmoothPoint> points;
    for (uint32_t fy = 0; fy < 16; ++fy)
        for (uint32_t fx = 0; fx < 16; ++fx)
            points.push_back({static_cast<int32_t>(points.size()), fx, fy, &src[next() % (pitch * 38)]});
    for (uint32_t a : {0u, 1u, 128u, 255u, 256u})
        for (int32_t n : {0, 1, 2, 7, 256}) {
            for (int32_t start : {0, 128}) {   // x runs 0..255: distinct within any run
                const int32_t count = std::min<int32_t>(n, static_cast<int32_t>(points.size()) - start);
                ASSERT_GE(count, 0);
                std::vector<Pixel> row(300), plain;
                for (Pixel& p : row) p = next() & 0x00FFFFFF;
                plain = row;
                smoothMixRun(row.data(), points.data() + start, count, pitch, a);
                smoothMixRunPlain(plain.data(), points.data() + start, count, pitch, a);
                EXPECT_EQ(row, plain) << "a " << a << ", n " << n << ", start " << start;
            }
        }
}

TEST(AddImageCentered, AddsNonBlackPixelsOnly) {
    GuardedBuffer src(4, 4, 0x00101010), dst(12, 12, 0x00F0F0F0), ref(12, 12, 0x00F0F0F0);
    src.at(1, 1) = 0;
    const Rect srcRect{0, 0, 4, 4}, clip{0, 0, 3, 12};   // centre (2, 2) lands on (1, 5)
    addImageCentered(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), clip, srcRect, 1, 5);
    EXPECT_EQ(dst.at(0, 4), ref.at(0, 4));       // under the black pixel
    EXPECT_EQ(dst.at(1, 5), 0x00FFFFFFu);        // saturated
    EXPECT_EQ(dst.at(0, 3), 0x00FFFFFFu);
    EXPECT_EQ(dst.at(2, 6), 0x00FFFFFFu);
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{0, 3, 3, 7}));
}

// A card turned by 0 at its own axis point is a plain copy of its RECT.
TEST(Cards, TurnedByZeroIsACopy) {
    const int W = 40, H = 32;
    GuardedBuffer front(W, H), dst(W, H, kBack), ref(W, H, kBack);
    front.fillPattern(21);
    const int left = 6, top = 5, right = 30, bottom = 25;   // centre (18, 15)
    for (int axis = 0; axis < 2; ++axis) {
        dst.fill(kBack);
        if (axis == 0)
            drawCardTurnedX(dst.pixels(), front.pixels(), nullptr, nullptr, 0.0, 1.0, 0.0, left, top, right,
                            bottom, 18, 15, 0, 15, 0, 0, 0, dst.pitch(), W, H);
        else
            drawCardTurnedY(dst.pixels(), front.pixels(), nullptr, nullptr, 0.0, 1.0, 0.0, left, top, right,
                            bottom, 18, 15, 18, 0, 0, 0, 0, dst.pitch(), W, H);
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) ASSERT_EQ(dst.at(x, y), front.at(x, y)) << axis << ": " << x << "," << y;
        EXPECT_TRUE(unchangedOutside(dst, ref, Rect{left, top, right, bottom})) << axis;
    }
}

TEST(Cards, EdgeOnDrawsNothingAndTheBackShowsPastIt) {
    const int W = 40, H = 32;
    GuardedBuffer front(W, H, 0x00AAAAAA), dst(W, H, kBack), ref(W, H, kBack);
    drawCardTurnedX(dst.pixels(), front.pixels(), nullptr, nullptr, kPi / 2, 1.0, 0.2, 4, 4, 36, 28, 20, 16, 0,
                    16, 1, 0x00FF0000, 0, dst.pitch(), W, H);
    EXPECT_EQ(draw_checks::countChanged(dst, ref), 0);   // not even the cleared band
    drawCardTurnedX(dst.pixels(), front.pixels(), nullptr, nullptr, kPi / 2 + 0.3, 1.0, 0.2, 4, 4, 36, 28, 20,
                    16, 0, 16, 1, 0x00FF0000, 0, dst.pitch(), W, H);
    int back = 0, frontSeen = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            back += dst.at(x, y) == 0x00FF0000u;
            frontSeen += dst.at(x, y) == 0x00AAAAAAu;
        }
    EXPECT_GT(back, 50);
    EXPECT_EQ(frontSeen, 0);
}

TEST(Cards, BandsComeFromTheBackgroundAndNothingLeavesTheFrame) {
    const int W = 48, H = 36;
    GuardedBuffer front(W, H), back(W, H), background(W, H, 0x00010203), dst(W, H, kBack), ref(W, H, kBack);
    front.fillPattern(1);
    back.fillPattern(2);
    const double angles[] = {0.4, 2.0, 3.0, 4.0, -0.9, 7.5};
    for (double a : angles) {
        dst.fill(kBack);
        drawCardTurnedX(dst.pixels(), front.pixels(), back.pixels(), background.pixels(), a, 1.6, 0.5, 0, 0, W, H,
                        W / 2, H / 2, 0, H / 3, 1, 0, 0, dst.pitch(), W, H);
        EXPECT_TRUE(unchangedOutside(dst, ref, Rect{0, 0, W, H})) << a;
        dst.fill(kBack);
        drawCardTurnedY(dst.pixels(), front.pixels(), front.pixels(), nullptr, a, 2.5, 0.8, 0, 0, W, H, W / 3,
                        H / 2, W / 4, 0, 1, 0, 0, dst.pitch(), W, H);
        EXPECT_TRUE(unchangedOutside(dst, ref, Rect{0, 0, W, H})) << a;
    }
    // A card turned by 0.4 leaves the band above it to the background.
    dst.fill(kBack);
    drawCardTurnedX(dst.pixels(), front.pixels(), nullptr, background.pixels(), 0.4, 1.0, 0.0, 0, 0, W, H, W / 2,
                    H / 2, 0, H / 2, 0, 0, 0, dst.pitch(), W, H);
    EXPECT_EQ(dst.at(W / 2, 0), 0x00010203u);
    EXPECT_EQ(dst.at(W / 2, H / 2), front.at(W / 2, H / 2));
}

TEST(TiltedStrip, FlatTiltCopiesThePictureAboveTheLastRow) {
    const int W = 30, H = 20;
    GuardedBuffer picture(W, H), background(W, H, 0x00777777), dst(W, H, kBack), ref(W, H, kBack);
    picture.fillPattern(4);
    drawTiltedStrip(dst.pixels(), dst.pitch(), picture.pixels(), picture.pitch(), background.pixels(), 0, 0.0,
                    1.0, 0.3, W, H);
    for (int y = 0; y < H - 1; ++y)
        for (int x = 0; x < W; ++x) ASSERT_EQ(dst.at(x, y), picture.at(x, y));
    for (int x = 0; x < W; ++x) EXPECT_EQ(dst.at(x, H - 1), 0x00777777u);
    for (double a : {0.5, 1.2, 2.0, 3.3, -1.0}) {
        drawTiltedStrip(dst.pixels(), dst.pitch(), picture.pixels(), picture.pitch(), background.pixels(), 0, a,
                        0.9, 0.6, W, H);
        EXPECT_TRUE(unchangedOutside(dst, ref, Rect{0, 0, W, H})) << a;
    }
    dst.fill(kBack);
    drawTiltedStrip(dst.pixels(), dst.pitch(), picture.pixels(), picture.pitch(), background.pixels(), 0, kPi / 2,
                    1.0, 0.3, W, H);
    EXPECT_EQ(draw_checks::countChanged(dst, ref), 0);
}

// Intermediate buffer for the two-pass warp, as the runtime's pool would lend it.
Pixel* testScratch(int32_t* slot) {
    static std::vector<Pixel> block(700000);
    *slot = 0;
    return block.data() + 1000;
}

TEST(QuadWarp, TheFullRectangleIsACopy) {
    const int W = 32, H = 24;
    GuardedBuffer src(W, H), dst(W, H, kBack);
    src.fillPattern(8);
    warpQuadBilinear(dst.pixels(), src.pixels(), dst.pitch(), W, H, 0, W, W, 0, 0, 0, H, H);
    EXPECT_TRUE(dst.sameVisible(src));
    for (QuadScratchSource source : {static_cast<QuadScratchSource>(nullptr), &testScratch}) {
        setQuadWarpScratchSource(source);
        dst.fill(kBack);
        warpImageToQuad(dst.pixels(), src.pixels(), dst.pitch(), W, H, 0, W, W, 0, 0, 0, H, H);
        EXPECT_TRUE(dst.sameVisible(src)) << (source ? "two passes" : "fallback");
        EXPECT_TRUE(dst.guardIntact());
    }
    setQuadWarpScratchSource(nullptr);
}

TEST(QuadWarp, OutsideTheQuadIsBlackAndCornersMapToCorners) {
    const int W = 40, H = 30;
    GuardedBuffer src(W, H), dst(W, H, kBack), ref(W, H, kBack);
    src.fillPattern(3);
    // A trapezoid: top edge 10..30 at y 5, bottom edge 2..38 at y 25.
    warpQuadBilinear(dst.pixels(), src.pixels(), dst.pitch(), W, H, 10, 30, 38, 2, 5, 5, 25, 25);
    EXPECT_EQ(dst.at(0, 0), 0u);
    EXPECT_EQ(dst.at(39, 29), 0u);
    EXPECT_EQ(dst.at(5, 6), 0u);
    EXPECT_EQ(dst.at(10, 5), src.at(0, 0));
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{0, 0, W, H}));
    setQuadWarpScratchSource(&testScratch);
    for (int pass = 0; pass < 2; ++pass) {
        dst.fill(kBack);
        warpImageToQuad(dst.pixels(), src.pixels(), dst.pitch(), W, H, 10, 30, 38, 2, 5, 5, 25, 25);
        EXPECT_EQ(dst.at(0, 0), 0u);
        EXPECT_EQ(dst.at(39, 29), 0u);
        EXPECT_EQ(dst.at(20, 15) == 0, false);
        EXPECT_TRUE(dst.guardIntact());
        setQuadWarpScratchSource(nullptr);
    }
    // Mirrored and turned corner orders take the other orientations.
    setQuadWarpScratchSource(&testScratch);
    dst.fill(kBack);
    warpImageToQuad(dst.pixels(), src.pixels(), dst.pitch(), W, H, W, 0, 0, W, H, H, 0, 0);   // half turn
    EXPECT_EQ(dst.at(W - 1, H - 1), src.at(0, 0));
    dst.fill(kBack);
    warpImageToQuad(dst.pixels(), src.pixels(), dst.pitch(), W, H, W, W, 0, 0, 0, H, H, 0);   // quarter turn
    EXPECT_TRUE(dst.guardIntact());
    dst.fill(kBack);
    warpImageToQuad(dst.pixels(), src.pixels(), dst.pitch(), W, H, -500, 900, 20, 20, -300, -300, 900, 900);
    EXPECT_TRUE(dst.guardIntact());
    setQuadWarpScratchSource(nullptr);
}

}  // namespace
