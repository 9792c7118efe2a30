// Rectangle copies, stretches and blends: golden values on small buffers, the
// stretch chooser, and what each routine may touch outside its rectangles.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "render/PixelBuffer.h"
#include "tests/support/TestSupport.h"

using vt_test::GuardedBuffer;

namespace {

constexpr Pixel kBackground = 0x010203;

// Sets the visible pixels row by row from a list.
void setRows(GuardedBuffer& b, std::initializer_list<std::initializer_list<Pixel>> rows) {
    int y = 0;
    for (auto& row : rows) {
        int x = 0;
        for (Pixel p : row) b.at(x++, y) = p;
        ++y;
    }
}

// Expects the rectangle at (x0, y0) to hold `rows` exactly.
void expectRows(const GuardedBuffer& b, int x0, int y0, const std::vector<std::vector<Pixel>>& rows) {
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            EXPECT_EQ(b.at(x0 + static_cast<int>(x), y0 + static_cast<int>(y)), rows[y][x])
                << "at (" << x << ", " << y << ")";
}

// Every pixel of the buffer and its margin outside `r` still holds `value`.
bool untouchedOutside(const GuardedBuffer& b, const Rect& r, Pixel value) {
    for (int y = -kBufferMargin; y < b.height() + kBufferMargin; ++y)
        for (int x = -kBufferMargin; x < b.width() + kBufferMargin; ++x) {
            bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            if (!inside && b.at(x, y) != value) return false;
        }
    return b.guardIntact();
}

}  // namespace

TEST(PixelArithmetic, SaturatingAddKeepsChannelsApart) {
    EXPECT_EQ(saturatingAdd(0xF08010, 0x204080), 0xFFC090u);   // (240,128,16) + (32,64,128)
    EXPECT_EQ(saturatingAdd(0x0000FF, 0x000001), 0x0000FFu);   // blue does not carry into green
    EXPECT_EQ(saturatingAdd(0x00FF00, 0x00FF00), 0x00FF00u);
    EXPECT_EQ(saturatingAdd(0xFF0000, 0x010101), 0xFF0101u);
    EXPECT_EQ(saturatingAdd(0x123456, 0), 0x123456u);
}

// The additive stretch's SSE2 row equals the plain one: channels that saturate
// and not, source pixels with a top byte, repeated and backward columns, runs of
// every length mod 4.
TEST(PixelArithmetic, SaturatingAddGatheredVectorFormEqualsThePlainForm) {
    uint32_t v = 3;
    auto next = [&] { return v = v * 1664525u + 1013904223u; };
    std::vector<Pixel> src(64);
    for (Pixel& p : src) p = next();
    std::vector<int32_t> column(41);
    for (size_t i = 0; i < column.size(); ++i) column[i] = static_cast<int32_t>(i < 20 ? i / 3 : 63 - i);
    for (int32_t n : {0, 1, 2, 3, 4, 5, 41}) {
        std::vector<Pixel> a(41);
        for (Pixel& p : a) p = next() & 0x00FFFFFF;
        std::vector<Pixel> b = a;
        saturatingAddGathered(a.data(), src.data(), column.data(), n);
        saturatingAddGatheredPlain(b.data(), src.data(), column.data(), n);
        EXPECT_EQ(a, b) << "n " << n;
    }
}

