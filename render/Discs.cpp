#include "render/Discs.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <vector>

#include "render/ChannelMath.h"
#include "render/PixelBuffer.h"
#include "render/TrigTables.h"

namespace {

using namespace channel_math;

inline Pixel* at(Pixel* dst, int32_t pitch, int64_t x, int64_t y) {
    return dst + static_cast<ptrdiff_t>(y * pitch + x);
}

// The square-root table read beyond its end: larger radii than the table covers
// get the same value computed (sqrt(i) * 1024, truncated).
inline int64_t sqrtAt(int64_t i) {
    if (i <= 0) return 0;
    if (i < kTrigTableSize) return SqrtTable[i];
    return static_cast<int64_t>(std::sqrt(static_cast<double>(i)) * 1024.0);
}

// A weight of addWeighted(.., 8) cut as it cuts it.
inline uint32_t cutWeight(int64_t w) { return static_cast<uint32_t>(w < 0 ? 0 : w > 65536 ? 65536 : w); }

// Half-width of a glow row at squared distance d2: sqrt(16 floor(d2 / 16)), truncated.
inline int64_t rowHalfWidth(int64_t d2) { return sqrtAt(d2 >> 4) >> 8; }

// Column and row limits of a clip, plain (lo <= v < hi) or strict (lo < v < hi).
struct Bounds {
    int64_t x0, x1, y0, y1;   // inclusive lower, exclusive upper
    static Bounds plain(const Rect& c) { return {c.left, c.right, c.top, c.bottom}; }
    static Bounds strict(const Rect& c) {
        return {static_cast<int64_t>(c.left) + 1, c.right, static_cast<int64_t>(c.top) + 1, c.bottom};
    }
    static Bounds none() { return {INT64_MIN / 4, INT64_MAX / 4, INT64_MIN / 4, INT64_MAX / 4}; }
};

// Every pixel of the box [x - r, x + r] x [y - r, y + r] inside the bounds with
// d2 <= r^2: paint(pixel, d2).
template <class Paint>
void eachDiscPixel(Pixel* dst, int32_t pitch, const Bounds& b, int64_t x, int64_t y, int64_t r, Paint paint) {
    const int64_t r2 = r * r;
    const int64_t yLo = std::max(y - r, b.y0), yHi = std::min(y + r + 1, b.y1);
    for (int64_t py = yLo; py < yHi; ++py) {
        const int64_t dy = py - y;
        const int64_t xLo = std::max(x - r, b.x0), xHi = std::min(x + r + 1, b.x1);
        Pixel* row = at(dst, pitch, 0, py);
        for (int64_t px = xLo; px < xHi; ++px) {
            const int64_t dx = px - x, d2 = dx * dx + dy * dy;
            if (d2 <= r2) paint(row[px], d2);
        }
    }
}

// The four mirrored pixels (x +- dx, y +- dy) of one quarter offset.
inline void putMirrored(Pixel* dst, int32_t pitch, int64_t x, int64_t y, int64_t dx, int64_t dy, Pixel v) {
    *at(dst, pitch, x + dx, y + dy) = v;
    *at(dst, pitch, x - dx, y + dy) = v;
    *at(dst, pitch, x + dx, y - dy) = v;
    *at(dst, pitch, x - dx, y - dy) = v;
}

// Soft ring weight at squared distance d2, or -1 outside the ring.
struct RingWeight {
    int64_t r512, band, slope;
    RingWeight(int64_t r, int64_t w) : r512(r * 512), band(w * 1024), slope(32768 / (2 * w)) {}
    int64_t at(int64_t d2) const {
        const int64_t g = std::llabs(r512 - sqrtAt(d2 >> 2));
        return g < band ? (slope * (band - g)) >> 16 : -1;
    }
};

template <class Paint>
void eachRingPixel(Pixel* dst, int32_t pitch, const Bounds& b, int64_t x, int64_t y, int64_t r, int64_t w,
                   Paint paint) {
    if (w < 1) return;   // the weight divides by the width
    const RingWeight weight(r, w);
    const int64_t extent = r + 2 * w;
    const int64_t yLo = std::max(y - extent, b.y0), yHi = std::min(y + extent + 1, b.y1);
    const int64_t xLo = std::max(x - extent, b.x0), xHi = std::min(x + extent + 1, b.x1);
    for (int64_t py = yLo; py < yHi; ++py) {
        const int64_t dy = py - y;
        Pixel* row = at(dst, pitch, 0, py);
        for (int64_t px = xLo; px < xHi; ++px) {
            const int64_t dx = px - x;
            const int64_t k = weight.at(dx * dx + dy * dy);
            if (k >= 0) paint(row[px], k);
        }
    }
}

// The separable glow of drawGlowDisc: rows dy = -r .. r - 1, columns dx = -n .. n - 1.
struct GlowTerms {
    int64_t r, h, intensity;
    GlowTerms(int64_t radius, uint32_t i) : r(radius), h(1048576 / (radius * radius)), intensity(i) {}
    int64_t rowFactor(int64_t dy) const {
        const int64_t e = r - std::llabs(dy);
        return (e * e * h * intensity) >> 18;
    }
    int64_t weight(int64_t o, int64_t dx) const {
        const int64_t e = r - std::llabs(dx);
        return (e * e * o * h) >> 20;
    }
    // e^2 h for |dx| = 0 .. n - 1, so that weight(o, dx) = (columnTerm[|dx|] o) >> 20
    // (the same product: it stays far inside 64 bits).
    void columnTerms(int64_t n, std::vector<int64_t>& out) const {
        out.resize(static_cast<size_t>(std::max<int64_t>(n, 0)));
        for (int64_t i = 0; i < n; ++i) out[static_cast<size_t>(i)] = (r - i) * (r - i) * h;
    }
};

void glowDisc(Pixel* dst, int32_t pitch, const Bounds& b, int64_t x, int64_t y, int64_t r, Pixel colour,
              uint32_t intensity) {
    if (r < 1) return;
    const GlowTerms g(r, intensity);
    std::vector<int64_t> column;   // rows reach at most r from the centre
    g.columnTerms(r + 1, column);
    std::vector<uint32_t> weights;
    const int64_t yLo = std::max(-r, b.y0 - y), yHi = std::min(r, b.y1 - y);
    for (int64_t dy = yLo; dy < yHi; ++dy) {
        const int64_t n = rowHalfWidth(r * r - dy * dy);
        const int64_t o = g.rowFactor(dy);
        if (o == 0) continue;   // every weight of the row is 0
        const int64_t xLo = std::max(-n, b.x0 - x), xHi = std::min(n, b.x1 - x);
        if (xHi <= xLo) continue;
        Pixel* row = at(dst, pitch, x, y + dy);
        weights.resize(static_cast<size_t>(xHi - xLo));
        for (int64_t dx = xLo; dx < xHi; ++dx)
            weights[static_cast<size_t>(dx - xLo)] = cutWeight((column[static_cast<size_t>(std::llabs(dx))] * o) >> 20);
        addWeightedSpan(row + xLo, static_cast<int32_t>(xHi - xLo), colour, weights.data());
    }
}

void glowDiscC(Pixel* dst, int32_t pitch, const Bounds& b, int64_t x, int64_t y, int64_t r, Pixel colour,
               uint32_t intensity) {
    if (r < 1) return;
    const int64_t r2 = r * r, h = 1048576 / r2;
    const int64_t yLo = std::max(-r, b.y0 - y), yHi = std::min(r, b.y1 - y);
    for (int64_t dy = yLo; dy < yHi; ++dy) {
        const int64_t n = rowHalfWidth(r2 - dy * dy);
        const int64_t xLo = std::max(-n, b.x0 - x), xHi = std::min(n, b.x1 - x);
        Pixel* row = at(dst, pitch, x, y + dy);
        for (int64_t dx = xLo; dx < xHi; ++dx) {
            const int64_t o = (h * (r2 - dy * dy - dx * dx) * intensity) >> 19;
            row[dx] = addWeighted(row[dx], colour, std::max<int64_t>(o, 0), 8);
        }
    }
}

void shadedBall(Pixel* dst, int32_t pitch, const Bounds& b, int64_t x, int64_t y, int64_t r, Pixel colour) {
    r = std::min<int64_t>(r, 256);
    if (r < 1) return;
    const int64_t half = r / 2, e3 = 3 * r / 2, E = e3 * e3, scale = 1048576 / E;
    const int64_t yLo = std::max(-r, b.y0 - y), yHi = std::min(r + 1, b.y1 - y);
    for (int64_t dy = yLo; dy < yHi; ++dy) {
        const int64_t h = static_cast<int64_t>(std::sqrt(static_cast<double>(r * r - dy * dy)));
        const int64_t xLo = std::max(-h, b.x0 - x), xHi = std::min(h + 1, b.x1 - x);
        Pixel* row = at(dst, pitch, x, y + dy);
        const int64_t ry = (dy + half) * (dy + half);
        for (int64_t dx = xLo; dx < xHi; ++dx) {
            const int64_t o = std::max<int64_t>(0, ((E - (dx + half) * (dx + half) - ry) * scale) >> 11);
            row[dx] = rgb(clamp255((red(colour) * o) >> 8), clamp255((green(colour) * o) >> 8),
                          clamp255((blue(colour) * o) >> 8));
        }
    }
}

}  // namespace

