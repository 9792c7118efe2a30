#include "Transition/Transition_Slide.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/MeshGrid.h"
#include "render/MeshRaster.h"
#include "render/PixelBuffer.h"
#include "render/RandomGeometry.h"

namespace {

constexpr float kDegree = 0.017453292f;

// The clip area of the three pictures, and which one moves.
struct SlideFrame {
    const Pixel* moving;
    const Pixel* still;
    Pixel* canvas;
    int32_t pitch;
    int32_t w;
    int32_t h;

    SlideFrame(const EffectParams* t, int32_t dir) {
        const Rect& r = t->rect;
        const Pixel* a = pixelAt(t->source, t->pitch, r.left, r.top);
        const Pixel* b = pixelAt(t->source2, t->pitch, r.left, r.top);
        moving = dir == 0 ? b : a;
        still = dir == 0 ? a : b;
        canvas = pixelAt(t->destination, t->pitch, r.left, r.top);
        pitch = t->pitch;
        w = r.right - r.left;
        h = r.bottom - r.top;
    }
    bool empty() const { return w <= 0 || h <= 0; }
    // src's RECT (l, t, r, b) to (x, y) of the canvas; empty RECTs draw nothing.
    void copy(const Pixel* src, int32_t l, int32_t t, int32_t r, int32_t b, int32_t x, int32_t y) const {
        if (r <= l || b <= t) return;
        copyRect(canvas, src, x, y, Rect{l, t, r, b}, pitch, pitch);
    }
    void copyInPlace(const Pixel* src, int32_t l, int32_t t, int32_t r, int32_t b) const { copy(src, l, t, r, b, l, t); }
    void copyWhole(const Pixel* src) const { copy(src, 0, 0, w, h, 0, 0); }
    Pixel* row(int32_t y) const { return canvas + static_cast<ptrdiff_t>(y) * pitch; }
    const Pixel* row(const Pixel* src, int32_t y) const { return src + static_cast<ptrdiff_t>(y) * pitch; }
};

// Band i of count over n lines: [trunc(n / count x i), trunc(n / count x (i + 1))).
inline int32_t bandStart(float bandSize, int32_t i) { return truncToInt(bandSize * static_cast<float>(i)); }

}  // namespace

// ---- Oblique bands --------------------------------------------------------------

ObliqueBands::ObliqueBands(int32_t width, int32_t height, int32_t count, int32_t angleDegrees) {
    slope = std::tan(static_cast<double>(static_cast<float>(angleDegrees) * kDegree));
    lift = width * slope;
    spacing = (height + lift) / count;
    span = height + width / slope;
}

void ObliqueBands::corners(int32_t band, double c1, double c2, float out[4][2]) const {
    const double k0 = spacing * band - lift, k1 = spacing * (band + 1) - lift + 1.0;
    const double across = slope + 1.0 / slope;
    auto meet = [&](double k, double c, float* p) {
        const double x = (c - k) / across;
        p[0] = static_cast<float>(x);
        p[1] = static_cast<float>(slope * x + k);
    };
    meet(k0, c1, out[0]);
    meet(k1, c1, out[1]);
    meet(k1, c2, out[2]);
    meet(k0, c2, out[3]);
}

void ObliqueBands::corners(int32_t band, double c1, double c2, int32_t out[4][2]) const {
    float f[4][2];
    corners(band, c1, c2, f);
    for (int i = 0; i < 4; ++i) {
        out[i][0] = truncToInt(f[i][0]);
        out[i][1] = truncToInt(f[i][1]);
    }
}

// ---- Straight moves ---------------------------------------------------------------