TEST(PixelArithmetic, BlendWeightTruncatesAndStaysInRange) {
    struct Case { float alpha; uint32_t weight; } cases[] = {
        {0.0f, 0}, {1.0f, 256}, {0.5f, 128}, {0.999f, 255}, {0.0039f, 0}, {0.0040f, 1},
        {-0.5f, 0}, {3.0f, 256}, {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(blendWeight(c.alpha), c.weight) << c.alpha;
}

TEST(PixelArithmetic, BlendAndBilinearPerChannel) {
    // (d x 128 + s x 128) >> 8 per channel.
    EXPECT_EQ(blendPixel(0xFF0000, 0x0000FF, 128), 0x7F007Fu);
    EXPECT_EQ(blendPixel(0x102030, 0x305070, 128), 0x203850u);
    EXPECT_EQ(blendPixel(0xFFFFFF, 0xFFFFFF, 255), 0xFFFFFFu);
    EXPECT_EQ(blendPixel(0x123456, 0xABCDEF, 0), 0x123456u);
    EXPECT_EQ(blendPixel(0x123456, 0xABCDEF, 256), 0xABCDEFu);
    // Weights 96/160 across (fx = 10), nothing down (fy = 0); then a full 2 x 2 mix.
    EXPECT_EQ(bilinearMix(0x102030, 0xA0B0C0, 0, 0, 10, 0), 0x6A7A8Au);
    EXPECT_EQ(bilinearMix(0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 7, 9), 0xFFFFFFu);
    EXPECT_EQ(bilinearMix(0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 8, 8), 0x3F3F3Fu);
}

TEST(CopyRect, CopiesTheRectToThePointAndNothingElse) {
    GuardedBuffer src(4, 3), dst(6, 5, kBackground);
    setRows(src, {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}});
    copyRect(dst.pixels(), src.pixels(), 2, 1, Rect{1, 1, 4, 3}, dst.pitch(), src.pitch());
    expectRows(dst, 2, 1, {{6, 7, 8}, {10, 11, 12}});
    EXPECT_TRUE(untouchedOutside(dst, Rect{2, 1, 5, 3}, kBackground));
}

TEST(CopyRect, OverlappingCopyGoesForwardRowByRow) {
    GuardedBuffer b(5, 3);
    setRows(b, {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}});
    // One pixel right within the same rows: each read sees the pixel just written.
    copyRect(b.pixels(), b.pixels(), 1, 0, Rect{0, 0, 4, 1}, b.pitch(), b.pitch());
    expectRows(b, 0, 0, {{1, 1, 1, 1, 1}});
    // One row down: row 1 takes row 0, then row 2 takes the new row 1.
    copyRect(b.pixels(), b.pixels(), 0, 1, Rect{0, 0, 5, 2}, b.pitch(), b.pitch());
    expectRows(b, 0, 1, {{1, 1, 1, 1, 1}, {1, 1, 1, 1, 1}});
    // Leftward overlap behaves as a plain move.
    setRows(b, {{1, 2, 3, 4, 5}});
    copyRect(b.pixels(), b.pixels(), 0, 0, Rect{1, 0, 5, 1}, b.pitch(), b.pitch());
    expectRows(b, 0, 0, {{2, 3, 4, 5, 5}});
}

TEST(CopyRect, AddKeyedAndBlendGoldens) {
    GuardedBuffer src(3, 2), dst(4, 3, kBackground);
    setRows(src, {{0xF08010, 0, 0x010101}, {0x00FF00, 0x808080, 0}});
    setRows(dst, {{0, 0x204080, 0x0F0F0F, 0xFFFFFF}, {0x00FF00, 0x808080, 0x7F7F7F, 0}});

    GuardedBuffer added(4, 3), keyed(4, 3), blended(4, 3);
    for (GuardedBuffer* b : {&added, &keyed, &blended})
        copyRect(b->pixels(), dst.pixels(), -8, -8, Rect{-8, -8, 12, 11}, b->pitch(), dst.pitch());

    addRect(added.pixels(), src.pixels(), 1, 0, Rect{0, 0, 3, 2}, added.pitch(), src.pitch());
    expectRows(added, 0, 0, {{0, 0xFFC090, 0x0F0F0F, 0xFFFFFF}, {0x00FF00, 0x80FF80, 0xFFFFFF, 0}});

    // Key 0: black source pixels are transparent.
    copyRectKeyed(keyed.pixels(), src.pixels(), 1, 0, Rect{0, 0, 3, 2}, keyed.pitch(), src.pitch(), 0);
    expectRows(keyed, 0, 0, {{0, 0xF08010, 0x0F0F0F, 0x010101}, {0x00FF00, 0x00FF00, 0x808080, 0}});
    copyRectKeyed(keyed.pixels(), src.pixels(), 0, 1, Rect{0, 0, 3, 1}, keyed.pitch(), src.pitch(), 0xF08010);
    expectRows(keyed, 0, 1, {{0x00FF00, 0, 0x010101, 0}});

    // Both buffers at the same coordinates: RECT (0,0,3,2) moved by (1,0).
    blendRect(blended.pixels(), dst.pixels() + 0, 1, 0, Rect{0, 0, 2, 2}, blended.pitch(), dst.pitch(), 0.5f);
    expectRows(blended, 0, 0, {{0, 0x204080, 0x0F0F0F, 0xFFFFFF}, {0x00FF00, 0x808080, 0x7F7F7F, 0}});
    GuardedBuffer other(4, 3);
    setRows(other, {{0, 0x6080C0, 0x8F8F8F, 0}, {0, 0, 0xFF0101, 0}});
    blendRect(blended.pixels(), other.pixels(), 1, 0, Rect{0, 0, 2, 2}, blended.pitch(), other.pitch(), 0.5f);
    expectRows(blended, 0, 0, {{0, 0x4060A0, 0x4F4F4F, 0xFFFFFF}, {0x00FF00, 0x404040, 0xBF4040, 0}});
}

