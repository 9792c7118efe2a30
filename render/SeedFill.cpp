#include "render/SeedFill.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

FillTarget g_fill{};

// Work arrays of the fills, kept between calls so a fill allocates only when
// it meets a larger RECT than before.
struct Segment {
    int32_t y, left, right;   // a run of a row to scan for unvisited inside pixels
};
std::vector<Segment> g_pending;
std::vector<uint8_t> g_visited;

template <class T>
void plot(T* buffer, int32_t x, int32_t y, T value, const Rect& r, int32_t pitch) {
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) buffer[static_cast<intptr_t>(y) * pitch + x] = value;
}

template <class T>
void drawLine(T* buffer, int32_t x0, int32_t y0, int32_t x1, int32_t y1, T value, const Rect& r, int32_t pitch) {
    const int64_t dx = std::llabs(int64_t{x1} - x0), dy = std::llabs(int64_t{y1} - y0);
    const int32_t sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
    int32_t x = x0, y = y0;
    plot(buffer, x, y, value, r, pitch);
    if (dy < dx) {
        int64_t e = 2 * dy - dx;
        for (int64_t i = 0; i < dx; ++i) {
            x += sx;
            const bool step = e >= 0;
            if (step) y += sy;
            plot(buffer, x, y, value, r, pitch);
            e += 2 * dy - (step ? 2 * dx : 0);
        }
    } else {
        int64_t e = 2 * dx - dy;
        for (int64_t i = 0; i < dy; ++i) {
            const bool step = e >= 0;
            if (step) x += sx;
            y += sy;
            plot(buffer, x, y, value, r, pitch);
            e += 2 * dx - (step ? 2 * dy : 0);
        }
    }
}

template <class T>
void drawBezier(T* buffer, const int32_t* px, const int32_t* py, T value, const Rect& r, int32_t pitch) {
    int32_t prevX = px[0], prevY = py[0];
    for (int i = 1; i <= 15; ++i) {
        const float t = static_cast<float>(i) * 0.06666667f;
        const float u = 1.0f - t;
        const double w0 = static_cast<double>(u) * u * u, w1 = 3.0 * u * u * t, w2 = 3.0 * u * t * t,
                     w3 = static_cast<double>(t) * t * t;
        int32_t x = static_cast<int32_t>(w0 * px[0] + w1 * px[1] + w2 * px[2] + w3 * px[3]);
        int32_t y = static_cast<int32_t>(w0 * py[0] + w1 * py[1] + w2 * py[2] + w3 * py[3]);
        x = std::clamp(x, r.left, r.right - 1);
        y = std::clamp(y, r.top, r.bottom - 1);
        drawLine(buffer, prevX, prevY, x, y, value, r, pitch);
        prevX = x;
        prevY = y;
    }
}

// Coordinates and tangents stay 16-bit, as the outlines are stored.
inline int16_t tangent(int16_t next, int16_t prev) {
    return static_cast<int16_t>((static_cast<int32_t>(next) - prev) * 15 / 64);
}

template <class T>
void drawOutline(T* buffer, const Rect& r, int32_t pitch, const int16_t* xs, const int16_t* ys, int32_t n, T value,
                 bool open) {
    if (n <= 0) return;
    // Tangent of point j; the first point of an open outline has none.
    auto tangentAt = [&](int32_t j, const int16_t* c) -> int16_t {
        if (open) return j == 0 ? 0 : tangent(c[std::min(j + 1, n - 1)], c[j - 1]);
        return tangent(c[(j + 1) % n], c[(j + n - 1) % n]);
    };
    const int32_t segments = open ? n - 1 : n;
    for (int32_t j = 0; j < segments; ++j) {
        const int32_t k = (j + 1) % n;
        const int32_t px[4] = {xs[j], static_cast<int16_t>(xs[j] + tangentAt(j, xs)),
                               static_cast<int16_t>(xs[k] - tangentAt(k, xs)), xs[k]};
        const int32_t py[4] = {ys[j], static_cast<int16_t>(ys[j] + tangentAt(j, ys)),
                               static_cast<int16_t>(ys[k] - tangentAt(k, ys)), ys[k]};
        drawBezier(buffer, px, py, value, r, pitch);
    }
}

