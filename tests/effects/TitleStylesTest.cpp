// The text style passes on small synthetic glyph masks: exact pixels for the
// integer passes, properties for the lit reliefs (their checksums are pinned in
// the native test).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "CG/TitleStyles.h"

namespace {

constexpr Pixel C = 0x00604020;   // glyph colour

struct Image {
    int32_t w, h;
    std::vector<Pixel> px;
    Image(int32_t width, int32_t height) : w(width), h(height), px(static_cast<size_t>(width) * height, 0) {}
    Pixel& at(int32_t x, int32_t y) { return px[static_cast<size_t>(y) * w + x]; }
    Pixel at(int32_t x, int32_t y) const { return px[static_cast<size_t>(y) * w + x]; }
    Rect all() const { return Rect{0, 0, w, h}; }
    void block(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Pixel c) {
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x) at(x, y) = c;
    }
};

// Compares every pixel with expected(x, y).
void expectPixels(const Image& img, const std::function<Pixel(int32_t, int32_t)>& expected) {
    int wrong = 0;
    for (int32_t y = 0; y < img.h; ++y)
        for (int32_t x = 0; x < img.w; ++x)
            if (img.at(x, y) != expected(x, y) && ++wrong <= 5)
                ADD_FAILURE() << "(" << x << ", " << y << "): " << std::hex << img.at(x, y) << " expected "
                              << expected(x, y);
    EXPECT_EQ(wrong, 0);
}

// Chebyshev distance from (x, y) to the block [x0, x1) x [y0, y1).
int32_t ringOf(int32_t x, int32_t y, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int32_t dx = x < x0 ? x0 - x : (x >= x1 ? x - x1 + 1 : 0);
    const int32_t dy = y < y0 ? y0 - y : (y >= y1 ? y - y1 + 1 : 0);
    return std::max(dx, dy);
}

TEST(TitleStyles, BlackFrameRingsEveryGlyphWithTheOutlineColour) {
    Image img(10, 9);
    img.block(3, 3, 6, 5, C);
    img.at(8, 7) = C;   // a lone pixel near the edge: its ring is clipped
    renderStyleBlackFrame(img.px.data(), img.all(), img.w, 1);
    expectPixels(img, [](int32_t x, int32_t y) -> Pixel {
        if (ringOf(x, y, 3, 3, 6, 5) == 0 || (x == 8 && y == 7)) return C;
        if (ringOf(x, y, 3, 3, 6, 5) == 1 || ringOf(x, y, 8, 7, 9, 8) == 1) return 1;
        return 0;
    });
}

TEST(TitleStyles, WhitenKeepsTheColourOnlyAtTheRim) {
    Image img(9, 9);
    img.block(2, 2, 5, 5, C);   // 3 x 3: the centre has no background neighbour
    renderStyleWhiten(img.px.data(), img.all(), img.w);
    expectPixels(img, [](int32_t x, int32_t y) -> Pixel {
        if (x == 3 && y == 3) return 0xFFFFFF;
        return ringOf(x, y, 2, 2, 5, 5) <= 1 ? C : 0;
    });
}

TEST(TitleStyles, ShadowFallsSixPixelsDownRightInHalfTheTitleColour) {
    Image img(12, 12);
    img.at(2, 2) = C;
    img.at(3, 3) = C;   // a diagonal pair: the second hides the first one's first shadow pixel
    renderStyleShadow(img.px.data(), img.all(), img.w, 0x000000FF);   // COLORREF red
    expectPixels(img, [](int32_t x, int32_t y) -> Pixel {
        if (x == y && (x == 2 || x == 3)) return C;
        if (x == y && x >= 4 && x <= 9) return 0x7F0000;
        return 0;
    });
}

