// Native stand-ins: the drawn fire texture behind loadBitmapResource and the
// built-in font behind the text seam.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/Blits.h"
#include "render/Fills.h"
#include "render/FireSheet.h"
#include "render/Platform.h"
#include "tests/render/DrawChecks.h"
#include "tests/support/TestSupport.h"

namespace {

using draw_checks::countChanged;
using draw_checks::unchangedOutside;
using vt_test::GuardedBuffer;

TEST(FireTexture, CheckedInBitmapIsTheGeneratorsOutput) {
    const std::vector<uint8_t> file = vt_test::readFileBytes(vt_test::sourceDir() + "/engine/app/fire.bmp");
    EXPECT_TRUE(file == fireSheetBitmapFile()) << "run tools/makefiresheet engine/app/fire.bmp";
}

TEST(FireTexture, FramesStandOnBlackCells) {
    std::vector<Pixel> sheet(kFireBitmapWidth * kFireBitmapHeight);
    drawFireSheet(sheet.data());
    for (int k = 0; k < kFireFrameCount; ++k) {
        const int left = 30 * (k % 11), top = 120 * (k / 11);
        int lit = 0;
        for (int y = 0; y < kFireCellHeight; ++y)
            for (int x = 0; x < kFireFrameWidth; ++x) {
                const Pixel p = sheet[(top + y) * kFireBitmapWidth + left + x];
                ASSERT_EQ(p >> 24, 0u);
                if (y >= kFireFrameHeight) {
                    ASSERT_EQ(p, 0u) << "frame " << k;   // the rows below are not drawn
                }
                lit += p != 0;
            }
        EXPECT_GT(lit, 300) << "frame " << k;
        EXPECT_NE(sheet[(top + 108) * kFireBitmapWidth + left + 15], 0u) << "frame " << k;   // the flame's foot
        EXPECT_EQ(sheet[(top + 2) * kFireBitmapWidth + left + 1], 0u) << "frame " << k;
    }
}

TEST(FireTexture, LoadedUprightAndNeverReadPastTheBitmap) {
    std::vector<Pixel> sheet(kFireBitmapWidth * kFireBitmapHeight);
    drawFireSheet(sheet.data());
    std::vector<Pixel> loaded(kFireBitmapWidth * kFireBitmapHeight, 0xDEADBEEF);
    EXPECT_EQ(loadBitmapResource(loaded.data(), nullptr, kFireBitmapWidth, kFireBitmapHeight), 1);
    EXPECT_EQ(loaded, sheet);
    // Fewer rows: the bottom rows of the picture, fewer columns: the left ones.
    std::vector<Pixel> part(100 * 50);
    EXPECT_EQ(loadBitmapResource(part.data(), "ignored", 100, 50), 1);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(part[y * 100 + x], sheet[(310 + y) * kFireBitmapWidth + x]);
    // More than the bitmap holds: black where it has nothing.
    std::vector<Pixel> big(400 * 400, 0xDEADBEEF);
    EXPECT_EQ(loadBitmapResource(big.data(), nullptr, 400, 400), 1);
    EXPECT_EQ(big[0], 0u);
    EXPECT_EQ(big[399 * 400 + 399], 0u);
    EXPECT_EQ(big[(40 + 108) * 400 + 15], sheet[108 * kFireBitmapWidth + 15]);
}

TEST(TextSeam, MeasuresWrapsAndCentres) {
    TextFont font;
    font.height = 18;
    Rect r{0, 0, 0, 0};
    const int32_t h = platformDrawText(nullptr, 0, 0, 0, "Hello", 5, font, 0, &r, kTextCalcRect);
    EXPECT_EQ(h, r.bottom);
    EXPECT_GT(r.right, 0);
    Rect r2{0, 0, 0, 0};
    platformDrawText(nullptr, 0, 0, 0, "Hello Hello", -1, font, 0, &r2, kTextCalcRect);
    EXPECT_GT(r2.right, 2 * r.right);
    Rect wrapped{0, 0, r.right + 4, 0};
    platformDrawText(nullptr, 0, 0, 0, "Hello Hello", -1, font, 0, &wrapped, kTextCalcRect | kTextWordBreak);
    EXPECT_EQ(wrapped.bottom, 2 * r.bottom);
    EXPECT_LE(wrapped.right, r.right + 4);

    GuardedBuffer dst(120, 40, 0x00010101), ref(120, 40, 0x00010101);
    Rect box{0, 0, 120, 40};
    platformDrawText(dst.pixels(), dst.pitch(), 120, 40, "Hi", 2, font, 0x0000FF00, &box,
                     kTextCenter | kTextVCenter | kTextSingleLine);
    int minX = 999, maxX = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x)
            if (dst.at(x, y) != 0x00010101u) {
                ASSERT_EQ(dst.at(x, y), 0x0000FF00u);
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    EXPECT_NEAR((minX + maxX) / 2.0, 60, 4);
    EXPECT_TRUE(unchangedOutside(dst, ref, Rect{0, 0, 120, 40}));
}

TEST(TextToBuffer, DrawsAtThePointInTheColourAndClips) {
    GuardedBuffer dst(100, 40, 0), ref(100, 40, 0);
    const Rect clip{0, 0, 100, 40};
    EXPECT_EQ(drawTextToBuffer(dst.pixels(), clip, dst.pitch(), "Glow", 0x000000FF, 10, 5, 16, "Arial"), 1);
    TextFont font;
    font.height = 16;
    font.weight = 700;
    Rect extent{0, 0, 0, 0};
    platformDrawText(nullptr, 0, 0, 0, "Glow", 4, font, 0, &extent, kTextCalcRect);
    int drawn = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            if (dst.at(x, y) != 0) {
                ++drawn;
                EXPECT_EQ(dst.at(x, y), 0x00FF0000u);   // 0x00BBGGRR red arrives as 0x00RRGGBB red
                EXPECT_GE(x, 10);
                EXPECT_GE(y, 5);
                EXPECT_LT(x, 10 + extent.right);
                EXPECT_LT(y, 5 + extent.bottom);
            }
    EXPECT_GT(drawn, 20);
    EXPECT_EQ(drawTextToBuffer(dst.pixels(), clip, dst.pitch(), "", 0x000000FF, 10, 5, 16, nullptr), 1);
    GuardedBuffer clipped(100, 40, 0), black(100, 40, 0);
    drawTextToBuffer(clipped.pixels(), Rect{0, 0, 30, 12}, clipped.pitch(), "Clipped text", 0x00FFFFFF, 20, 4, 16, nullptr);
    EXPECT_TRUE(unchangedOutside(clipped, ref, Rect{0, 0, 30, 12}));
    drawTextToBuffer(black.pixels(), clip, black.pitch(), "Black", 0, 0, 0, 16, nullptr);
    EXPECT_EQ(countChanged(black, ref), 0);   // black is the transparent colour
}

}  // namespace