TEST(StretchRectNearest, GoldenEnlargementReductionAndEmptySource) {
    GuardedBuffer src(5, 3);
    setRows(src, {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}});
    GuardedBuffer dst(6, 4, kBackground);
    // 3 x 2 -> 5 x 3: columns 0 0 1 1 2, rows 0 0 1 (18-bit steps 157,286 and 174,762).
    stretchRectNearest(dst.pixels(), src.pixels(), Rect{1, 1, 6, 4}, Rect{1, 0, 4, 2}, dst.pitch(), src.pitch());
    expectRows(dst, 1, 1, {{2, 2, 3, 3, 4}, {2, 2, 3, 3, 4}, {7, 7, 8, 8, 9}});
    EXPECT_TRUE(untouchedOutside(dst, Rect{1, 1, 6, 4}, kBackground));

    // 5 x 3 -> 2 x 2: columns 0 and 2, rows 0 and 1.
    stretchRectNearest(dst.pixels(), src.pixels(), Rect{0, 0, 2, 2}, Rect{0, 0, 5, 3}, dst.pitch(), src.pitch());
    expectRows(dst, 0, 0, {{1, 3}, {6, 8}});

    // A zero-sized source repeats its top-left pixel.
    stretchRectNearest(dst.pixels(), src.pixels(), Rect{0, 0, 3, 2}, Rect{2, 1, 2, 1}, dst.pitch(), src.pitch());
    expectRows(dst, 0, 0, {{8, 8, 8}, {8, 8, 8}});
}

TEST(StretchRectSmooth, GoldenReadsOneColumnAndRowPastTheSource) {
    // A 2 x 2 source whose third column and row stand in the margin.
    GuardedBuffer src(2, 2);
    src.at(0, 0) = 0x102030; src.at(1, 0) = 0xA0B0C0; src.at(2, 0) = 0x405060;
    src.at(0, 1) = 0x20F010; src.at(1, 1) = 0x608040; src.at(2, 1) = 0xFFFFFF;
    src.at(0, 2) = 0x000000; src.at(1, 2) = 0x808080; src.at(2, 2) = 0x123456;
    GuardedBuffer dst(3, 3, kBackground);
    stretchRectSmooth(dst.pixels(), src.pixels(), Rect{0, 0, 3, 3}, Rect{0, 0, 2, 2}, dst.pitch(), src.pitch());
    expectRows(dst, 0, 0, {{0x102030, 0x6A7A8A, 0x8292A2},
                           {0x1AA21C, 0x549850, 0x8B9F8A},
                           {0x16A50B, 0x4A8D38, 0x819378}});
    EXPECT_TRUE(untouchedOutside(dst, Rect{0, 0, 3, 3}, kBackground));
}

TEST(StretchRectAlpha, GoldenStaysInsideTheSourceOnTheLastRowAndColumn) {
    GuardedBuffer src(3, 3);
    setRows(src, {{0x102030, 0xA0B0C0, 0x405060}, {0x20F010, 0x608040, 0xFFFFFF}, {0, 0x808080, 0x123456}});
    GuardedBuffer dst(3, 3, 0x808080);
    // 2 x 2 -> 3 x 3 at full weight: the bilinear sample; the last row and column
    // use only the source's second row and column.
    stretchRectAlpha(dst.pixels(), src.pixels(), Rect{0, 0, 3, 3}, Rect{0, 0, 2, 2}, dst.pitch(), src.pitch(), 1.0f);
    expectRows(dst, 0, 0, {{0x102030, 0x6A7A8A, 0xA0B0C0},
                           {0x1AA21C, 0x549850, 0x789270},
                           {0x20F010, 0x48AA2E, 0x608040}});
    dst.fill(0x808080);
    stretchRectAlpha(dst.pixels(), src.pixels(), Rect{0, 0, 3, 3}, Rect{0, 0, 2, 2}, dst.pitch(), src.pitch(), 0.5f);
    expectRows(dst, 0, 0, {{0x485058, 0x757D85, 0x9098A0},
                           {0x4D914E, 0x6A8C68, 0x7C8978},
                           {0x50B848, 0x649557, 0x708060}});
    // Weight 0 leaves the destination as it was.
    dst.fill(0x808080);
    stretchRectAlpha(dst.pixels(), src.pixels(), Rect{0, 0, 3, 3}, Rect{0, 0, 2, 2}, dst.pitch(), src.pitch(), 0.0f);
    EXPECT_TRUE(dst.marginIntact(0x808080));
    expectRows(dst, 0, 0, {{0x808080, 0x808080, 0x808080}});
}