TEST(TitleStyles, BolokRaisesATwoPixelRim) {
    Image img(11, 11);
    img.at(5, 5) = C;
    renderStyleBolok(img.px.data(), img.all(), img.w, 0x00103060);   // pixel 0x603010
    const Pixel light = 0xC06020, dark = 0x301808;
    expectPixels(img, [&](int32_t x, int32_t y) -> Pixel {
        const int32_t dx = x - 5, dy = y - 5;
        if (!dx && !dy) return C;
        if (dx == 1 && dy == -1) return light;   // the pixel above is background
        const bool onRay = (dx == 0 || dy == 0 || std::abs(dx) == std::abs(dy)) && std::max(std::abs(dx), std::abs(dy)) <= 2;
        if (!onRay || (dx > 0 && dy < 0)) return 0;
        return (dx <= 0 && dy <= 0) ? light : dark;
    });

    // With the pixel above lit, the upper-right neighbour turns dark.
    Image pair(7, 7);
    pair.at(3, 2) = C;
    pair.at(3, 3) = C;
    renderStyleBolok(pair.px.data(), pair.all(), pair.w, 0x00103060);
    EXPECT_EQ(pair.at(4, 2), dark);       // right of the upper pixel, also upper right of the lower one
    EXPECT_EQ(pair.at(4, 1), light);      // upper right of the upper pixel
    EXPECT_EQ(pair.at(3, 1), light);
    EXPECT_EQ(pair.at(3, 4), dark);
}

TEST(TitleStyles, BoxFrameDrawsTheWhiteBoxTwoPixelsIn) {
    Image img(10, 8);
    img.at(5, 3) = C;
    renderStyleBoxFrame(img.px.data(), img.all(), img.w);
    expectPixels(img, [](int32_t x, int32_t y) -> Pixel {
        const bool row = (y == 2 || y == 4) && x >= 2 && x <= 7;
        const bool column = (x == 2 || x == 6) && y >= 2 && y <= 5;
        if (row || column) return 0xFFFFFF;
        return x == 5 && y == 3 ? C : 0;
    });
    Image tiny(3, 2);   // smaller than the box: nothing outside the image
    renderStyleBoxFrame(tiny.px.data(), tiny.all(), tiny.w);
}

TEST(TitleStyles, ShadowOnlyKeepsUpperLeftEdgesAndExtrudesTheLowerRight) {
    Image img(10, 10);
    img.block(3, 3, 5, 5, C);
    renderStyleShadowOnly(img.px.data(), img.all(), img.w);
    expectPixels(img, [](int32_t x, int32_t y) -> Pixel {
        if ((x == 3 && y == 3) || (x == 4 && y == 3) || (x == 3 && y == 4)) return C;
        if (x == y && x >= 5 && x <= 7) return C;
        return 0;
    });
}

TEST(TitleStyles, NeonHaloFadesFromWhiteToTheTitleColour) {
    Image img(21, 21);
    img.at(10, 10) = C;
    renderStyleNeon(img.px.data(), img.all(), img.w, 0x000000FF);   // COLORREF red: text 0xFF0000
    // a = 255 - min(255, trunc(sqrt(d2) x 36)); channel = ((255 - a) x text + a x 255) >> 8.
    auto halo = [](uint32_t a) {
        const uint32_t r = ((255 - a) * 255 + a * 255) >> 8, gb = (a * 255) >> 8;
        return (r << 16) | (gb << 8) | gb;
    };
    EXPECT_EQ(img.at(10, 10), 0xFFFFFFu);
    EXPECT_EQ(img.at(11, 10), halo(219));   // d2 1
    EXPECT_EQ(img.at(11, 11), halo(205));   // d2 2: 50.9
    EXPECT_EQ(img.at(12, 11), halo(175));   // d2 5 on ring 2: 80.5
    EXPECT_EQ(img.at(17, 10), halo(3));     // d2 49: 252
    EXPECT_EQ(img.at(18, 10), 0u);          // d2 64: 288 caps at 255
    EXPECT_EQ(img.at(0, 0), 0u);            // beyond ring 8
    for (Pixel p : img.px) EXPECT_EQ(p >> 24, 0u) << "no working byte left in the image";
}