void drawBubbleDisc(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x, int32_t y, int32_t r,
                    Pixel colour) {
    if (r < 1) return;
    const int64_t q = 65536 / (static_cast<int64_t>(r) * r);
    eachDiscPixel(dst, pitch, Bounds::plain(clip), x, y, r, [&](Pixel& p, int64_t d2) {
        const int64_t a = std::min<int64_t>((d2 * q * 256) >> 16, 256);
        p = blendPixel(p, colour, static_cast<uint32_t>(a));
    });
}

void fillShadedDisc(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour) {
    if (r < 1) return;
    const int64_t r2 = static_cast<int64_t>(r) * r, q = 65536 / r2;
    const int64_t c[3] = {red(colour), green(colour), blue(colour)};
    for (int64_t dy = -r; dy <= 0; ++dy)
        for (int64_t dx = -r; dx <= 0; ++dx) {
            const int64_t d2 = dx * dx + dy * dy;
            if (d2 > r2) continue;
            uint32_t v[3];
            for (int i = 0; i < 3; ++i) v[i] = clamp255(255 + (((c[i] - 255) * d2 * q) >> 16));
            putMirrored(dst, pitch, x, y, dx, dy, rgb(v[0], v[1], v[2]));
        }
}

void drawSoftRing(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, int32_t w, Pixel colour) {
    eachRingPixel(dst, pitch, Bounds::none(), x, y, r, w,
                  [&](Pixel& p, int64_t k) { p = blendPixel(p, colour, static_cast<uint32_t>(std::min<int64_t>(k, 256))); });
}

