// Text through GDI: where it lands, its colour, and the platform seam's layout.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "render/Blits.h"
#include "render/Platform.h"
#include "tests/render/DrawChecks.h"

namespace {

using draw_checks::countChanged;
using draw_checks::unchangedOutside;
using vt_test::GuardedBuffer;

TextFont boldFont(int height) {
    TextFont f;
    f.height = height;
    f.weight = 700;
    f.charSet = 0;
    f.quality = 2;
    strcpy(f.faceName, "Arial");
    return f;
}

TEST(GdiText, LandsInsideItsMeasuredBoxInItsColour) {
    Rect extent{0, 0, 0, 0};
    ASSERT_GT(platformDrawText(nullptr, 0, 0, 0, "Glimmer", 7, boldFont(24), 0, &extent, kTextCalcRect), 0);
    EXPECT_GT(extent.right, 40);
    EXPECT_GE(extent.bottom, 20);

    GuardedBuffer dst(200, 60, 0), ref(200, 60, 0);
    const Rect clip{0, 0, 200, 60};
    ASSERT_EQ(drawTextToBuffer(dst.pixels(), clip, dst.pitch(), "Glimmer", 0x000000FF, 20, 10, 24, "Arial"), 1);
    int drawn = 0, full = 0, minX = 999, minY = 999, maxX = -1, maxY = -1;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            const Pixel p = dst.at(x, y);
            if (p == 0) continue;
            ++drawn;
            full += p == 0x00FF0000u;
            EXPECT_EQ(p & 0x0000FFFFu, 0u) << "only red: " << std::hex << p;   // 0x00BBGGRR red lands as red
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    EXPECT_GT(drawn, 100);
    EXPECT_GT(full, 50);
    EXPECT_GE(minX, 20);
    EXPECT_GE(minY, 10);
    EXPECT_LT(maxX, 20 + extent.right);
    EXPECT_LT(maxY, 10 + extent.bottom);
    EXPECT_LT(minX, 20 + 8);
    EXPECT_GT(maxX, 20 + extent.right - 10);
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{20, 10, 20 + extent.right, 10 + extent.bottom}));
}

TEST(GdiText, ClipsEmptyAndBlackText) {
    GuardedBuffer dst(120, 40, 0), ref(120, 40, 0);
    drawTextToBuffer(dst.pixels(), Rect{0, 0, 40, 16}, dst.pitch(), "Clipped text", 0x00FFFFFF, 25, 6, 24, "Arial");
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{0, 0, 40, 16}));
    EXPECT_GT(countChanged(dst, ref), 0);
    GuardedBuffer quiet(120, 40, 0);
    EXPECT_EQ(drawTextToBuffer(quiet.pixels(), Rect{0, 0, 120, 40}, quiet.pitch(), "", 0x00FFFFFF, 5, 5, 20, "Arial"), 1);
    EXPECT_EQ(drawTextToBuffer(quiet.pixels(), Rect{0, 0, 120, 40}, quiet.pitch(), "Dark", 0, 5, 5, 20, "Arial"), 1);
    EXPECT_EQ(countChanged(quiet, ref), 0);
}

TEST(GdiText, SeamCoversGlyphPixelsEvenInBlack) {
    GuardedBuffer dst(160, 40, 0x00FFFFFF), ref(160, 40, 0x00FFFFFF);
    Rect box{0, 0, 160, 40};
    ASSERT_GT(platformDrawText(dst.pixels(), dst.pitch(), 160, 40, "Seam", 4, boldFont(28), 0, &box,
                               kTextCenter | kTextVCenter | kTextSingleLine),
              0);
    int dark = 0, minX = 999, maxX = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 160; ++x)
            if (dst.at(x, y) != 0x00FFFFFFu) {
                ++dark;
                minX = std::min(minX, x), maxX = std::max(maxX, x);
            }
    EXPECT_GT(dark, 50);
    EXPECT_NEAR((minX + maxX) / 2.0, 80, 6);
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{0, 0, 160, 40}));
}

}  // namespace
