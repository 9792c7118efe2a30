// Anti-aliased, profile, gradient and light-ray lines.
#include <gtest/gtest.h>

#include "render/Lines.h"
#include "tests/render/DrawChecks.h"

namespace {

using draw_checks::countChanged;
using draw_checks::unchangedOutside;
using vt_test::GuardedBuffer;

constexpr Pixel kGrey = 0x00404040;

TEST(AntiAliasedLines, HorizontalLineFillsItsRowOnly) {
    GuardedBuffer dst(32, 24, kGrey), ref(32, 24, kGrey);
    const Rect clip{0, 0, 32, 24};
    drawLineAA(dst.pixels(), clip, dst.pitch(), 2, 10, 20, 10, 0x00FF0000);
    for (int x = 2; x <= 20; ++x) EXPECT_EQ(dst.at(x, 10), 0x00FF0000u) << x;
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{2, 10, 21, 11}));
}

TEST(AntiAliasedLines, SubPixelWeightsFollowTheSlope) {
    GuardedBuffer dst(32, 24, 0), ref(32, 24, 0);
    const Rect clip{0, 0, 32, 24};
    drawLineAA(dst.pixels(), clip, dst.pitch(), 10, 6, 2, 2, 0x00FFFFFF);   // walked from x = 2, slope 128
    EXPECT_EQ(dst.at(2, 2), 0x00FFFFFFu);
    EXPECT_EQ(dst.at(3, 2), 0x007F7F7Fu);   // 255 x 128 >> 8 on each side
    EXPECT_EQ(dst.at(3, 3), 0x007F7F7Fu);
    EXPECT_EQ(dst.at(4, 3), 0x00FFFFFFu);
    EXPECT_EQ(dst.at(10, 6), 0x00FFFFFFu);
    EXPECT_EQ(countChanged(dst, ref), 2 + 2 * 4 + 3);   // even columns one pixel, odd ones two
    // |dx| = |dy| is walked row by row.
    GuardedBuffer diag(32, 24, 0);
    drawLineAA(diag.pixels(), clip, diag.pitch(), 3, 3, 9, 9, 0x000000FF);
    for (int i = 3; i <= 9; ++i) EXPECT_EQ(diag.at(i, i), 0x000000FFu);
    EXPECT_EQ(diag.at(4, 3), 0u);
}

TEST(AntiAliasedLines, ThickLinesAddAndLighten) {
    const Rect clip{0, 0, 40, 30};
    GuardedBuffer dst(40, 30, kGrey);
    drawThickLineAA(dst.pixels(), clip, dst.pitch(), 5, 12, 30, 12, 0x00FF8000, 3);
    for (int y = 11; y <= 13; ++y) EXPECT_EQ(dst.at(15, y), 0x00FF8000u) << y;   // upper edge at f = 0, then the core
    EXPECT_EQ(dst.at(15, 14), kGrey);                                            // lower edge, weight 0
    EXPECT_EQ(dst.at(15, 10), kGrey);

    GuardedBuffer white(40, 30, 0x00FFFFFF), whiteRef(40, 30, 0x00FFFFFF);
    drawAdditiveLine(white.pixels(), clip, white.pitch(), 3, 4, 35, 27, 0x00808080, 4);
    EXPECT_EQ(countChanged(white, whiteRef), 0);

    GuardedBuffer add(40, 30, 0x00200000);
    drawAdditiveLine(add.pixels(), clip, add.pitch(), 5, 12, 30, 13, 0x00F01020, 1);
    EXPECT_EQ(add.at(5, 12), 0x00FF1020u);   // saturating core of the edge at weight 256

    GuardedBuffer light(40, 30, 0x00108010);
    drawThickLineLighten(light.pixels(), clip, light.pitch(), 5, 12, 30, 12, 0x00402040, 3);
    EXPECT_EQ(light.at(15, 12), 0x00408040u);
}

TEST(AntiAliasedLines, SinglePointsDrawNothingAndClipsHold) {
    GuardedBuffer dst(40, 30, kGrey), ref(40, 30, kGrey);
    const Rect clip{4, 3, 30, 25};
    drawLineAA(dst.pixels(), clip, dst.pitch(), 12, 12, 12, 12, 0x00FFFFFF);
    drawThickLineAA(dst.pixels(), clip, dst.pitch(), 12, 12, 12, 12, 0x00FFFFFF, 5);
    EXPECT_EQ(countChanged(dst, ref), 0);
    const int lines[][4] = {{-50, -40, 90, 70}, {35, -5, 0, 40}, {-3, 14, 60, 14}, {20, -30, 21, 80}, {0, 0, 39, 29}};
    for (auto& l : lines) {
        drawLineAA(dst.pixels(), clip, dst.pitch(), l[0], l[1], l[2], l[3], 0x00FFFFFF);
        drawThickLineAA(dst.pixels(), clip, dst.pitch(), l[0], l[1], l[2], l[3], 0x0000FF00, 7);
        drawAdditiveLine(dst.pixels(), clip, dst.pitch(), l[0], l[1], l[2], l[3], 0x00FF0000, 6);
        drawThickLineLighten(dst.pixels(), clip, dst.pitch(), l[0], l[1], l[2], l[3], 0x000000FF, 2);
    }
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{clip.left + 1, clip.top + 1, clip.right - 1, clip.bottom - 1}));
    EXPECT_GT(countChanged(dst, ref), 100);
    // Thickness 0 reaches the clip's last column and row; a negative one is taken as 0.
    for (auto& l : lines) drawThickLineLighten(dst.pixels(), clip, dst.pitch(), l[0], l[1], l[2], l[3], 0x000000FF, -4);
    EXPECT_TRUE(unchangedOutside(dst, ref, clip));
}