void drawAdditiveRing(Pixel* dst, int32_t pitch, const Rect& clip, int32_t x, int32_t y, int32_t r,
                      int32_t w, Pixel colour) {
    eachRingPixel(dst, pitch, Bounds::plain(clip), x, y, r, w,
                  [&](Pixel& p, int64_t k) { p = addWeighted(p, colour, k, 8); });
}

void fillRing(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, int32_t t, Pixel colour) {
    const int64_t r2 = static_cast<int64_t>(r) * r;
    const int64_t inner = static_cast<int64_t>(r) - t, hole = inner * inner;
    for (int64_t dy = -r; dy <= 0; ++dy)
        for (int64_t dx = -r; dx <= 0; ++dx) {
            const int64_t d2 = dx * dx + dy * dy;
            if (d2 > r2) continue;
            putMirrored(dst, pitch, x, y, dx, dy, colour);
            if (d2 <= hole) break;   // the hole starts after this pixel
        }
}

void fillDisc(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour) {
    const int64_t r2 = static_cast<int64_t>(r) * r;
    for (int64_t dy = -r; dy <= 0; ++dy)
        for (int64_t dx = -r; dx <= 0; ++dx)
            if (dx * dx + dy * dy <= r2) putMirrored(dst, pitch, x, y, dx, dy, colour);
}

void fillDiscClipped(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x, int32_t y, int32_t r,
                     Pixel colour) {
    eachDiscPixel(dst, pitch, Bounds::plain(clip), x, y, r, [&](Pixel& p, int64_t) { p = colour; });
}

void blendDiscClipped(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x, int32_t y, int32_t r,
                      Pixel colour, int32_t weight) {
    const uint32_t a = static_cast<uint32_t>(std::clamp(weight, 0, 256));
    eachDiscPixel(dst, pitch, Bounds::plain(clip), x, y, r, [&](Pixel& p, int64_t) { p = blendPixel(p, colour, a); });
}

void drawGlowDisc(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour,
                  uint32_t intensity) {
    glowDisc(dst, pitch, Bounds::none(), x, y, r, colour, intensity);
}

void drawGlowDiscClipped(Pixel* dst, int32_t pitch, const Rect& clip, int32_t x, int32_t y,
                         int32_t r, Pixel colour, uint32_t intensity) {
    glowDisc(dst, pitch, Bounds::strict(clip), x, y, std::min(r, 256), colour, intensity);
}

void drawGlowDiscB(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour,
                   uint32_t intensity) {
    if (r < 1) return;
    const GlowTerms g(r, intensity);
    const int64_t r2 = static_cast<int64_t>(r) * r;
    std::vector<int64_t> column;
    g.columnTerms(r + 1, column);
    std::vector<uint32_t> forward, backward;
    for (int64_t dy = 0; dy < r; ++dy) {
        const int64_t n = rowHalfWidth(r2 - dy * dy);
        const int64_t o = g.rowFactor(dy);
        if (n <= 0) continue;
        // The four mirrored runs; a pixel met twice (on the centre row or column)
        // takes the same add twice, in whichever order.
        forward.resize(static_cast<size_t>(n));
        backward.resize(static_cast<size_t>(n));
        for (int64_t dx = 0; dx < n; ++dx)
            forward[static_cast<size_t>(dx)] = backward[static_cast<size_t>(n - 1 - dx)] =
                cutWeight((column[static_cast<size_t>(dx)] * o) >> 20);
        const int32_t count = static_cast<int32_t>(n);
        for (int64_t rowY : {y + dy, y - dy}) {
            addWeightedSpan(at(dst, pitch, x, rowY), count, colour, forward.data());
            addWeightedSpan(at(dst, pitch, x - n + 1, rowY), count, colour, backward.data());
        }
    }
}