TEST(StretchRectAlpha, OneRowDestinationReadsOnlyTheFirstSourceRow) {
    // Exactly one allocated source row: a read of a second row would be caught.
    std::vector<Pixel> row = {0x000000, 0x0000F0, 0x00F000, 0xF00000};
    GuardedBuffer dst(3, 1);
    stretchRectAlpha(dst.pixels(), row.data(), Rect{0, 0, 3, 1}, Rect{0, 0, 4, 3}, dst.pitch(), 4, 1.0f);
    // 15-bit positions 0, 43,690 and 87,380: column 0; 1 + 5/16; column 2, mixed
    // only vertically.
    expectRows(dst, 0, 0, {{0x000000, 0x004BA5, 0x00F000}});
}

TEST(StretchRectAdd, GoldenSaturatingAndClipped) {
    GuardedBuffer src(2, 2);
    setRows(src, {{0x808080, 0}, {0x0000FF, 0x102030}});
    GuardedBuffer dst(4, 4, 0x909090);
    // 2 x 2 -> 4 x 4 nearest, every pixel added.
    stretchRectAdd(dst.pixels(), src.pixels(), Rect{0, 0, 4, 4}, Rect{0, 0, 2, 2}, dst.pitch(), src.pitch());
    expectRows(dst, 0, 0, {{0xFFFFFF, 0xFFFFFF, 0x909090, 0x909090},
                           {0xFFFFFF, 0xFFFFFF, 0x909090, 0x909090},
                           {0x9090FF, 0x9090FF, 0xA0B0C0, 0xA0B0C0},
                           {0x9090FF, 0x9090FF, 0xA0B0C0, 0xA0B0C0}});
    EXPECT_TRUE(untouchedOutside(dst, Rect{0, 0, 4, 4}, 0x909090));

    // The clipped form skips black source pixels and stays inside (0, 0, W, H).
    dst.fill(0x101010);
    stretchRectAddClipped(dst.pixels(), src.pixels(), Rect{-1, -1, 3, 3}, Rect{0, 0, 2, 2}, dst.pitch(),
                          src.pitch(), 2, 3);
    expectRows(dst, 0, 0, {{0x909090, 0x101010}, {0x1010FF, 0x203040}, {0x1010FF, 0x203040}});
    EXPECT_TRUE(untouchedOutside(dst, Rect{0, 0, 2, 3}, 0x101010));
}

TEST(StretchRectAddClipped, ClippedPartSamplesAsTheUnclippedStretch) {
    GuardedBuffer src(7, 5);
    src.fillPattern(11);
    src.at(3, 2) = 0;   // a black pixel leaves its destination pixels alone
    src.at(0, 4) = 0;
    const Rect dstRect{-4, -3, 9, 8}, srcRect{0, 0, 7, 5};
    // Unclipped reference: the same stretch into a buffer large enough, origin moved.
    GuardedBuffer whole(20, 20, 0x040404), clipped(20, 20, 0x040404);
    Pixel* wholeOrigin = &whole.at(6, 6);
    Pixel* clippedOrigin = &clipped.at(6, 6);
    stretchRectAddClipped(wholeOrigin, src.pixels(), dstRect, srcRect, whole.pitch(), src.pitch(), 100, 100);
    stretchRectAddClipped(clippedOrigin, src.pixels(), dstRect, srcRect, clipped.pitch(), src.pitch(), 5, 4);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            bool inClip = x >= 6 && x < 11 && y >= 6 && y < 10;
            EXPECT_EQ(clipped.at(x, y), inClip ? whole.at(x, y) : 0x040404u) << x << "," << y;
        }
    // Source pixel (3, 2) is black: the 2 x 2 pixels it stretches onto keep their value.
    for (int y : {8, 9})
        for (int x : {8, 9}) EXPECT_EQ(clipped.at(x, y), 0x040404u);
    EXPECT_TRUE(clipped.guardIntact());
}

