#include "Transition/Transition_Stretch.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "Transition/TransitionFrame.h"
#include "engine/ScratchPool.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"
#include "render/TrigTables.h"

namespace {

constexpr double kDegree = 0.017453292;

// Per-frame index tables (columns of the zoomed and tiled copies). Grown once
// and reused; nothing in them carries from one frame to the next.
int32_t* indexScratch(size_t count) {
    static std::vector<int32_t> table;
    if (table.size() < count) table.resize(count);
    return table.data();
}

// v brought into 0..n - 1 by whole turns of n (the same as adding or
// subtracting n until it fits, for any distance).
inline int32_t wrapInto(int64_t v, int32_t n) {
    int64_t r = v % n;
    if (r < 0) r += n;
    return static_cast<int32_t>(r);
}

// Sample position centre + (offset x step) >> shift, in 64 bits so that
// huge steps (a tiling at nearly zero scale) cannot wrap.
inline int64_t scaled(int32_t centre, int32_t offset, int64_t step, int shift) {
    return centre + ((static_cast<int64_t>(offset) * step) >> shift);
}

// Far edge of the second half of an extent cut at e = extent / 2: for odd
// extents that half is one pixel wider, so it is measured on its own and the
// last column or row is always covered.
inline int32_t secondHalf(int32_t extent) { return extent - extent / 2; }

}  // namespace

// ---- Squeezes and zooms of whole pictures -----------------------------------------

void renderStSizeUpDown(EffectParams* t, int32_t shrink) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const double p = t->progress;
    const double k = shrink ? 1.0 - p : p;
    const Pixel* back = shrink ? f.incoming : f.outgoing;
    const Pixel* front = shrink ? f.outgoing : f.incoming;
    const int32_t hw = f.w >> 1, hh = f.h >> 1;
    const int32_t oddX = f.w & 1, oddY = f.h & 1;
    const double m = k * k * k;
    const double o = f.w * m * 0.0625 + 1.0;
    const Rect full = f.rect;
    // About the centre; an odd size gives the far side its extra pixel so the
    // unmagnified picture still covers the last column and row.
    const int32_t a = truncToInt(o * hw), b = truncToInt(o * hh);
    stretchRectClipped(f.canvas, back, {hw - a, hh - b, hw + a + oddX, hh + b + oddY}, full, full, f.pitch, f.pitch);
    const int32_t c = truncToInt(m * hw), d = truncToInt(m * hh);
    if (c > 0 && d > 0)
        stretchRectClipped(f.canvas, front, {hw - c, hh - d, hw + c + oddX, hh + d + oddY}, full, full, f.pitch,
                           f.pitch);
}

void renderStMulti(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float p = t->progress;
    const float q = direction ? 1.0f - p : p;
    const Pixel* tiled = direction ? f.outgoing : f.incoming;
    const Pixel* base = direction ? f.incoming : f.outgoing;
    const int64_t g = q > 0.0f ? truncToInt(1024.0f / q) : int64_t{f.w} << 10;
    const uint32_t a = static_cast<uint32_t>(std::clamp(truncToInt(q * 256.0f), 0, 256));
    const int32_t cx = f.w >> 1, cy = f.h >> 1;
    int32_t* cols = indexScratch(static_cast<size_t>(f.w));
    for (int32_t x = 0; x < f.w; ++x) cols[x] = wrapInto(scaled(cx, x - cx, g, 10), f.w);
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* tr = tiled + static_cast<ptrdiff_t>(wrapInto(scaled(cy, y - cy, g, 10), f.h)) * f.pitch;
        const Pixel* br = base + static_cast<ptrdiff_t>(y) * f.pitch;
        Pixel* d = f.canvasRow(y);
        for (int32_t x = 0; x < f.w; ++x) d[x] = blendPixel(br[x], tr[cols[x]], a);
    }
}