TEST(ProfileLines, CrossSectionsAndClipping) {
    const Rect clip{0, 0, 30, 20};
    GuardedBuffer dst(30, 20, kGrey), ref(30, 20, kGrey);
    drawProfileLine(dst.pixels(), clip, dst.pitch(), 2, 5, 20, 5, 0x000000FF, 0);
    for (int x = 2; x <= 20; ++x) EXPECT_EQ(dst.at(x, 5), 0u);   // n = 0: black
    EXPECT_EQ(countChanged(dst, ref), 19);
    drawProfileLine(dst.pixels(), clip, dst.pitch(), 2, 10, 20, 10, 0x000000FF, 1);
    EXPECT_EQ(dst.at(8, 10), 0x00FFFFFFu);
    EXPECT_EQ(dst.at(8, 9), 0u);
    EXPECT_EQ(dst.at(8, 11), 0u);
    dst.fill(kGrey);
    drawProfileLine(dst.pixels(), clip, dst.pitch(), 2, 10, 20, 10, 0x000000FF, 4);
    // m = 409, h = 2: white, fading toward red, then red fading to black.
    EXPECT_EQ(dst.at(8, 10), 0x00FFFFFFu);
    EXPECT_EQ(dst.at(8, 11), 0x00FF9A9Au);   // 255 - 409 x 255 / 1024
    EXPECT_EQ(dst.at(8, 12), 0x00CB0000u);   // 255 x 409 x 2 / 1024: the colour part is red
    EXPECT_EQ(dst.at(8, 14), 0u);
    dst.fill(kGrey);
    drawProfileLine(dst.pixels(), clip, dst.pitch(), 7, 7, 7, 7, 0x00FFFFFF, 0);
    EXPECT_EQ(countChanged(dst, ref), 1);
    drawProfileLine(dst.pixels(), clip, dst.pitch(), -10, -10, 40, 30, 0x0000FF00, 6);
    drawProfileLine(dst.pixels(), clip, dst.pitch(), 25, -8, 3, 40, 0x0000FF00, 1000000);
    EXPECT_TRUE(unchangedOutside(dst, ref, clip));
}

TEST(GradientLines, StepsLagOnePixelBehind) {
    GuardedBuffer dst(12, 8, kGrey), ref(12, 8, kGrey);
    drawGradientLine(dst.pixels(), dst.pitch(), 1, 2, 5, 2, 0x00000000, 0x000000FF);
    const Pixel want[] = {0, 0, 63, 127, 191};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(dst.at(1 + k, 2), want[k]) << k;
    EXPECT_EQ(countChanged(dst, ref), 5);
    drawGradientLine(dst.pixels(), dst.pitch(), 9, 6, 9, 6, 0x00123456, 0x00FFFFFF);
    EXPECT_EQ(dst.at(9, 6), 0x00123456u);
    EXPECT_EQ(countChanged(dst, ref), 6);
}

TEST(LightRays, FadeFromTheSecondPointAndClipToTheFrame) {
    GuardedBuffer dst(16, 8, 0), ref(16, 8, 0);
    drawLightRay(dst.pixels(), dst.pitch(), 0, 0, 10, 0, 0x00C864FF, 16, 8);
    EXPECT_EQ(dst.at(0, 0), 0u);
    EXPECT_EQ(dst.at(1, 0), 0x00C864FFu);
    // k = 9, u = 6553: c - (9 c u >> 16)
    EXPECT_EQ(dst.at(10, 0), ((200 - (9 * 200 * 6553 >> 16)) << 16 | (100 - (9 * 100 * 6553 >> 16)) << 8 |
                              (255 - (9 * 255 * 6553 >> 16))));
    EXPECT_EQ(countChanged(dst, ref), 10);
    drawLightRay(dst.pixels(), dst.pitch(), 3, 3, 3, 3, 0x00FFFFFF, 16, 8);   // no length: nothing
    EXPECT_EQ(countChanged(dst, ref), 10);
    drawLightRay(dst.pixels(), dst.pitch(), 8, 4, -30, 20, 0x00FFFFFF, 16, 8);
    drawLightRay(dst.pixels(), dst.pitch(), 8, 4, 60, -9, 0x00FFFFFF, 16, 8);
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{0, 0, 16, 8}));
}

}  // namespace
