// Ring searches and the mask and title reliefs.
#include <gtest/gtest.h>

#include "render/MaskRelief.h"
#include "tests/support/TestSupport.h"

using vt_test::GuardedBuffer;

namespace {

void fillBox(GuardedBuffer& b, int x0, int y0, int x1, int y1, Pixel v) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) b.at(x, y) = v;
}

}  // namespace

TEST(RingSearch, DistancesToTheNearestBlackPixel) {
    GuardedBuffer b(20, 10, 0);
    fillBox(b, 5, 2, 15, 8, 0xFFFFFF);
    const int pitch = b.pitch(), count = 10 * pitch;
    int32_t d = -1;
    auto index = [&](int x, int y) { return y * pitch + x; };
    EXPECT_EQ(findNearestPixel(b.pixels(), count, index(5, 4), pitch, 1, &d), 0);
    EXPECT_EQ(d, 1);   // edge neighbour
    b.at(4, 4) = 0xFFFFFF;
    b.at(4, 3) = 0xFFFFFF;
    b.at(4, 5) = 0xFFFFFF;
    EXPECT_EQ(findNearestPixel(b.pixels(), count, index(5, 4), pitch, 1, &d), 1);
    EXPECT_EQ(d, kNoPixelFound);
    EXPECT_EQ(findNearestPixelAlt(b.pixels(), count, index(5, 4), pitch, 1, &d, 3), 0);
    EXPECT_EQ(d, 3);
    EXPECT_EQ(findNearestPixelAlt(b.pixels(), count, index(6, 2), pitch, 1, &d, 3), 0);
    EXPECT_EQ(d, 1);
    EXPECT_EQ(findNearestPixel(b.pixels(), count, index(14, 7), pitch, 1, &d), 0);
    EXPECT_EQ(d, 1);
    b.at(15, 7) = 0xFFFFFF;
    b.at(14, 8) = 0xFFFFFF;
    EXPECT_EQ(findNearestPixel(b.pixels(), count, index(14, 7), pitch, 1, &d), 0);
    EXPECT_EQ(d, 2);   // only corner neighbours are black now
    // Candidates outside [0, count) do not count.
    EXPECT_EQ(findNearestPixel(b.pixels() + index(6, 2), 1, 0, pitch, 1, &d), 1);
}

TEST(RingSearch, ClippedSearchLooksForColourAndStaysInTheBuffer) {
    GuardedBuffer b(10, 10, 0);
    const int w = b.pitch();   // the clipped search takes the row length as its width
    b.at(0, 0) = 0xFF000000;   // colour bits all zero: counts as black
    int32_t d = -1;
    EXPECT_EQ(findNearestPixelClipped(b.pixels(), w, 10, 1, 1, 1, &d), 1);
    EXPECT_EQ(d, kNoPixelFound);
    b.at(0, 0) = 0x000001;
    EXPECT_EQ(findNearestPixelClipped(b.pixels(), w, 10, 1, 1, 1, &d), 0);
    EXPECT_EQ(d, 2);
    b.at(1, 0) = 0x000100;
    EXPECT_EQ(findNearestPixelClipped(b.pixels(), w, 10, 1, 1, 1, &d), 0);
    EXPECT_EQ(d, 1);
    // A ring reaching past the corner reads nothing outside rows 0..9 and columns 0..w-1.
    EXPECT_EQ(findNearestPixelClipped(b.pixels(), w, 10, 0, 0, 1, &d), 0);
    EXPECT_EQ(d, 1);
    EXPECT_EQ(findNearestPixelClipped(b.pixels(), w, 10, 0, 0, 30, &d), 1);
}

TEST(Relief, FlatInteriorShadesAsFacingTheViewer) {
    GuardedBuffer mask(800, 600, 0);
    fillBox(mask, 100, 100, 300, 200, 0xFFFFFF);
    renderMaskRelief(mask.pixels(), Rect{0, 0, 800, 600}, mask.pitch(), 1.0f, 8, 0);
    EXPECT_EQ(mask.at(200, 150), (2u << 16) | 279u);
    EXPECT_EQ(mask.at(120, 120), (2u << 16) | 279u);
    EXPECT_EQ(mask.at(50, 50), 0u);
    EXPECT_NE(mask.at(100, 150), (2u << 16) | 279u);   // the bevel
    EXPECT_NE(mask.at(100, 150), 0u);
    EXPECT_TRUE(mask.guardIntact());

    GuardedBuffer title(800, 600, 0);
    fillBox(title, 100, 100, 300, 200, 0xFFFFFF);
    renderTitleRelief(title.pixels(), Rect{0, 0, 800, 600}, title.pitch(), 1.0f, 8, 2);
    EXPECT_EQ(title.at(200, 150), 255u);
    EXPECT_EQ(title.at(50, 50), 0u);
}

TEST(Relief, SlopeBytesKeepTheirOwnSign) {
    GuardedBuffer title(400, 100, 0);
    fillBox(title, 50, 20, 350, 80, 0xFFFFFF);
    renderTitleRelief(title.pixels(), Rect{0, 0, 400, 100}, title.pitch(), 1.0f, 16, 2);
    const Pixel top = title.at(200, 21), bottom = title.at(200, 78);
    const int8_t topY = static_cast<int8_t>((top >> 16) & 0xFF), bottomY = static_cast<int8_t>((bottom >> 16) & 0xFF);
    EXPECT_NE(topY, 0);
    EXPECT_NEAR(topY, -bottomY, 1);          // mirrored edges, mirrored slopes
    EXPECT_EQ(top >> 24, 0u);                // no x slope in the middle of a horizontal edge,
    EXPECT_EQ(bottom >> 24, 0u);             // whichever sign the y slope has
    const int8_t leftX = static_cast<int8_t>(title.at(51, 50) >> 24), rightX = static_cast<int8_t>(title.at(348, 50) >> 24);
    EXPECT_NE(leftX, 0);
    EXPECT_NEAR(leftX, -rightX, 1);
}

TEST(Relief, CappedDistanceGivesAPlateau) {
    GuardedBuffer mask(200, 100, 0);
    fillBox(mask, 20, 20, 180, 80, 0xFFFFFF);
    renderMaskReliefB(mask.pixels(), Rect{0, 0, 200, 100}, mask.pitch(), 1.0f, 8, 0, 3);
    EXPECT_EQ(mask.at(100, 50), (2u << 16) | 279u);
    EXPECT_EQ(mask.at(30, 30), (2u << 16) | 279u);   // a plateau already 10 pixels in
    EXPECT_NE(mask.at(20, 50), (2u << 16) | 279u);
}

TEST(Relief, MaskWithoutBlackPixelsEnds) {
    // Area and margin all shape: no edge anywhere in the searched rows.
    GuardedBuffer mask(800, 600, 0x808080);
    renderMaskRelief(mask.pixels(), Rect{0, 0, 800, 600}, mask.pitch(), 1.0f, 8, 0);
    EXPECT_EQ(mask.at(400, 300), (2u << 16) | 279u);
    EXPECT_TRUE(mask.guardIntact());
    GuardedBuffer title(800, 600, 0x808080);
    renderTitleRelief(title.pixels(), Rect{0, 0, 800, 600}, title.pitch(), 1.0f, 8, 0);
    EXPECT_EQ(title.at(400, 300) & 0xFFFF, 255u);
    GuardedBuffer capped(800, 600, 0x808080);
    renderMaskReliefB(capped.pixels(), Rect{0, 0, 800, 600}, capped.pitch(), 1.0f, 8, 0, 3);
    EXPECT_EQ(capped.at(400, 300), (2u << 16) | 279u);
}