void renderStMultiWorld(EffectParams* t, int32_t) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float p = t->progress;
    const int32_t hw = f.w >> 1;
    int32_t g = truncToInt(hw * (1.0f - p));
    if (g == 0) g = 1;
    const int64_t tile = (int64_t{hw} << 10) / g;
    const int64_t zoom = truncToInt(262144.0f / (1.0f + 256.0f * (1.0f - p)));
    const uint32_t a = static_cast<uint32_t>(std::clamp(truncToInt(p * 256.0f), 0, 256));
    const int32_t cx = f.w >> 1, cy = f.h >> 1;
    int32_t* tileCols = indexScratch(2 * static_cast<size_t>(f.w));
    int32_t* zoomCols = tileCols + f.w;
    for (int32_t x = 0; x < f.w; ++x) {
        tileCols[x] = wrapInto(scaled(cx, x - cx, tile, 10), f.w);
        zoomCols[x] = static_cast<int32_t>(scaled(cx, x - cx, zoom, 18));   // never leaves the picture
    }
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* tr = f.outgoing + static_cast<ptrdiff_t>(wrapInto(scaled(cy, y - cy, tile, 10), f.h)) * f.pitch;
        const Pixel* zr = f.incoming + static_cast<ptrdiff_t>(scaled(cy, y - cy, zoom, 18)) * f.pitch;
        Pixel* d = f.canvasRow(y);
        for (int32_t x = 0; x < f.w; ++x) d[x] = blendPixel(tr[tileCols[x]], zr[zoomCols[x]], a);
    }
}

void renderStSide(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    const float p = t->progress;
    const float k = direction ? 1.0f - p : p;
    const Pixel* squeezed = direction ? f.outgoing : f.incoming;
    const Pixel* middle = direction ? f.incoming : f.outgoing;
    const int32_t e = f.w / 2;
    const int32_t left = truncToInt(e * k), right = truncToInt(secondHalf(f.w) * k);
    stretchRectNearest(f.canvas, squeezed, {0, 0, left, f.h}, {0, 0, e, f.h}, f.pitch, f.pitch);
    stretchRectNearest(f.canvas, squeezed, {f.w - right, 0, f.w, f.h}, {e, 0, f.w, f.h}, f.pitch, f.pitch);
    stretchRectNearest(f.canvas, middle, {left, 0, f.w - right, f.h}, {left, 0, f.w - right, f.h}, f.pitch, f.pitch);
}

namespace {

// The halves of `halves` take a and (extent - b) pixels at both ends, the whole
// of `middle` is squeezed between them; along x or y.
template <bool Vertical>
void pushHalves(const TransitionFrame& f, int32_t direction, float p) {
    const float k = direction ? p : 1.0f - p;
    const Pixel* halves = direction ? f.outgoing : f.incoming;
    const Pixel* middle = direction ? f.incoming : f.outgoing;
    const int32_t extent = Vertical ? f.h : f.w;
    const int32_t e = extent / 2, e2 = secondHalf(extent);
    const int32_t a = truncToInt(e - e * k);
    const int32_t b = e + truncToInt(e2 * k);
    if (!Vertical) {
        stretchRectSmooth(f.canvas, halves, {0, 0, a, f.h}, {0, 0, e, f.h}, f.pitch, f.pitch);
        stretchRectSmooth(f.canvas, halves, {b, 0, f.w, f.h}, {e, 0, f.w, f.h}, f.pitch, f.pitch);
        stretchRectSmooth(f.canvas, middle, {a, 0, b, f.h}, f.rect, f.pitch, f.pitch);
    } else {
        stretchRectNearest(f.canvas, halves, {0, 0, f.w, a}, {0, 0, f.w, e}, f.pitch, f.pitch);
        stretchRectNearest(f.canvas, halves, {0, b, f.w, f.h}, {0, e, f.w, f.h}, f.pitch, f.pitch);
        stretchRectSmooth(f.canvas, middle, {0, a, f.w, b}, f.rect, f.pitch, f.pitch);
    }
}

// The base copied whole, then a window of the overlay (d of its size) stretched
// over the canvas with weight d. Windows about the centre of an odd size take
// the extra pixel on the far side, so at full size they are the whole picture.
void zoomWindowOver(const TransitionFrame& f, const Pixel* base, const Pixel* overlay, float d, const Rect& window) {
    f.copyWhole(base);   // the same as an unscaled nearest stretch
    stretchRectAlpha(f.canvas, overlay, f.rect, window, f.pitch, f.pitch, d);
}

}  // namespace

