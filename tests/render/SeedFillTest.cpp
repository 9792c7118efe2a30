// Lines, curves and outlines into buffers and masks; the seed fills.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "render/SeedFill.h"
#include "tests/support/TestSupport.h"

using vt_test::GuardedBuffer;

namespace {

constexpr int kW = 800, kH = 600;

struct Mask {
    int width, height;
    std::vector<uint8_t> bytes;
    Mask(int w, int h, uint8_t fill = 0) : width(w), height(h), bytes(static_cast<size_t>(w) * h, fill) {}
    uint8_t& at(int x, int y) { return bytes[static_cast<size_t>(y) * width + x]; }
    Rect rect() const { return Rect{0, 0, width, height}; }
    int count(uint8_t v) const {
        int n = 0;
        for (uint8_t b : bytes) n += b == v;
        return n;
    }
};

std::set<std::pair<int, int>> plotted(const GuardedBuffer& b, Pixel value) {
    std::set<std::pair<int, int>> s;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.at(x, y) == value) s.insert({x, y});
    return s;
}

}  // namespace

TEST(Lines, BresenhamPixelsAndClipping) {
    GuardedBuffer b(20, 20, 0);
    drawLineClipped(b.pixels(), 0, 0, 5, 2, 7, Rect{0, 0, 20, 20}, b.pitch());
    EXPECT_EQ(plotted(b, 7), (std::set<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
    GuardedBuffer diag(20, 20, 0);
    drawLineClipped(diag.pixels(), 12, 3, 3, 12, 1, Rect{0, 0, 20, 20}, diag.pitch());
    const auto d = plotted(diag, 1);
    EXPECT_EQ(d.size(), 10u);
    for (const auto& [x, y] : d) EXPECT_EQ(x + y, 15);

    // Leaving the RECT: the pixels inside are those of the whole line.
    GuardedBuffer whole(20, 20, 0), cut(20, 20, 0);
    drawLineClipped(whole.pixels(), -6, 2, 25, 17, 3, Rect{-8, -8, 28, 28}, whole.pitch());
    drawLineClipped(cut.pixels(), -6, 2, 25, 17, 3, Rect{2, 4, 15, 12}, cut.pitch());
    std::set<std::pair<int, int>> inside;
    for (const auto& p : plotted(whole, 3))
        if (p.first >= 2 && p.first < 15 && p.second >= 4 && p.second < 12) inside.insert(p);
    EXPECT_EQ(plotted(cut, 3), inside);
    EXPECT_FALSE(inside.empty());
    EXPECT_TRUE(cut.guardIntact());

    Mask m(20, 20);
    drawMaskLine(m.bytes.data(), 0, 0, 5, 2, 9, m.rect(), m.width);
    EXPECT_EQ(m.count(9), 6);
    EXPECT_EQ(m.at(2, 1), 9);
}

TEST(Curves, BezierEndsOnItsPointsAndClampsIntoTheRect) {
    GuardedBuffer b(60, 60, 0);
    drawBezierClipped(b.pixels(), 5, 5, 20, 5, 40, 5, 55, 5, 1, Rect{0, 0, 60, 60}, b.pitch());
    // The straight line 5..55 on row 5; truncation may put a point a row higher.
    std::set<int> columns;
    for (const auto& p : plotted(b, 1)) {
        EXPECT_TRUE(p.second == 5 || p.second == 4) << p.second;
        columns.insert(p.first);
    }
    EXPECT_EQ(columns.size(), 51u);
    EXPECT_EQ(*columns.begin(), 5);
    EXPECT_EQ(*columns.rbegin(), 55);
    EXPECT_EQ(b.at(5, 5), 1u);
    GuardedBuffer c(60, 60, 0);
    drawBezierClipped(c.pixels(), 5, 5, 200, 5, 200, 55, 5, 55, 1, Rect{0, 0, 60, 60}, c.pitch());
    EXPECT_EQ(c.at(59, 30), 1u);   // the bulge is clamped to the last column
    EXPECT_EQ(c.at(5, 55), 1u);
    EXPECT_TRUE(c.guardIntact());
}

TEST(Curves, ClosedOutlinePassesItsPointsAndEncloses) {
    Mask m(100, 100);
    const int16_t xs[3] = {50, 85, 15}, ys[3] = {10, 80, 80};
    smoothMaskOutline(m.bytes.data(), m.rect(), m.width, xs, ys, 3, 200, 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(m.at(xs[i], ys[i]), 200);
    // Smooth: control points pull the curve outward past the straight edges.
    EXPECT_EQ(m.at(50, 80), 0);
    int below = 0;
    for (int y = 81; y < 100; ++y) below += m.at(50, y) == 200;
    EXPECT_GE(below, 1);
    // Closed: a fill from inside stays inside.
    setByteFillTarget(m.bytes.data(), m.rect(), m.width);
    seedFill(50, 50, 200, 0, 0, 0);
    EXPECT_EQ(m.at(2, 2), 0);
    EXPECT_EQ(m.at(97, 50), 0);
    EXPECT_EQ(m.at(50, 60), 200);

    // Open: no segment back from the last point to the first.
    Mask open(100, 100);
    smoothMaskOutline(open.bytes.data(), open.rect(), open.width, xs, ys, 3, 200, 1);
    EXPECT_EQ(open.at(15, 80), 200);
    EXPECT_EQ(open.at(30, 45), 0);
}

TEST(SeedFills, MaskFillInsideAClosedOutlineOnAFullFrame) {
    Mask m(kW, kH);
    int16_t xs[12], ys[12];
    for (int i = 0; i < 12; ++i) {
        xs[i] = static_cast<int16_t>(400 + 250 * std::cos(i * 0.5235988));
        ys[i] = static_cast<int16_t>(300 + 200 * std::sin(i * 0.5235988));
    }
    smoothMaskOutline(m.bytes.data(), m.rect(), m.width, xs, ys, 12, 1, 0);
    const int outline = m.count(1);
    setByteFillTarget(m.bytes.data(), m.rect(), m.width);
    seedFill(400, 300, 1, 0, 0, 0);
    const int filled = m.count(1) - outline;
    EXPECT_GT(filled, static_cast<int>(3.14 * 245 * 195));
    EXPECT_LT(filled, static_cast<int>(3.15 * 255 * 205));
    for (int x = 0; x < kW; ++x) {
        EXPECT_EQ(m.at(x, 0), 0);
        EXPECT_EQ(m.at(x, 599), 0);
    }
    EXPECT_EQ(m.at(140, 300), 0);
    // A seed on the boundary value fills nothing.
    Mask before = m;
    seedFill(400, 300, 1, 0, 0, 0);
    EXPECT_EQ(m.bytes, before.bytes);
}

TEST(SeedFills, SerpentineAcrossTheWholeFrameNeedsNoDeepStack) {
    // Walls on the odd columns, open alternately at the bottom and the top:
    // one channel 179,000 spans long.
    Mask m(kW, kH);
    for (int x = 1; x < kW; x += 2) {
        const bool openBottom = (x / 2) % 2 == 0;
        for (int y = 0; y < kH; ++y)
            if (openBottom ? y < kH - 2 : y > 1) m.at(x, y) = 5;
    }
    setByteFillTarget(m.bytes.data(), m.rect(), m.width);
    seedFill(0, 300, 5, 0, 0, 0);
    for (int x = 0; x < kW; x += 2)
        for (int y = 1; y < kH - 1; ++y) ASSERT_EQ(m.at(x, y), 5) << x << "," << y;
    EXPECT_EQ(m.count(0), 0);   // the edge rows are written where the channels touch them
}

TEST(SeedFills, SpanFillOverTheSourceOnAnEmptyFrame) {
    GuardedBuffer frame(kW, kH, 0);
    setFillTarget(frame.pixels(), frame.pitch(), frame.pixels(), frame.pitch());
    const Rect r{0, 0, kW, kH};
    // A boundary rectangle in the key colour; the fill writes the key too.
    const Pixel key = 0x00FF00FF;
    for (int x = 100; x <= 300; ++x) {
        frame.at(x, 100) = key;
        frame.at(x, 200) = key;
    }
    for (int y = 100; y <= 200; ++y) {
        frame.at(100, y) = key;
        frame.at(300, y) = key;
    }
    EXPECT_EQ(fillSpansSeed(150, 150, key, key, 0, 0, 0, r), 299);
    for (int y = 100; y <= 200; ++y)
        for (int x = 100; x <= 300; ++x) ASSERT_EQ(frame.at(x, y), key);
    EXPECT_EQ(frame.at(99, 150), 0u);
    EXPECT_EQ(frame.at(150, 201), 0u);
    // Everything outside the box: the rest of the frame, edge rows included.
    fillSpansSeed(5, 5, key, key, 0, 0, 0, r);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) ASSERT_EQ(frame.at(x, y), key) << x << "," << y;
    EXPECT_TRUE(frame.guardIntact());
    EXPECT_TRUE(frame.marginIntact(0));
}

TEST(SeedFills, SeparateTargetAndSourceStillEnd) {
    GuardedBuffer source(200, 100, 0), target(200, 100, 0x11);
    for (int y = 0; y < 100; ++y) source.at(120, y) = 0xFFFFFF;
    setFillTarget(target.pixels(), target.pitch(), source.pixels(), source.pitch());
    fillSpansSeed(10, 50, 0x7, 0xFFFFFF, 0, 0, 0, Rect{0, 0, 200, 100});
    for (int y = 0; y < 100; ++y) {
        EXPECT_EQ(target.at(119, y), 0x7u);
        EXPECT_EQ(target.at(120, y), 0x11u);
        EXPECT_EQ(target.at(121, y), 0x11u);
    }
}

TEST(SeedFills, CopyFillOfARegionWithHolesEndsAndCopiesIt) {
    Mask m(kW, kH);
    // Holes (the boundary value) well inside the region.
    for (int y = 200; y < 260; ++y)
        for (int x = 300; x < 420; ++x) m.at(x, y) = 9;
    for (int y = 400; y < 410; ++y)
        for (int x = 100; x < 700; ++x) m.at(x, y) = 9;
    GuardedBuffer source(kW, kH), target(kW, kH, 0);
    source.fillPattern(42);
    const Mask before = m;
    setFillTargets(target.pixels(), target.pitch(), source.pixels(), source.pitch(), m.bytes.data(), m.rect(), m.width);
    fillMaskSeedCopy(10, 10, 9, 0, 0, 0);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool hole = before.bytes[static_cast<size_t>(y) * kW + x] == 9;
            const bool edgeRow = y == 0 || y == kH - 1;
            const Pixel expected = hole || edgeRow ? 0u : source.at(x, y);
            ASSERT_EQ(target.at(x, y), expected) << x << "," << y;
            // The mask keeps its inside; only the edge rows take the value.
            ASSERT_EQ(m.at(x, y), edgeRow ? 9 : before.bytes[static_cast<size_t>(y) * kW + x]);
        }
    EXPECT_TRUE(target.guardIntact());
}

namespace {

// A target smaller than the frame, standing for the frame from a given point on
// (a tile that a piece is cut into): the fill copies the region, frame
// coordinates shifted into the tile, and nothing else.
TEST(SeedFills, CopyFillIntoATileThatStandsForPartOfTheFrame) {
    Mask m(kW, kH, 0);
    for (int x = 0; x < kW; ++x) m.at(x, 300) = 9;   // the region: rows 301 .. 598
    GuardedBuffer source(kW, kH), tile(120, 90, 0);
    source.fillPattern(7);
    const int left = 500, top = 400;
    setFillTargets(tile.pixels(), tile.pitch(), source.pixels(), source.pitch(), m.bytes.data(),
                   Rect{left, top, left + 120, top + 90}, m.width);
    setFillTargetOrigin(left, top);
    fillMaskSeedCopy(550, 450, 9, 0, 0, 0);
    setFillTargetOrigin(0, 0);
    for (int y = 1; y < 89; ++y)
        for (int x = 0; x < 120; ++x) ASSERT_EQ(tile.at(x, y), source.at(left + x, top + y)) << x << "," << y;
    EXPECT_TRUE(tile.guardIntact());
}

}  // namespace