TEST(StretchRectClipped, DrawsTheSmoothStretchInsideTheClipOnly) {
    GuardedBuffer src(7, 5);
    src.fillPattern(12);
    // A magnification reaching far past the clip on every side.
    const Rect dstRect{-9, -6, 14, 11}, srcRect{1, 0, 7, 5};
    GuardedBuffer whole(40, 30, 0x040404), clipped(40, 30, 0x040404);
    stretchRectSmooth(&whole.at(10, 8), src.pixels(), dstRect, srcRect, whole.pitch(), src.pitch());
    stretchRectClipped(&clipped.at(10, 8), src.pixels(), dstRect, srcRect, Rect{0, 0, 5, 4}, clipped.pitch(),
                       src.pitch());
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inClip = x >= 10 && x < 15 && y >= 8 && y < 12;
            ASSERT_EQ(clipped.at(x, y), inClip ? whole.at(x, y) : 0x040404u) << x << "," << y;
        }
    // Zero width or height draws nothing.
    GuardedBuffer empty(6, 6, 0x040404);
    for (const Rect& r : {Rect{2, 0, 2, 6}, Rect{0, 3, 6, 3}})
        stretchRectClipped(empty.pixels(), src.pixels(), r, srcRect, Rect{0, 0, 6, 6}, empty.pitch(), src.pitch());
    EXPECT_TRUE(untouchedOutside(empty, Rect{0, 0, 0, 0}, 0x040404));
    EXPECT_TRUE(clipped.guardIntact());
}

TEST(StretchRect, ChoosesCopyNearestOrSmoothByArea) {
    GuardedBuffer src(100, 100);
    src.fillPattern(3);
    struct Case { int dw, dh; int kind; } cases[] = {
        {100, 100, 0},   // equal: copy
        {120, 120, 1},   // 28,800 < 30,000: nearest
        {130, 130, 2},   // 33,800 >= 30,000: smooth
        {60, 40, 1},     // reductions are always nearest
    };
    for (const Case& c : cases) {
        GuardedBuffer got(c.dw, c.dh), want(c.dw, c.dh);
        const Rect dstRect{0, 0, c.dw, c.dh}, srcRect{0, 0, 100, 100};
        stretchRect(got.pixels(), src.pixels(), dstRect, srcRect, got.pitch(), src.pitch());
        if (c.kind == 0) copyRect(want.pixels(), src.pixels(), 0, 0, srcRect, want.pitch(), src.pitch());
        if (c.kind == 1) stretchRectNearest(want.pixels(), src.pixels(), dstRect, srcRect, want.pitch(), src.pitch());
        if (c.kind == 2) stretchRectSmooth(want.pixels(), src.pixels(), dstRect, srcRect, want.pitch(), src.pitch());
        EXPECT_TRUE(got.sameVisible(want)) << c.dw << "x" << c.dh;
    }
    // Nearest and smooth differ on that picture, so the cases above tell them apart.
    GuardedBuffer n(130, 130), s(130, 130);
    stretchRectNearest(n.pixels(), src.pixels(), Rect{0, 0, 130, 130}, Rect{0, 0, 100, 100}, n.pitch(), src.pitch());
    stretchRectSmooth(s.pixels(), src.pixels(), Rect{0, 0, 130, 130}, Rect{0, 0, 100, 100}, s.pitch(), src.pitch());
    EXPECT_FALSE(n.sameVisible(s));
}