void renderStSideDual(EffectParams* t, int32_t direction) { pushHalves<false>(frameOf(t), direction, t->progress); }

void renderStUpDown(EffectParams* t, int32_t direction) { pushHalves<true>(frameOf(t), direction, t->progress); }

void renderStAlpha(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    const float p = t->progress;
    const float d = direction ? 1.0f - p : p;
    const int32_t a = truncToInt((f.w / 2) * d), b = truncToInt(d * (f.h / 2));
    zoomWindowOver(f, direction ? f.incoming : f.outgoing, direction ? f.outgoing : f.incoming, d,
                   {f.w / 2 - a, f.h / 2 - b, f.w / 2 + a + (f.w & 1), f.h / 2 + b + (f.h & 1)});
}

void renderStAlphaMove(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    const float p = t->progress;
    const float d = direction ? 1.0f - p : p;
    const int32_t a = truncToInt((f.w / 2) * d), b = truncToInt(d * (f.h / 2));
    const int32_t g = truncToInt((1.0f - d) * (f.w / 4));
    const int32_t cx = truncToInt(g * std::cos(d * 13.0) + f.w / 2);
    const int32_t cy = truncToInt(g * std::sin(d * 9.0) + f.h / 2);
    const Rect window{std::clamp(cx - a, 0, f.w), std::clamp(cy - b, 0, f.h), std::clamp(cx + a + (f.w & 1), 0, f.w),
                      std::clamp(cy + b + (f.h & 1), 0, f.h)};
    zoomWindowOver(f, direction ? f.incoming : f.outgoing, direction ? f.outgoing : f.incoming, d, window);
}

void renderStJurum(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float p = t->progress;
    const float e = direction ? p : 1.0f - p;
    const Pixel* base = direction ? f.incoming : f.outgoing;
    const Pixel* strip = direction ? f.outgoing : f.incoming;
    f.copyWhole(base);
    const int32_t off = truncToInt(f.w * e);
    const float g = 80.0f * e * e;
    // The strip column of every canvas column (-1: the base stays); worked out
    // first so the copy below walks rows.
    int32_t* cols = indexScratch(static_cast<size_t>(f.w));
    float sum = 0.0f;
    for (int32_t i = 0; i < f.w; ++i) {
        sum += g * (1.0f - std::cos(0.01f * g * static_cast<float>(i))) * 0.08f;
        const int32_t h = i + truncToInt(sum) + off;
        // Column 0 of the strip is never drawn: canvas column 0 keeps the base
        // picture to the end.
        cols[i] = h > 0 && h < f.w ? h : -1;
    }
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = strip + static_cast<ptrdiff_t>(y) * f.pitch;
        Pixel* d = f.canvasRow(y);
        for (int32_t i = 0; i < f.w; ++i)
            if (cols[i] >= 0) d[i] = s[cols[i]];
    }
}

// ---- Folding fans and zoom blurs ----------------------------------------------------

namespace {

// The pixel's angle about the centre in 2048ths of a turn.
inline int32_t fanAngle(int32_t dx, int32_t dy, int32_t kind, int32_t sense, double scale) {
    const bool dyFirst = (kind != 0) == (sense != 0);
    const double angle = dyFirst ? std::atan2(static_cast<double>(dy), static_cast<double>(dx))
                                 : std::atan2(static_cast<double>(dx), static_cast<double>(dy));
    const double k = kind ? 512.0 : 1024.0;
    return truncToInt(scale * angle * 0.31830987732601135 + k) & 0x7ff;
}

struct FanGeometry {
    int32_t hw, hh;
    int32_t dxEnd, dyEnd;   // exclusive: odd sizes include their last column and row
};

// Whether a map of `pitch` x `rows` int32 fits behind a scratch pointer.
bool mapFits(int32_t pitch, int32_t rows) {
    const int64_t room = (kScratchBlockBytes - kScratchLeadBytes) / 4;
    return int64_t{pitch} * rows <= room;
}

}  // namespace