// With an odd size the second half is one line longer than the first; each half
// travels its own length, so both reach their places and nothing is left over.
void renderSlSideIn(EffectParams* t, int32_t dir) {
    const SlideFrame f(t, dir);
    if (f.empty()) return;
    const float s = dir == 0 ? t->progress : 1.0f - t->progress;
    const int32_t hw = f.w / 2;
    const int32_t d = truncToInt(s * static_cast<float>(hw)), d2 = truncToInt(s * static_cast<float>(f.w - hw));
    f.copy(f.moving, hw - d, 0, hw, f.h, 0, 0);
    f.copy(f.moving, hw, 0, hw + d2, f.h, f.w - d2, 0);
    f.copyInPlace(f.still, d, 0, f.w - d2, f.h);
}

void renderSlUpdown(EffectParams* t, int32_t dir) {
    const SlideFrame f(t, dir);
    if (f.empty()) return;
    const float s = dir == 0 ? t->progress : 1.0f - t->progress;
    const int32_t hh = f.h / 2;
    const int32_t d = truncToInt(s * static_cast<float>(hh)), d2 = truncToInt(s * static_cast<float>(f.h - hh));
    f.copy(f.moving, 0, hh - d, f.w, hh, 0, 0);
    f.copy(f.moving, 0, hh, f.w, hh + d2, 0, f.h - d2);
    f.copyInPlace(f.still, 0, d, f.w, f.h - d2);
}

// The right and bottom quadrants travel their own sizes (longer by one for odd sizes).
void renderSlDiagonal(EffectParams* t, int32_t dir) {
    const SlideFrame f(t, dir);
    if (f.empty()) return;
    const int32_t W = f.w, H = f.h, hw = W / 2, hh = H / 2;
    const float s = dir == 0 ? 1.0f - t->progress : t->progress;
    const int32_t dx = truncToInt(s * static_cast<float>(hw)), dy = truncToInt(s * static_cast<float>(hh));
    const int32_t dxr = truncToInt(s * static_cast<float>(W - hw)), dyb = truncToInt(s * static_cast<float>(H - hh));
    f.copyWhole(f.still);
    f.copy(f.moving, dx, dy, hw, hh, 0, 0);
    f.copy(f.moving, hw, dy, W - dxr, hh, hw + dxr, 0);
    f.copy(f.moving, dx, hh, hw, H - dyb, 0, hh + dyb);
    f.copy(f.moving, hw, hh, W - dxr, H - dyb, hw + dxr, hh + dyb);
}

void renderSlCross032(EffectParams* t, int32_t dir, int32_t count) {
    const SlideFrame f(t, dir);
    if (f.empty() || count <= 0) return;
    const int32_t W = f.w;
    const int32_t d = truncToInt(static_cast<float>(W) * (dir == 0 ? t->progress : 1.0f - t->progress));
    f.copyWhole(f.still);
    const float bh = static_cast<float>(f.h) / static_cast<float>(count);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t top = bandStart(bh, i), bottom = i + 1 == count ? f.h : bandStart(bh, i + 1);
        if (i & 1)
            f.copy(f.moving, 0, top, d, bottom, W - d, top);
        else
            f.copy(f.moving, W - d, top, W, bottom, 0, top);
    }
}