// Reliefs: background stays transparent, glyph pixels are reshaded from their
// own colour, and the light falls differently on opposite edges.
TEST(TitleStyles, ReliefsShadeOnlyGlyphPixels) {
    using Pass = std::function<void(Image&)>;
    const Pass passes[] = {
        [](Image& i) { renderStyleBevel(i.px.data(), i.all(), i.w, 1, 12, 0); },
        [](Image& i) { renderStyleBevel(i.px.data(), i.all(), i.w, 1, 12, 1); },
        [](Image& i) { renderStyleBevel(i.px.data(), i.all(), i.w, 1, 12, 2); },
        [](Image& i) { renderStyle3DUltung(i.px.data(), i.all(), i.w, 1, 12); },
        [](Image& i) { renderStyle3DUltung2(i.px.data(), i.all(), i.w, 1, 12); },
    };
    std::vector<std::vector<Pixel>> results;
    for (const Pass& pass : passes) {
        Image img(40, 30);
        img.block(8, 6, 32, 24, 0x00808080);
        img.at(2, 2) = 0x00808080;
        pass(img);
        for (int32_t y = 0; y < img.h; ++y)
            for (int32_t x = 0; x < img.w; ++x) {
                const bool glyph = (x >= 8 && x < 32 && y >= 6 && y < 24) || (x == 2 && y == 2);
                if (!glyph) {
                    EXPECT_EQ(img.at(x, y), 0u);
                }
                const Pixel p = img.at(x, y);
                // A grey glyph stays grey: the same gain and highlight on every channel.
                EXPECT_TRUE(((p >> 16) & 0xFF) == (p & 0xFF) && ((p >> 8) & 0xFF) == (p & 0xFF)) << std::hex << p;
            }
        EXPECT_NE(img.at(8, 15), img.at(31, 15)) << "left and right edges lit alike";
        EXPECT_NE(img.at(20, 6), img.at(20, 23)) << "top and bottom edges lit alike";
        results.push_back(img.px);
    }
    for (size_t i = 0; i < results.size(); ++i)
        for (size_t j = i + 1; j < results.size(); ++j) EXPECT_NE(results[i], results[j]) << i << " and " << j;
}

TEST(TitleStyles, PassesStayInsideTheirRect) {
    // A glyph touching every border of a rect inside a larger buffer: nothing
    // outside the rect changes, and nothing is read beyond the buffer.
    const Rect rect{4, 3, 20, 15};
    std::vector<std::function<void(Pixel*, int32_t)>> passes = {
        [&](Pixel* p, int32_t s) { renderStyleBevel(p, rect, s, 1, 40, 0); },
        [&](Pixel* p, int32_t s) { renderStyleBevel(p, rect, s, 1, 40, 2); },
        [&](Pixel* p, int32_t s) { renderStyle3DUltung(p, rect, s, 1, 40); },
        [&](Pixel* p, int32_t s) { renderStyle3DUltung2(p, rect, s, 1, 40); },
        [&](Pixel* p, int32_t s) { renderStyleBlackFrame(p, rect, s, 1); },
        [&](Pixel* p, int32_t s) { renderStyleWhiten(p, rect, s); },
        [&](Pixel* p, int32_t s) { renderStyleShadow(p, rect, s, 0xFF); },
        [&](Pixel* p, int32_t s) { renderStyleBolok(p, rect, s, 0xFF); },
        [&](Pixel* p, int32_t s) { renderStyleBoxFrame(p, rect, s); },
        [&](Pixel* p, int32_t s) { renderStyleNeon(p, rect, s, 0xFF); },
        [&](Pixel* p, int32_t s) { renderStyleShadowOnly(p, rect, s); },
    };
    for (size_t i = 0; i < passes.size(); ++i) {
        Image img(24, 18);
        for (int32_t y = 0; y < img.h; ++y)
            for (int32_t x = 0; x < img.w; ++x) {
                const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
                // A cross through the rect that reaches all four of its borders, and junk outside.
                img.at(x, y) = inside ? ((x == 10 || y == 8) ? C : 0) : 0x00ABCDEF;
            }
        const std::vector<Pixel> before = img.px;
        passes[i](img.px.data(), img.w);
        for (int32_t y = 0; y < img.h; ++y)
            for (int32_t x = 0; x < img.w; ++x) {
                const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
                if (!inside) {
                    EXPECT_EQ(img.at(x, y), before[static_cast<size_t>(y) * img.w + x]) << "pass " << i;
                }
            }
    }
}

TEST(TitleStyles, ColorRefToPixelSwapsRedAndBlue) {
    EXPECT_EQ(colorRefToPixel(0x00332211), 0x00112233u);
    EXPECT_EQ(colorRefToPixel(0x7F0000FF), 0x00FF0000u);
}

}  // namespace