void renderStFoldingFan(EffectParams* t, int32_t direction, int32_t mapKind, int32_t turnSense, int32_t mapScale) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const FanGeometry geo{f.w >> 1, f.h >> 1, f.w - (f.w >> 1), f.h - (f.h >> 1)};
    const double scale = 1024.0 * mapScale;
    Pixel*& map = t->buffers[0];
    int32_t& slot = t->slots[0];
    if (t->firstFrame) {
        map = nullptr;
        // Without a buffer (pool full, frame too large) every frame works the
        // angles out itself.
        if (mapFits(f.pitch, f.h) && t->acquireBuffer) map = t->acquireBuffer(&slot);
        if (map) {
            for (int32_t dy = -geo.hh; dy < geo.dyEnd; ++dy) {
                Pixel* row = map + static_cast<ptrdiff_t>(geo.hh + dy) * f.pitch + geo.hw;
                for (int32_t dx = -geo.hw; dx < geo.dxEnd; ++dx)
                    row[dx] = static_cast<Pixel>(fanAngle(dx, dy, mapKind, turnSense, scale));
            }
        }
    }
    if (map) t->keepBuffer(slot);

    const float p = t->progress;
    const float h = direction ? 1.0f - p : p;
    const Pixel* base = direction ? f.incoming : f.outgoing;
    const Pixel* fan = direction ? f.outgoing : f.incoming;
    const int32_t sector = std::clamp(truncToInt(h * 2048.0f), 0, 2048);
    const int32_t turn = ((turnSense ? sector - 2048 : 2048 - sector) * 32) / (sector + 1);
    // Rotation of each angle value inside the sector, once per frame.
    int32_t cosOf[2048], sinOf[2048];
    for (int32_t m = 0; m < sector && m < 2048; ++m) {
        const int32_t k = ((m * turn) / 8) & 0x1fff;
        cosOf[m] = CosineTable[k];
        sinOf[m] = SineTable[k];
    }
    for (int32_t dy = -geo.hh; dy < geo.dyEnd; ++dy) {
        const int32_t y = geo.hh + dy;
        const Pixel* mapRow = map ? map + static_cast<ptrdiff_t>(y) * f.pitch + geo.hw : nullptr;
        const Pixel* b = base + static_cast<ptrdiff_t>(y) * f.pitch + geo.hw;
        Pixel* d = f.canvasRow(y) + geo.hw;
        for (int32_t dx = -geo.hw; dx < geo.dxEnd; ++dx) {
            const int32_t m = mapRow ? static_cast<int32_t>(mapRow[dx]) : fanAngle(dx, dy, mapKind, turnSense, scale);
            Pixel out = b[dx];
            if (m < sector) {
                const int32_t c = cosOf[m], s = sinOf[m];
                const int32_t X = (s * dy + c * dx) >> 15, Y = (c * dy - s * dx) >> 15;
                if (X > -geo.hw && X < geo.hw && Y > -geo.hh && Y < geo.hh)
                    out = fan[static_cast<ptrdiff_t>(Y + geo.hh) * f.pitch + X + geo.hw];
            }
            d[dx] = out;
        }
    }
}