void renderSlCross(EffectParams* t, int32_t dir, int32_t count, int32_t angle) {
    const SlideFrame f(t, dir);
    if (f.empty() || count <= 0) return;
    const float g = dir == 0 ? t->progress : 1.0f - t->progress;
    const int32_t W = f.w, H = f.h;
    if (angle == 0) {
        const int32_t l = truncToInt(g * static_cast<float>(W)), m = W - l;
        const float bh = static_cast<float>(H) / static_cast<float>(count);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t top = bandStart(bh, i), bottom = i + 1 == count ? H : bandStart(bh, i + 1);
            if (i & 1) {
                f.copyInPlace(f.still, 0, top, m, bottom);
                f.copy(f.moving, 0, top, l, bottom, m, top);
            } else {
                f.copy(f.moving, m, top, W, bottom, 0, top);
                f.copyInPlace(f.still, l, top, W, bottom);
            }
        }
    } else if (angle == 90) {
        const int32_t l = truncToInt(g * static_cast<float>(H)), m = H - l;
        const float bw = static_cast<float>(W) / static_cast<float>(count);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t left = bandStart(bw, i), right = i + 1 == count ? W : bandStart(bw, i + 1);
            if (i & 1) {
                f.copyInPlace(f.still, left, 0, right, m);
                f.copy(f.moving, left, 0, right, l, left, m);
            } else {
                f.copy(f.moving, left, m, right, H, left, 0);
                f.copyInPlace(f.still, left, l, right, H);
            }
        }
    } else if (angle > 0 && angle < 90) {
        f.copyWhole(f.still);
        const ObliqueBands bands(W, H, count, angle);
        const double wt = bands.span;
        const Rect clip{0, 0, W, H};
        for (int32_t i = 0; i < count; ++i) {
            float p[4][2];
            int32_t q[4][2];
            if (i & 1) {
                bands.corners(i, (1.0 - g) * wt, wt, p);
                bands.corners(i, 0.0, g * wt, q);
            } else {
                bands.corners(i, 0.0, g * wt, p);
                bands.corners(i, (1.0 - g) * wt, wt, q);
            }
            drawTexturedQuad(f.canvas, p[0], p[1], p[2], p[3], f.moving, q[0], q[1], q[2], q[3], clip, f.pitch,
                             f.pitch);
        }
    }
}

void renderSlCorner(EffectParams* t, int32_t dir, int32_t angle) {
    const SlideFrame f(t, dir);
    if (f.empty() || angle < 0 || angle >= 360) return;
    const double g = dir == 0 ? t->progress : 1.0f - t->progress;
    const double W = f.w, H = f.h;
    const int32_t quadrant = angle / 90;
    const double b = static_cast<double>(static_cast<float>(angle % 90) * kDegree);
    const double tb = std::tan(b);
    // Quadrants 0 and 2 measure b from the vertical, 1 and 3 from the horizontal.
    const bool steep = (quadrant & 1) ? b >= std::atan2(H, W) : b <= std::atan2(W, H);
    // The moving picture's offsets across and along the frame when it starts
    // wholly outside it: one reaches the frame's side, the other follows the slope.
    double offX, offY;
    if ((quadrant & 1) == 0) {
        offY = steep ? H : W / tb;
        offX = steep ? H * tb : W;
    } else {
        offX = steep ? H / tb : W;
        offY = steep ? H : W * tb;
    }
    // size - (1 - g) off rather than size + g off - off: the same value, but
    // exact at g = 1, where the other form can lose the last line to rounding.
    auto visible = [g](double size, double off) { return truncToInt(size - (1.0 - g) * off); };
    auto uncovered = [g](double off) { return truncToInt((1.0 - g) * off); };
    int32_t cw = 0, ch = 0;
    switch (quadrant) {
        case 0: cw = visible(W, offX); ch = visible(H, offY); break;
        case 1: cw = visible(W, offX); ch = uncovered(offY); break;
        case 2: cw = uncovered(offX); ch = uncovered(offY); break;
        default: cw = uncovered(offX); ch = visible(H, offY); break;
    }
    const int32_t w = f.w, h = f.h;
    cw = std::clamp(cw, 0, w);
    ch = std::clamp(ch, 0, h);
    switch (quadrant) {
        case 0:
            f.copy(f.moving, w - cw, h - ch, w, h, 0, 0);
            f.copyInPlace(f.still, 0, ch, cw, h);
            f.copyInPlace(f.still, cw, 0, w, h);
            break;
        case 1:
            f.copy(f.moving, w - cw, 0, w, h - ch, 0, ch);
            f.copyInPlace(f.still, 0, 0, cw, ch);
            f.copyInPlace(f.still, cw, 0, w, h);
            break;
        case 2:
            f.copy(f.moving, 0, 0, w - cw, h - ch, cw, ch);
            f.copyInPlace(f.still, 0, 0, cw, h);
            f.copyInPlace(f.still, cw, 0, w, ch);
            break;
        default:
            f.copy(f.moving, 0, h - ch, w - cw, h, cw, 0);
            f.copyInPlace(f.still, 0, 0, cw, h);
            f.copyInPlace(f.still, cw, ch, w, h);
            break;
    }
}