TEST(StretchRoutines, EqualRectsCopyAndLargeSourcesStepExactly) {
    GuardedBuffer src(9, 7);
    src.fillPattern(5);
    GuardedBuffer copy(9, 7), nearest(9, 7), smooth(9, 7), alpha(9, 7);
    const Rect r{0, 0, 9, 7};
    copyRect(copy.pixels(), src.pixels(), 0, 0, r, copy.pitch(), src.pitch());
    stretchRectNearest(nearest.pixels(), src.pixels(), r, r, nearest.pitch(), src.pitch());
    stretchRectSmooth(smooth.pixels(), src.pixels(), r, r, smooth.pitch(), src.pitch());
    stretchRectAlpha(alpha.pixels(), src.pixels(), r, r, alpha.pitch(), src.pitch(), 1.0f);
    EXPECT_TRUE(nearest.sameVisible(copy));
    EXPECT_TRUE(smooth.sameVisible(copy));
    EXPECT_TRUE(alpha.sameVisible(copy));

    // A 4,200-pixel-wide source: (4,200 << 20) no longer fits 32 bits; every
    // sample must still come from the right column.
    std::vector<Pixel> wide(4201 * 2);
    for (int x = 0; x < 4201; ++x) wide[x] = wide[4201 + x] = static_cast<Pixel>(x);
    GuardedBuffer out(7, 1);
    stretchRectSmooth(out.pixels(), wide.data(), Rect{0, 0, 7, 1}, Rect{0, 0, 4200, 1}, out.pitch(), 4201);
    for (int j = 0; j < 7; ++j) EXPECT_EQ(out.at(j, 0), static_cast<Pixel>(j * 600)) << j;
}

// What every routine may touch: writes only inside the destination RECT (canaries
// around it), reads only inside the source RECT, plus one column and row for the
// bilinear stretches (sources allocated to the exact size, so AddressSanitizer
// sees any read past them).
TEST(StretchRoutines, MarginRule) {
    using Op = std::function<void(Pixel*, const Pixel*, const Rect&, const Rect&, int32_t, int32_t)>;
    struct Case {
        const char* name;
        Op op;
        int readPastRect;     // columns and rows read past the source RECT on enlargement
        int readPastReduced;  // the same on reduction
        bool copies = false;  // a copy: the source is as large as the destination
    } cases[] = {
        {"copyRect", [](Pixel* d, const Pixel* s, const Rect& dr, const Rect& sr, int32_t dp, int32_t sp) {
             copyRect(d, s, dr.left, dr.top, Rect{sr.left, sr.top, sr.left + dr.right - dr.left,
                                                  sr.top + dr.bottom - dr.top}, dp, sp);
         }, 0, 0, true},
        {"addRect", [](Pixel* d, const Pixel* s, const Rect& dr, const Rect& sr, int32_t dp, int32_t sp) {
             addRect(d, s, dr.left, dr.top, Rect{sr.left, sr.top, sr.left + dr.right - dr.left,
                                                 sr.top + dr.bottom - dr.top}, dp, sp);
         }, 0, 0, true},
        {"copyRectKeyed", [](Pixel* d, const Pixel* s, const Rect& dr, const Rect& sr, int32_t dp, int32_t sp) {
             copyRectKeyed(d, s, dr.left, dr.top, Rect{sr.left, sr.top, sr.left + dr.right - dr.left,
                                                       sr.top + dr.bottom - dr.top}, dp, sp, 7);
         }, 0, 0, true},
        {"stretchRectNearest", stretchRectNearest, 0, 0},
        {"stretchRectSmooth", stretchRectSmooth, 1, 1},
        {"stretchRect", stretchRect, 1, 0},
        {"stretchRectAlpha", [](Pixel* d, const Pixel* s, const Rect& dr, const Rect& sr, int32_t dp, int32_t sp) {
             stretchRectAlpha(d, s, dr, sr, dp, sp, 0.75f);
         }, 1, 0},
        {"stretchRectAdd", stretchRectAdd, 0, 0},
        {"stretchRectAddClipped", [](Pixel* d, const Pixel* s, const Rect& dr, const Rect& sr, int32_t dp, int32_t sp) {
             stretchRectAddClipped(d, s, dr, sr, dp, sp, 1000, 1000);
         }, 0, 0},
    };
    struct Size { int dw, dh, sw, sh; } sizes[] = {{9, 7, 3, 2}, {5, 4, 7, 6}, {6, 5, 6, 5}, {1, 1, 4, 4}};
    for (const Case& c : cases)
        for (Size s : sizes) {
            if (c.copies) s.sw = s.dw, s.sh = s.dh;
            const bool enlarges = s.dw > s.sw || s.dh > s.sh;
            const int extra = enlarges ? c.readPastRect : c.readPastReduced;
            const int pitch = s.sw + extra;
            std::vector<Pixel> src(static_cast<size_t>(pitch) * (s.sh + extra));
            for (size_t i = 0; i < src.size(); ++i) src[i] = 0x030201u * static_cast<Pixel>(i + 1) & 0xFFFFFF;
            GuardedBuffer dst(16, 12, kBackground);
            const Rect dstRect{3, 2, 3 + s.dw, 2 + s.dh};
            c.op(dst.pixels(), src.data(), dstRect, Rect{0, 0, s.sw, s.sh}, dst.pitch(), pitch);
            EXPECT_TRUE(untouchedOutside(dst, dstRect, kBackground)) << c.name << " " << s.dw << "x" << s.dh;
            bool wrote = false;
            for (int y = dstRect.top; y < dstRect.bottom; ++y)
                for (int x = dstRect.left; x < dstRect.right; ++x) wrote |= dst.at(x, y) != kBackground;
            EXPECT_TRUE(wrote) << c.name;
        }
}