namespace {

// Zoom blur: Copies scaled copies of `zoomed` about the centre, at scales
// scales[j] (1024 = unscaled), each masked by its shift, plus the unscaled
// picture at its own shift; cross-faded with `fixed` at weight wf. The column
// of every copy is tabled per frame, the copies of one pixel side by side.
template <int Copies>
void zoomBlur(const TransitionFrame& f, const Pixel* zoomed, const Pixel* fixed, const int32_t (&scales)[Copies],
              const int (&shifts)[Copies], int unscaledShift, uint32_t wf) {
    if (f.empty()) return;
    const int32_t hw = f.w >> 1, hh = f.h >> 1;
    int32_t* cols = indexScratch(static_cast<size_t>(Copies) * f.w);
    for (int32_t x = 0; x < f.w; ++x)
        for (int j = 0; j < Copies; ++j) cols[x * Copies + j] = static_cast<int32_t>(scaled(hw, x - hw, scales[j], 10));
    Pixel masks[Copies];
    for (int j = 0; j < Copies; ++j) masks[j] = (0xFFu >> shifts[j]) * 0x010101u;
    const Pixel unscaledMask = (0xFFu >> unscaledShift) * 0x010101u;
    const Pixel* rows[Copies];
    for (int32_t y = 0; y < f.h; ++y) {
        for (int j = 0; j < Copies; ++j)
            rows[j] = zoomed + static_cast<ptrdiff_t>(scaled(hh, y - hh, scales[j], 10)) * f.pitch;
        const Pixel* z = zoomed + static_cast<ptrdiff_t>(y) * f.pitch;
        const Pixel* fx = fixed + static_cast<ptrdiff_t>(y) * f.pitch;
        Pixel* d = f.canvasRow(y);
        const int32_t* c = cols;
        for (int32_t x = 0; x < f.w; ++x, c += Copies) {
            Pixel mix = (z[x] >> unscaledShift) & unscaledMask;
            [&]<int... J>(std::integer_sequence<int, J...>) {
                ((mix += (rows[J][c[J]] >> shifts[J]) & masks[J]), ...);
            }(std::make_integer_sequence<int, Copies>{});
            d[x] = blendPixel(mix, fx[x], wf);
        }
    }
}

}  // namespace

void renderStDiscrete(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    const int32_t q = std::clamp(truncToInt(t->progress * 256.0f), 0, 256);
    const int32_t b = direction ? q : 256 - q;
    const uint32_t wf = static_cast<uint32_t>(direction ? ((q * q * q) / 256) / 256 : (b * b) / 256);
    const int32_t scales[3] = {1024 - 3 * b, 2 * (512 - b), 1024 - b};
    static constexpr int kShifts[3] = {1, 2, 3};
    zoomBlur<3>(f, direction ? f.outgoing : f.incoming, direction ? f.incoming : f.outgoing, scales, kShifts, 4, wf);
}

void renderStDiscrete2(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    const float p = t->progress;
    const int32_t q = std::clamp(truncToInt(p * 256.0f), 0, 256);
    const int32_t b = std::clamp(truncToInt((direction ? p : 1.0f - p) * 1024.0f), 0, 1024);
    const uint32_t wf =
        static_cast<uint32_t>(direction ? ((q * q * q) / 256) / 256 : ((256 - q) * (256 - q)) / 256);
    int32_t scales[14];
    for (int j = 1; j <= 14; ++j) scales[j - 1] = 1024 - (j * b) / 32;
    static constexpr int kShifts[14] = {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4};
    zoomBlur<14>(f, direction ? f.outgoing : f.incoming, direction ? f.incoming : f.outgoing, scales, kShifts, 3, wf);
}

// ---- Corner, cross and blind stretches ----------------------------------------------

namespace {

Rect clampedRect(const TransitionFrame& f, int32_t l, int32_t t, int32_t r, int32_t b) {
    l = std::clamp(l, 0, f.w);
    r = std::clamp(r, l, f.w);
    t = std::clamp(t, 0, f.h);
    b = std::clamp(b, t, f.h);
    return {l, t, r, b};
}

void copyInPlace(const TransitionFrame& f, const Pixel* src, const Rect& r) {
    copyRect(f.canvas, src, r.left, r.top, r, f.pitch, f.pitch);
}

}  // namespace