// ---- Shaped moves -----------------------------------------------------------------

void renderSlPage(EffectParams* t) {
    const SlideFrame f(t, 1);   // moving = outgoing, still = incoming: both move here
    if (f.empty()) return;
    const Pixel* a = f.moving;
    const Pixel* b = f.still;
    const int32_t W = f.w, H = f.h;
    const int32_t edge = truncToInt(t->progress * static_cast<float>(W));
    if (t->progress < 0.5f) {
        f.copy(b, edge, 0, 2 * edge, H, 0, 0);
        f.copy(a, 0, 0, W - edge, H, edge, 0);
    } else {
        f.copy(b, W - edge, 0, W, H, 0, 0);
        f.copy(a, 2 * edge - W, 0, edge, H, edge, 0);
    }
}

namespace {

// The four triangles of renderSlX, their apexes at the centre.
struct XTriangles {
    int32_t w, h, hh;
    bool top(int32_t x, int32_t y) const {
        const int32_t e = y * w / h;
        return y >= 0 && y < hh && x >= e && x < w - e;
    }
    bool bottom(int32_t x, int32_t y) const {
        const int32_t e = y * w / h;
        return y >= hh && y < h && x >= w - e && x < e + 1;
    }
    bool left(int32_t x, int32_t y) const {
        const int32_t e = x * h / w;
        return x >= 0 && x < w / 2 && y >= e && y < h - e;
    }
    bool right(int32_t x, int32_t y) const {
        const int32_t e = x * h / w;
        return x >= w / 2 && x < w && y >= h - e && y < e + 1;
    }
};

}  // namespace

void renderSlX(EffectParams* t, int32_t dir) {
    const SlideFrame f(t, dir);
    if (f.empty()) return;
    const int32_t W = f.w, H = f.h, hh = H / 2;
    const int32_t rise = truncToInt((dir == 0 ? 1.0f - t->progress : t->progress) * static_cast<float>(hh));
    const int32_t shift = rise * W / H;
    const XTriangles tri{W, H, hh};
    for (int32_t y = 0; y < H; ++y) {
        Pixel* out = f.row(y);
        const Pixel* still = f.row(f.still, y);
        for (int32_t x = 0; x < W; ++x) {
            // Left and right are drawn over top and bottom.
            int32_t sx = x, sy = y;
            bool shows;
            if (tri.left(x, y)) {
                sx = x + shift;
                shows = tri.left(sx, sy);
            } else if (tri.right(x, y)) {
                sx = x - shift;
                shows = tri.right(sx, sy);
            } else if (tri.top(x, y)) {
                sy = y + rise;
                shows = tri.top(sx, sy);
            } else if (tri.bottom(x, y)) {
                sy = y - rise;
                shows = tri.bottom(sx, sy);
            } else {
                // The few centre pixels of odd sizes that no triangle claims
                // join the picture once the pieces have met.
                shows = rise == 0;
            }
            out[x] = shows ? f.row(f.moving, sy)[sx] : still[x];
        }
    }
}

void renderSlFalling(EffectParams* t, int32_t dir) {
    const SlideFrame f(t, dir);
    if (f.empty()) return;
    const int32_t W = f.w, H = f.h;
    const float a = (dir == 0 ? t->progress : 1.0f - t->progress) * 21.99115f;
    const int32_t v = a != 0.0f ? truncToInt(static_cast<double>(H) * std::sin(a) / a) : H;
    const int32_t lift = std::clamp(v, -H, H);
    if (lift >= 0) {
        f.copy(f.moving, 0, lift, W, H, 0, 0);
        f.copyInPlace(f.still, 0, H - lift, W, H);
    } else {
        f.copyInPlace(f.still, 0, 0, W, -lift);
        f.copy(f.moving, 0, 0, W, H + lift, 0, -lift);
    }
}