void drawGlowCross(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour,
                   uint32_t intensity) {
    if (r < 1) return;
    const int64_t e = 1024 / r, f = r / 5, rr = r, I = intensity;
    for (int64_t dy = -rr; dy < rr; ++dy) {
        const int64_t l = std::llabs(dy);
        const int64_t L = l < f ? ((e * (rr - 4 * l) * I) << 2) >> 10 : (e * (rr - l) * I) >> 10;
        const int64_t span = rr - l;
        Pixel* row = at(dst, pitch, x, y + dy);
        for (int64_t dx = -span; dx < span; ++dx) {
            const int64_t ax = std::llabs(dx);
            const int64_t m = ax < f ? (L * (rr - 4 * ax) * e) >> 6 : (L * (rr - ax) * e) >> 8;
            row[dx] = addWeighted(row[dx], colour, std::max<int64_t>(m, 0), 11);
        }
    }
}

void drawGlowDiscExact(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t R, Pixel colour,
                       uint32_t intensity) {
    if (R < 1) return;
    const int64_t r = R, e = std::max<int64_t>(r >> 1, r - 16), g = (r + e) >> 1;
    const int64_t h = r == g ? -1 : 65536 / (r - g);
    const int64_t inner2 = e * e, outer2 = r * r, I = intensity;
    for (int64_t dy = -r; dy < r; ++dy) {
        Pixel* row = at(dst, pitch, x, y + dy);
        for (int64_t dx = -r; dx < r; ++dx) {
            const int64_t d2 = dx * dx + dy * dy;
            if (d2 < inner2 || d2 > outer2) continue;
            const int64_t s = static_cast<int64_t>(std::sqrt(static_cast<double>(d2)));
            const int64_t w = (h * (r - g - std::llabs(g - s)) * I) >> 16;
            row[dx] = addWeighted(row[dx], colour, std::max<int64_t>(w, 0), 7);
        }
    }
}

void drawGlowDiscC(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour,
                   uint32_t intensity) {
    glowDiscC(dst, pitch, Bounds::none(), x, y, r, colour, intensity);
}

void drawGlowDiscCClipped(Pixel* dst, int32_t pitch, const Rect& clip, int32_t x, int32_t y,
                          int32_t r, Pixel colour, uint32_t intensity) {
    glowDiscC(dst, pitch, Bounds::strict(clip), x, y, std::min(r, 256), colour, intensity);
}

void drawAdditiveDisc(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour,
                      int32_t reserved) {
    shadedBall(dst, pitch, Bounds::none(), x, y, r, colour);
}

void drawAdditiveDiscClipped(Pixel* dst, int32_t pitch, const Rect& clip, int32_t x, int32_t y,
                             int32_t r, Pixel colour, int32_t reserved) {
    shadedBall(dst, pitch, Bounds::strict(clip), x, y, r, colour);
}

void drawLightCrossB(Pixel* dst, int32_t pitch, const Rect& clip, int32_t x, int32_t y,
                     int32_t length, int32_t red, int32_t green, int32_t blue) {
    if (x < clip.left || x >= clip.right - 1 || y < clip.top || y >= clip.bottom - 1) return;
    if (length < 1) return;   // the fade divides by the length
    const int64_t g = 65536 / length;
    const int64_t c[3] = {red, green, blue};
    auto addAt = [&](Pixel* p, int64_t k) {
        int64_t v[3];
        for (int i = 0; i < 3; ++i) v[i] = c[i] - ((g * k * c[i]) >> 16);
        *p = rgb(clamp255(channel_math::red(*p) + v[0]), clamp255(channel_math::green(*p) + v[1]),
                 clamp255(channel_math::blue(*p) + v[2]));
    };
    const int64_t xs = std::max<int64_t>(static_cast<int64_t>(x) - length, clip.left);
    const int64_t xe = std::min<int64_t>(static_cast<int64_t>(clip.right) - 1, static_cast<int64_t>(x) + length);
    for (int64_t px = xs; px <= xe; ++px) addAt(at(dst, pitch, px, y), std::llabs(px - x));
    const int64_t ys = std::max<int64_t>(static_cast<int64_t>(y) - length, clip.top);
    const int64_t ye = std::min<int64_t>(static_cast<int64_t>(clip.bottom) - 1, static_cast<int64_t>(y) + length);
    for (int64_t py = ys; py <= ye; ++py) addAt(at(dst, pitch, x, py), std::llabs(py - y));
}