// The scanline walk shared by the three fills. Ops supplies:
//   inside(x, y)            the pixel is not boundary
//   fillSpan(y, l, r)       writes one span
//   edgePixel(x, y)         writes one pixel of the top or bottom row
// Visited marks make every span filled once, so a region with holes ends even
// when the fill writes nothing its test sees.
template <class Ops>
int32_t scanFill(Ops& ops, int32_t x, int32_t y, const Rect& r) {
    if (y <= r.top) {
        ops.edgePixel(x, r.top);
        return x;
    }
    if (y >= r.bottom - 1) {
        ops.edgePixel(x, r.bottom - 1);
        return x;
    }
    if (x < r.left || x >= r.right || !ops.inside(x, y)) return x - 1;
    const int32_t width = r.right - r.left;
    try {
        g_visited.assign(static_cast<size_t>(width) * (r.bottom - r.top), 0);
        g_pending.clear();
    } catch (const std::bad_alloc&) {
        return x - 1;   // no work memory: fill nothing rather than walk unmarked
    }
    auto visited = [&](int32_t px, int32_t py) -> uint8_t& {
        return g_visited[static_cast<size_t>(py - r.top) * width + (px - r.left)];
    };
    // Fills the span around (px, py) and queues the rows next to it.
    auto fillAround = [&](int32_t px, int32_t py) -> int32_t {
        int32_t lo = px, hi = px;
        while (lo - 1 >= r.left && ops.inside(lo - 1, py)) --lo;
        while (hi + 1 < r.right && ops.inside(hi + 1, py)) ++hi;
        ops.fillSpan(py, lo, hi);
        std::fill(&visited(lo, py), &visited(hi, py) + 1, uint8_t{1});
        g_pending.push_back({py - 1, lo, hi});
        g_pending.push_back({py + 1, lo, hi});
        return hi;
    };
    int32_t seedRight;
    try {
        seedRight = fillAround(x, y);
        while (!g_pending.empty()) {
            const Segment s = g_pending.back();
            g_pending.pop_back();
            const bool edgeRow = s.y <= r.top || s.y >= r.bottom - 1;
            for (int32_t i = s.left; i <= s.right; ++i) {
                if (!ops.inside(i, s.y)) continue;
                if (edgeRow) ops.edgePixel(i, s.y);
                else if (!visited(i, s.y)) i = fillAround(i, s.y);
            }
        }
    } catch (const std::bad_alloc&) {
        g_pending.clear();
        return x - 1;   // the region is partly filled; no further work memory
    }
    return seedRight;
}

struct SourceKeyOps {
    const Pixel* source;
    int32_t sourcePitch;
    Pixel* target;
    int32_t targetPitch, targetLeft, targetTop;
    Pixel value, key;
    bool inside(int32_t x, int32_t y) const { return source[static_cast<intptr_t>(y) * sourcePitch + x] != key; }
    Pixel* at(int32_t x, int32_t y) const {
        return target + static_cast<intptr_t>(y - targetTop) * targetPitch + (x - targetLeft);
    }
    void fillSpan(int32_t y, int32_t l, int32_t r) const { std::fill(at(l, y), at(r + 1, y), value); }
    void edgePixel(int32_t x, int32_t y) const { *at(x, y) = value; }
};

struct MaskOps {
    uint8_t* mask;
    int32_t maskPitch;
    uint8_t value;
    bool inside(int32_t x, int32_t y) const { return mask[static_cast<intptr_t>(y) * maskPitch + x] != value; }
    void fillSpan(int32_t y, int32_t l, int32_t r) const {
        std::fill(mask + static_cast<intptr_t>(y) * maskPitch + l, mask + static_cast<intptr_t>(y) * maskPitch + r + 1,
                  value);
    }
    void edgePixel(int32_t x, int32_t y) const { mask[static_cast<intptr_t>(y) * maskPitch + x] = value; }
};