void renderSlSplitCross(EffectParams* t, int32_t dir, int32_t angle) {
    const SlideFrame f(t, dir);
    if (f.empty()) return;
    const int32_t W = f.w, H = f.h;
    const uint32_t k = static_cast<uint32_t>(truncToInt((dir == 0 ? 1.0f - t->progress : t->progress) * 4096.0f));
    const int32_t l = static_cast<int32_t>((static_cast<int64_t>(k) * W) >> 12);
    const double a = static_cast<double>(static_cast<float>(angle) * 0.0174532925f);
    const double turns[4] = {a + 4.712388981, a, a + 1.570796327, a + 3.141592654};
    int32_t ox[4], oy[4];
    for (int i = 0; i < 4; ++i) {
        ox[i] = truncToInt(l * std::cos(turns[i]));
        oy[i] = truncToInt(l * std::sin(turns[i]));
    }
    for (int32_t y = 0; y < H; ++y) {
        Pixel* out = f.row(y);
        const Pixel* still = f.row(f.still, y);
        for (int32_t x = 0; x < W; ++x) out[x] = 0;
        for (int i = 0; i < 4; ++i) {
            const int32_t sy = y + oy[i];
            const bool rowInside = sy >= 0 && sy < H;
            const Pixel* moving = rowInside ? f.row(f.moving, sy) + ox[i] : nullptr;
            // Columns whose moved point lies inside the picture: [x0, x1).
            const int32_t x0 = rowInside ? std::clamp(-ox[i], 0, W) : W;
            const int32_t x1 = rowInside ? std::clamp(W - ox[i], x0, W) : W;
            for (int32_t x = 0; x < x0; ++x) out[x] += (still[x] >> 2) & 0x3F3F3Fu;
            for (int32_t x = x0; x < x1; ++x) out[x] += (moving[x] >> 2) & 0x3F3F3Fu;
            for (int32_t x = x1; x < W; ++x) out[x] += (still[x] >> 2) & 0x3F3F3Fu;
        }
    }
}

namespace {

// Travel distances of the reels when the pool has no buffer for them.
struct SlotFallback {
    static constexpr int32_t kCells = 256;
    int32_t travel[kCells];
};

}  // namespace

void renderSlSlot(EffectParams* t, int32_t cols, int32_t rows) {
    const SlideFrame f(t, 1);   // moving = outgoing, still = incoming: the reels carry both
    if (f.empty() || cols <= 0 || rows <= 0) return;
    const Pixel* a = f.moving;
    const Pixel* b = f.still;
    const int32_t cw = f.w / cols, ch = f.h / rows;
    const int32_t cells = cols * rows;
    SlotFallback& fallback = effectState<SlotFallback>(t);
    if (t->firstFrame) {
        t->buffers[0] = t->acquireBuffer(&t->slots[0]);
        // A dry pool or too many cells for the record: the distances live in
        // the buffer if there is one, else in the record (the first cells only).
        int32_t* travel = t->buffers[0] ? reinterpret_cast<int32_t*>(t->buffers[0]) : fallback.travel;
        const int32_t stored = t->buffers[0] ? cells : std::min(cells, SlotFallback::kCells);
        for (int32_t i = 0; i < stored; ++i) travel[i] = ch * (2 * (crtRand() % 8) + 1);
    }
    if (t->buffers[0]) t->keepBuffer(t->slots[0]);
    // The strips right of and below the grid belong to no reel: they keep the
    // outgoing picture (the canvas would otherwise show a stale frame there).
    f.copy(a, cols * cw, 0, f.w, f.h, cols * cw, 0);
    f.copy(a, 0, rows * ch, cols * cw, f.h, 0, rows * ch);
    if (cw <= 0 || ch <= 0) return;
    const int32_t* travel = t->buffers[0] ? reinterpret_cast<const int32_t*>(t->buffers[0]) : fallback.travel;
    const int32_t drawn = t->buffers[0] ? cells : std::min(cells, SlotFallback::kCells);
    for (int32_t i = 0; i < drawn; ++i) {
        const int32_t top = (i / cols) * ch, left = (i % cols) * cw;
        const int32_t s = truncToInt(t->progress * static_cast<float>(travel[i]));
        const int32_t n = s / ch, o = s % ch;
        const Pixel* arriving = (n & 1) ? a : b;
        const Pixel* leaving = (n & 1) ? b : a;
        f.copy(arriving, left, top + ch - o, left + cw, top + ch, left, top);
        f.copy(leaving, left, top, left + cw, top + ch - o, left, top + o);
    }
}