void renderStCorner(EffectParams* t, int32_t direction, int32_t angleDegrees) {
    const TransitionFrame f = frameOf(t);
    const double p = t->progress;
    const double k = direction ? 1.0 - p : p;
    const Pixel* moving = direction ? f.outgoing : f.incoming;
    const Pixel* resting = direction ? f.incoming : f.outgoing;
    const double theta = angleDegrees * kDegree;
    const double W = f.w, H = f.h;
    const double q90 = 90 * kDegree, q180 = 180 * kDegree, q270 = 270 * kDegree, q360 = 360 * kDegree;
    int32_t X = 0, Y = 0;
    Rect moved, rest1, rest2;
    const int32_t quarter = ((angleDegrees % 360) + 360) % 360 / 90;
    switch (quarter) {
        case 0:
            if (theta <= std::atan2(W, H)) {
                X = truncToInt(W - (1 - k) * H * std::tan(theta));
                Y = truncToInt(H * k);
            } else {
                X = truncToInt(W * k);
                Y = truncToInt(H - (1 - k) * W * std::tan(q90 - theta));
            }
            moved = clampedRect(f, 0, 0, X, Y);
            X = moved.right, Y = moved.bottom;
            rest1 = clampedRect(f, 0, Y, X, f.h);
            rest2 = clampedRect(f, X, 0, f.w, f.h);
            break;
        case 1:
            if (theta - q90 <= std::atan2(H, W)) {
                X = truncToInt(W * k);
                Y = truncToInt(W * std::tan(theta - q90) * (1 - k));
            } else {
                X = truncToInt(W - (1 - k) * H * std::tan(q180 - theta));
                Y = truncToInt(H * (1 - k));
            }
            moved = clampedRect(f, 0, Y, X, f.h);
            X = moved.right, Y = moved.top;
            rest1 = clampedRect(f, 0, 0, X, Y);
            rest2 = clampedRect(f, X, 0, f.w, f.h);
            break;
        case 2:
            if (theta - q180 > std::atan2(W, H)) {
                X = truncToInt(W * (1 - k));
                Y = truncToInt((1 - k) * W * std::tan(q270 - theta));
            } else {
                X = truncToInt((1 - k) * H * std::tan(theta - q180));
                Y = truncToInt(H * (1 - k));
            }
            moved = clampedRect(f, X, Y, f.w, f.h);
            X = moved.left, Y = moved.top;
            rest1 = clampedRect(f, 0, 0, X, f.h);
            rest2 = clampedRect(f, X, 0, f.w, Y);
            break;
        default:
            if (theta - q270 <= std::atan2(H, W)) {
                X = truncToInt(W * (1 - k));
                Y = truncToInt(H - (1 - k) * W * std::tan(theta - q270));
            } else {
                X = truncToInt(H * std::tan(q360 - theta) * (1 - k));
                Y = truncToInt(H * k);
            }
            moved = clampedRect(f, X, 0, f.w, Y);
            X = moved.left, Y = moved.bottom;
            rest1 = clampedRect(f, 0, 0, X, f.h);
            rest2 = clampedRect(f, X, Y, f.w, f.h);
            break;
    }
    stretchRectNearest(f.canvas, moving, moved, f.rect, f.pitch, f.pitch);
    copyInPlace(f, resting, rest1);
    copyInPlace(f, resting, rest2);
}

namespace {

// Band i of n over an extent, cut at trunc(i x extent / n) with a float ratio.
inline int32_t bandEdge(int32_t i, int32_t extent, int32_t n) {
    return truncToInt(i * (static_cast<float>(extent) / static_cast<float>(n)));
}

}  // namespace

void renderStCross(EffectParams* t, int32_t direction, int32_t bands, int32_t angle) {
    const TransitionFrame f = frameOf(t);
    if (bands <= 0) return;
    const float p = t->progress;
    const float k = direction ? 1.0f - p : p;
    const Pixel* moving = direction ? f.outgoing : f.incoming;
    const Pixel* resting = direction ? f.incoming : f.outgoing;
    // Only 0 and 90 occur in the table; any other angle runs as bands across.
    const bool columns = angle == 90;
    const int32_t B = truncToInt(k * (columns ? f.h : f.w));
    for (int32_t i = 0; i < bands; ++i) {
        const int32_t lo = bandEdge(i, columns ? f.w : f.h, bands), hi = bandEdge(i + 1, columns ? f.w : f.h, bands);
        if (!columns) {
            const Rect band{0, lo, f.w, hi};
            if (i % 2 == 0) {
                stretchRectNearest(f.canvas, moving, {0, lo, B, hi}, band, f.pitch, f.pitch);
                copyInPlace(f, resting, {B, lo, f.w, hi});
            } else {
                copyInPlace(f, resting, band);
                stretchRectNearest(f.canvas, moving, {f.w - B, lo, f.w, hi}, band, f.pitch, f.pitch);
            }
        } else {
            const Rect band{lo, 0, hi, f.h};
            if (i % 2 == 0) {
                stretchRectNearest(f.canvas, moving, {lo, 0, hi, B}, band, f.pitch, f.pitch);
                copyInPlace(f, resting, {lo, B, hi, f.h});
            } else {
                copyInPlace(f, resting, {lo, 0, hi, f.h - B});
                stretchRectNearest(f.canvas, moving, {lo, f.h - B, hi, f.h}, band, f.pitch, f.pitch);
            }
        }
    }
}