struct MaskCopyOps : MaskOps {
    const Pixel* source;
    int32_t sourcePitch;
    Pixel* target;
    int32_t targetPitch, targetLeft, targetTop;
    void fillSpan(int32_t y, int32_t l, int32_t r) const {
        const Pixel* from = source + static_cast<intptr_t>(y) * sourcePitch;
        std::copy(from + l, from + r + 1, target + static_cast<intptr_t>(y - targetTop) * targetPitch + (l - targetLeft));
    }
};

}  // namespace

FillTarget& fillTarget() { return g_fill; }

void setFillTarget(Pixel* target, int32_t targetPitch, const Pixel* source, int32_t sourcePitch) {
    g_fill.target = target;
    g_fill.targetPitch = targetPitch;
    g_fill.source = source;
    g_fill.sourcePitch = sourcePitch;
    g_fill.targetLeft = g_fill.targetTop = 0;
}

void setFillTargetOrigin(int32_t left, int32_t top) {
    g_fill.targetLeft = left;
    g_fill.targetTop = top;
}

void setByteFillTarget(uint8_t* mask, const Rect& maskRect, int32_t maskPitch) {
    g_fill.mask = mask;
    g_fill.maskRect = maskRect;
    g_fill.maskPitch = maskPitch;
}

void setFillTargets(Pixel* target, int32_t targetPitch, const Pixel* source, int32_t sourcePitch, uint8_t* mask,
                    const Rect& maskRect, int32_t maskPitch) {
    setFillTarget(target, targetPitch, source, sourcePitch);
    setByteFillTarget(mask, maskRect, maskPitch);
}

void drawLineClipped(Pixel* buffer, int32_t x0, int32_t y0, int32_t x1, int32_t y1, Pixel value, const Rect& rect,
                     int32_t pitch) {
    drawLine(buffer, x0, y0, x1, y1, value, rect, pitch);
}

void drawMaskLine(uint8_t* mask, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t value, const Rect& rect,
                  int32_t pitch) {
    drawLine(mask, x0, y0, x1, y1, value, rect, pitch);
}

void drawBezierClipped(Pixel* buffer, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                       int32_t x3, int32_t y3, Pixel value, const Rect& rect, int32_t pitch) {
    const int32_t px[4] = {x0, x1, x2, x3}, py[4] = {y0, y1, y2, y3};
    drawBezier(buffer, px, py, value, rect, pitch);
}

void drawMaskBezier(uint8_t* mask, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                    int32_t x3, int32_t y3, uint8_t value, const Rect& rect, int32_t pitch) {
    const int32_t px[4] = {x0, x1, x2, x3}, py[4] = {y0, y1, y2, y3};
    drawBezier(mask, px, py, value, rect, pitch);
}

void smoothOutline(Pixel* buffer, const Rect& rect, int32_t pitch, const int16_t* xs, const int16_t* ys,
                   int32_t count, Pixel value, int32_t open) {
    drawOutline(buffer, rect, pitch, xs, ys, count, value, open != 0);
}

void smoothMaskOutline(uint8_t* mask, const Rect& rect, int32_t pitch, const int16_t* xs, const int16_t* ys,
                       int32_t count, uint8_t value, int32_t open) {
    drawOutline(mask, rect, pitch, xs, ys, count, value, open != 0);
}

int32_t fillSpansSeed(int32_t x, int32_t y, Pixel value, Pixel key, int32_t, int32_t, int32_t, const Rect& rect) {
    SourceKeyOps ops{g_fill.source,     g_fill.sourcePitch, g_fill.target, g_fill.targetPitch,
                     g_fill.targetLeft, g_fill.targetTop,   value,         key};
    return scanFill(ops, x, y, rect);
}

int32_t seedFill(int32_t x, int32_t y, uint8_t value, int32_t, int32_t, int32_t) {
    MaskOps ops{g_fill.mask, g_fill.maskPitch, value};
    return scanFill(ops, x, y, g_fill.maskRect);
}

int32_t fillMaskSeedCopy(int32_t x, int32_t y, uint8_t value, int32_t, int32_t, int32_t) {
    MaskCopyOps ops{{g_fill.mask, g_fill.maskPitch, value}, g_fill.source, g_fill.sourcePitch, g_fill.target,
                    g_fill.targetPitch, g_fill.targetLeft, g_fill.targetTop};
    return scanFill(ops, x, y, g_fill.maskRect);
}