// ---- Space gate and triangle explosions ---------------------------------------------

namespace {

struct GateGeometry {
    int32_t cx, cy, g;
    int32_t px[16], py[16];

    GateGeometry(int32_t w, int32_t h) : cx(w >> 1), cy(h >> 1), g(cx * cx + cy * cy) {
        const int32_t r = truncToInt(std::sqrt(static_cast<double>(g)));
        for (int i = 0; i < 16; ++i) {
            const double a = static_cast<double>(static_cast<float>(i) * 0.3926991f);
            px[i] = truncToInt(r * std::cos(a));
            py[i] = truncToInt(r * std::sin(a));
        }
    }
    bool inCircle(int i, int32_t x, int32_t y) const {
        const int64_t dx = x - px[i], dy = y - py[i];
        return dx * dx + dy * dy < g;
    }
    // Label 2m of the blade at (X, Y) relative to the centre, -1 for none.
    int32_t label(int32_t x, int32_t y) const {
        bool in[8];
        for (int j = 0; j < 8; ++j) in[j] = inCircle(2 * j + 1, x, y);   // in[j]: point 2j + 1
        int32_t found = -1;
        for (int m = 0; m < 8; ++m)
            if (in[(m + 7) & 7] && !in[m]) found = 2 * m;
        return found;
    }
};

// Room for the label map in a pool buffer, after the handed-out pointer.
constexpr int64_t kGateLabelRoom = (2702336 - 237824) / 4;

}  // namespace

void renderSlSpaceGate(EffectParams* t, int32_t dir) {
    const SlideFrame f(t, dir);
    if (f.empty()) return;
    const GateGeometry gate(f.w, f.h);
    const int32_t cx = gate.cx, cy = gate.cy, pitch = f.pitch;
    const bool fits = static_cast<int64_t>(pitch) * f.h <= kGateLabelRoom;
    if (t->firstFrame || !t->buffers[0]) {
        t->buffers[0] = fits ? t->acquireBuffer(&t->slots[0]) : nullptr;
        if (t->buffers[0]) {
            int32_t* labels = reinterpret_cast<int32_t*>(t->buffers[0]);
            // The whole frame: a turned blade may sample an odd last column or
            // row, whose label must not be what the buffer's last user left.
            for (int32_t y = 0; y < f.h; ++y)
                for (int32_t x = 0; x < f.w; ++x)
                    labels[static_cast<ptrdiff_t>(y) * pitch + x] = gate.label(x - cx, y - cy);
        }
    }
    if (t->buffers[0]) t->keepBuffer(t->slots[0]);
    // Without a buffer every label is worked out where it is needed.
    const int32_t* labels = reinterpret_cast<const int32_t*>(t->buffers[0]);
    auto labelAt = [&](int32_t x, int32_t y) {
        return labels ? labels[static_cast<ptrdiff_t>(y) * pitch + x] : gate.label(x - cx, y - cy);
    };

    const float s = dir == 0 ? 1.0f - t->progress : t->progress;
    const double angle = static_cast<double>(s * 0.86f);
    const int32_t cs = truncToInt(std::cos(angle) * 32768.0), sn = truncToInt(std::sin(angle) * 32768.0);
    // The whole frame first: with an odd size the last column or row lies
    // outside the blades' square and would keep the previous frame.
    f.copyWhole(f.still);
    for (int32_t y = 0; y < 2 * cy; ++y) {
        Pixel* out = f.row(y);
        for (int32_t x = 0; x < 2 * cx; ++x) {
            const int32_t m = labelAt(x, y);
            if (m < 0) continue;
            const int32_t px = gate.px[m], py = gate.py[m];
            const int32_t dx = x - cx - px, dy = y - cy - py;
            const int32_t sx = px + ((dy * sn + dx * cs) >> 15) + cx;
            const int32_t sy = py + ((dy * cs - dx * sn) >> 15) + cy;
            if (sx >= 0 && sx < f.w && sy >= 0 && sy < f.h && labelAt(sx, sy) == m) out[x] = f.row(f.moving, sy)[sx];
        }
    }
}