TEST(StretchRoutines, EmptyDestinationDrawsNothing) {
    GuardedBuffer src(4, 4), dst(6, 6, kBackground);
    src.fillPattern(9);
    const Rect srcRect{0, 0, 4, 4};
    for (const Rect& r : {Rect{2, 2, 2, 5}, Rect{1, 3, 5, 3}, Rect{0, 0, 0, 0}}) {
        stretchRectNearest(dst.pixels(), src.pixels(), r, srcRect, dst.pitch(), src.pitch());
        stretchRectSmooth(dst.pixels(), src.pixels(), r, srcRect, dst.pitch(), src.pitch());
        stretchRect(dst.pixels(), src.pixels(), r, srcRect, dst.pitch(), src.pitch());
        stretchRectAlpha(dst.pixels(), src.pixels(), r, srcRect, dst.pitch(), src.pitch(), 1.0f);
        stretchRectAdd(dst.pixels(), src.pixels(), r, srcRect, dst.pitch(), src.pitch());
        stretchRectAddClipped(dst.pixels(), src.pixels(), r, srcRect, dst.pitch(), src.pitch(), 6, 6);
        copyRect(dst.pixels(), src.pixels(), r.left, r.top, r, dst.pitch(), src.pitch());
        addRect(dst.pixels(), src.pixels(), r.left, r.top, r, dst.pitch(), src.pitch());
        blendRect(dst.pixels(), src.pixels(), 0, 0, r, dst.pitch(), src.pitch(), 1.0f);
    }
    EXPECT_TRUE(untouchedOutside(dst, Rect{0, 0, 0, 0}, kBackground));
}

// The vector forms of the blend and the bilinear stretch give exactly the
// per-pixel formulas, on rows long enough to use them and with uneven tails.
TEST(StretchRoutines, VectorFormsMatchThePerPixelFormulas) {
    GuardedBuffer src(37, 23), dst(61, 41), want(61, 41);
    src.fillPattern(21);
    dst.fillPattern(22);
    want.fillPattern(22);
    blendRect(dst.pixels(), src.pixels(), 2, 1, Rect{0, 0, 35, 22}, dst.pitch(), src.pitch(), 0.3f);
    for (int y = 1; y < 23; ++y)
        for (int x = 2; x < 37; ++x) want.at(x, y) = blendPixel(want.at(x, y), src.at(x, y), 76);
    EXPECT_TRUE(dst.sameVisible(want));

    // Smooth: 20-bit positions from 0, the four neighbours mixed.
    stretchRectSmooth(dst.pixels(), src.pixels(), Rect{0, 0, 61, 41}, Rect{0, 0, 37, 23}, dst.pitch(), src.pitch());
    const uint64_t stepX = (37ull << 20) / 61, stepY = (23ull << 20) / 41;
    for (int k = 0; k < 41; ++k)
        for (int j = 0; j < 61; ++j) {
            const uint64_t px = j * stepX, py = k * stepY;
            const int c = static_cast<int>(px >> 20), r = static_cast<int>(py >> 20);
            want.at(j, k) = bilinearMix(src.at(c, r), src.at(c + 1, r), src.at(c, r + 1), src.at(c + 1, r + 1),
                                        (px >> 16) & 15, (py >> 16) & 15);
        }
    EXPECT_TRUE(dst.sameVisible(want));
}