void renderStCrossDual(EffectParams* t, int32_t bands, int32_t angle) {
    const TransitionFrame f = frameOf(t);
    if (bands <= 0) return;
    const float p = t->progress;
    const bool columns = angle == 90;
    const int32_t L = truncToInt((columns ? f.h : f.w) * p);
    for (int32_t i = 0; i < bands; ++i) {
        const int32_t lo = bandEdge(i, columns ? f.w : f.h, bands), hi = bandEdge(i + 1, columns ? f.w : f.h, bands);
        const bool even = i % 2 == 0;
        if (!columns) {
            const Rect band{0, lo, f.w, hi};
            const int32_t cut = even ? L : f.w - L;
            stretchRectNearest(f.canvas, even ? f.incoming : f.outgoing, {0, lo, cut, hi}, band, f.pitch, f.pitch);
            stretchRectNearest(f.canvas, even ? f.outgoing : f.incoming, {cut, lo, f.w, hi}, band, f.pitch, f.pitch);
        } else {
            const Rect band{lo, 0, hi, f.h};
            const int32_t cut = even ? L : f.h - L;
            stretchRectNearest(f.canvas, even ? f.incoming : f.outgoing, {lo, 0, hi, cut}, band, f.pitch, f.pitch);
            stretchRectNearest(f.canvas, even ? f.outgoing : f.incoming, {lo, cut, hi, f.h}, band, f.pitch, f.pitch);
        }
    }
}

void renderStBlind(EffectParams* t, int32_t bands, int32_t variant) {
    const TransitionFrame f = frameOf(t);
    if (bands <= 0) return;
    const float p = t->progress;
    const Pixel* base = variant ? f.incoming : f.outgoing;
    const Pixel* slats = variant ? f.outgoing : f.incoming;
    const int32_t k = truncToInt((variant ? p : 1.0f - p) * 4096.0f);
    f.copyWhole(base);
    for (int32_t i = 0; i < bands; ++i) {
        const int32_t top = (i * f.h) / bands, bottom = ((i + 1) * f.h) / bands, mid = (top + bottom) >> 1;
        stretchRectNearest(f.canvas, slats, {0, top + ((mid - top) * k) / 4096, f.w, bottom + ((mid - bottom) * k) / 4096},
                           {0, top, f.w, bottom}, f.pitch, f.pitch);
    }
}

void renderStBlindDual(EffectParams* t, int32_t bandPairs, int32_t variant) {
    const TransitionFrame f = frameOf(t);
    if (bandPairs <= 0) return;
    const float p = t->progress;
    const Pixel* first = variant ? f.incoming : f.outgoing;
    const Pixel* second = variant ? f.outgoing : f.incoming;
    const int32_t count = 2 * bandPairs;
    const float m = static_cast<float>(f.w) / static_cast<float>(count);
    const float d = (variant ? 1.0f - p : p) * m;
    for (int32_t j = 0; j < count; ++j) {
        const int32_t xl = truncToInt(j * m);
        const int32_t xr = j == count - 1 ? f.w : truncToInt(m * (j + 1));
        const Rect band{xl, 0, xr, f.h};
        if (j % 2 == 0) {
            const int32_t e = std::clamp(truncToInt(xr - d), xl, xr);
            stretchRectNearest(f.canvas, first, {xl, 0, e, f.h}, band, f.pitch, f.pitch);
            stretchRectNearest(f.canvas, second, {e, 0, xr, f.h}, band, f.pitch, f.pitch);
        } else {
            const int32_t e = std::clamp(truncToInt(xl + d), xl, xr);
            stretchRectNearest(f.canvas, first, {e, 0, xr, f.h}, band, f.pitch, f.pitch);
            stretchRectNearest(f.canvas, second, {xl, 0, e, f.h}, band, f.pitch, f.pitch);
        }
    }
}