namespace {

template <bool Spin>
void triangleExplode(EffectParams* t, int32_t count, int32_t startAngle, int32_t dir) {
    const SlideFrame f(t, dir);
    if (f.empty() || count <= 0) return;
    f.copyWhole(f.still);
    const int32_t hw = f.w / 2, hh = f.h / 2;
    const int32_t rim = truncToInt(std::sqrt(static_cast<double>(hh * hh + hw * hw)) * 1.06);
    const float step = 6.2831855f / static_cast<float>(count), half = step / 2.0f;
    const float a0 = static_cast<float>(startAngle) * kDegree;
    const int32_t k = truncToInt((dir == 0 ? 1.0f - t->progress : t->progress) * 1024.0f);
    int32_t travel, turn = 0;
    if (Spin) {
        travel = std::max(0, rim * (k - 256) / 768);
        turn = k >= 256 ? (k - 256) * 32768 / k + 32768 : k * 128;
    } else {
        travel = rim * k / 1024;
    }
    const Rect clip{0, 0, f.w, f.h};
    int32_t prev[2] = {truncToInt(std::cos(static_cast<double>(a0 - half)) * rim) + hw,
                       truncToInt(rim * std::sin(static_cast<double>(a0 - half))) + hh};
    const int32_t centre[2] = {hw, hh};
    for (int32_t i = 0; i < count; ++i) {
        const double phi = static_cast<double>(a0 + static_cast<float>(i) * step);
        const double edge = static_cast<double>(static_cast<float>(phi) + half);
        const int32_t next[2] = {truncToInt(rim * std::cos(edge)) + hw, truncToInt(rim * std::sin(edge)) + hh};
        const int32_t ddx = truncToInt(travel * std::cos(phi)), ddy = truncToInt(travel * std::sin(phi));
        int32_t d[3][2] = {{prev[0] + ddx, prev[1] + ddy}, {next[0] + ddx, next[1] + ddy},
                           {centre[0] + ddx, centre[1] + ddy}};
        if (Spin)
            for (auto& p : d) rotateAboutPointFixed(&p[0], &p[1], turn, hw, hh);
        drawTexturedTriangle(TexturedTriangle{f.canvas, clip, f.pitch, d[0], d[1], d[2], f.moving, f.pitch, prev,
                                              next, centre});
        prev[0] = next[0];
        prev[1] = next[1];
    }
}

}  // namespace

void renderSlTriangleExplode(EffectParams* t, int32_t count, int32_t startAngle, int32_t dir) {
    triangleExplode<false>(t, count, startAngle, dir);
}

void renderSlTriangleExplodeRo(EffectParams* t, int32_t count, int32_t startAngle, int32_t dir) {
    triangleExplode<true>(t, count, startAngle, dir);
}
