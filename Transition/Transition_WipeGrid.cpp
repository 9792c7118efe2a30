// Wipes run inside the cells of a grid, in slats or in bands: a line wipe in
// every cell, zigzags, blinds, toppling dominoes and crossing bands.
#include <algorithm>
#include <cmath>

#include "Transition/Transition_Wipe.h"
#include "Transition/WipeShared.h"
#include "render/FloatToInt.h"
#include "render/MeshRaster.h"
#include "render/RandomGeometry.h"

using wipe::copySpan;
using wipe::splitRow;

namespace {

constexpr float kDegree = 0.017453292f;

int32_t normalAngle(int32_t angle) { return ((angle % 360) + 360) % 360; }

// Columns [from, to) of row y from `picture`, or black when it is null.
void paintSpan(const TransitionFrame& f, int32_t y, const Pixel* picture, int32_t from, int32_t to) {
    if (picture) {
        copySpan(f, y, picture, from, to);
        return;
    }
    from = std::max(from, 0);
    to = std::min(to, f.w);
    if (to > from) std::fill(f.canvasRow(y) + from, f.canvasRow(y) + to, Pixel{0});
}

// One band of the grids: cells along one axis at the float step `size`.
struct Band {
    int32_t from, to;
};
Band bandOf(float size, int32_t i) { return {truncToInt(size * i), truncToInt(size * (i + 1))}; }

// Offsets in [0, first) or [secondFrom, secondTo) of a cell: the zigzag's
// tested rows or columns.
struct Offsets {
    int32_t first, secondFrom, secondTo;
    bool has(int32_t j) const { return j < first || (j >= secondFrom && j < secondTo); }
};

Offsets zigzagOffsets(bool oddBand, int32_t k, int32_t half) {
    if (!oddBand) return {k, 0, 0};
    return {std::min(half, k - half), half, half + k};
}

}  // namespace

// ---- Line wipe in every cell -------------------------------------------------------------------

void renderWiMultiline(EffectParams* t, int32_t cols, int32_t rows, int32_t angle) {
    const TransitionFrame f = frameOf(t);
    if (f.empty() || cols <= 0 || rows <= 0) return;
    const float cw = static_cast<float>(f.w) / cols, ch = static_cast<float>(f.h) / rows;
    const float p = t->progress;
    angle = normalAngle(angle);
    const float a = angle * kDegree;
    const int32_t q = angle / 90;
    const bool axis = angle % 90 == 0;
    int32_t w;
    if (axis) w = truncToInt(angle % 180 == 0 ? ch : cw);
    else if (q == 0) w = truncToInt(cw * std::sin(a) + ch * std::cos(a));
    else if (q == 1) w = truncToInt(cw * std::sin(180 * kDegree - a) + ch * std::cos(180 * kDegree - a));
    else if (q == 2) w = truncToInt(ch * std::sin(270 * kDegree - a) + cw * std::cos(270 * kDegree - a));
    else w = truncToInt(ch * std::sin(360 * kDegree - a) + cw * std::cos(360 * kDegree - a));
    const int32_t k = truncToInt(p * w), kb = truncToInt(w * (1.0f - p));

    if (axis) {
        for (int32_t i = 0; i < rows; ++i) {
            const Band rb = bandOf(ch, i);
            for (int32_t y = rb.from; y < rb.to; ++y)
                for (int32_t j = 0; j < cols; ++j) {
                    const Band cb = bandOf(cw, j);
                    switch (angle) {
                        case 0: copySpan(f, y, y - rb.from < k ? f.incoming : f.outgoing, cb.from, cb.to); break;
                        case 180: copySpan(f, y, y - rb.from < kb ? f.outgoing : f.incoming, cb.from, cb.to); break;
                        case 90:
                            copySpan(f, y, f.incoming, cb.from, std::min(cb.from + k, cb.to));
                            copySpan(f, y, f.outgoing, std::clamp(cb.from + k, cb.from, cb.to), cb.to);
                            break;
                        default:
                            copySpan(f, y, f.outgoing, cb.from, std::min(cb.from + kb, cb.to));
                            copySpan(f, y, f.incoming, std::clamp(cb.from + kb, cb.from, cb.to), cb.to);
                            break;
                    }
                }
        }
        return;
    }

    // The edge in the nominal cell, in the coordinates of its starting corner
    // (x' and y' run into the cell): x' al + y' be = k.
    const float b = (angle % 90) * kDegree;
    const float al = (q == 0 || q == 2) ? std::sin(b) : std::cos(b);
    const float be = (q == 0 || q == 2) ? std::cos(b) : std::sin(b);
    const bool flipX = q >= 2, flipY = q == 1 || q == 2;
    float x1 = k / al, y1 = 0;   // crossing of the starting corner's horizontal side (or the far vertical one)
    if (x1 > cw) {
        x1 = cw;
        y1 = (k - cw * al) / be;
    }
    float x2 = 0, y2 = k / be;   // crossing of its vertical side (or the far horizontal one)
    if (y2 > ch) {
        y2 = ch;
        x2 = (k - ch * be) / al;
    }
    const int32_t d = truncToInt(flipX ? cw - x1 : x1), m = truncToInt(flipY ? ch - y1 : y1);
    const int32_t b2 = truncToInt(flipX ? cw - x2 : x2), c = truncToInt(flipY ? ch - y2 : y2);
    // Both ends on one row only at the start, where the edge sits on the corner.
    const int64_t e = c != m ? (int64_t{b2 - d} * 16384) / (c - m) : 0;
    const bool incomingLeft = q < 2;
    for (int32_t i = 0; i < rows; ++i) {
        const Band rb = bandOf(ch, i);
        for (int32_t j = 0; j < cols; ++j) {
            const Band cb = bandOf(cw, j);
            for (int32_t y = rb.from; y < rb.to; ++y) {
                int64_t boundary = cb.from + d + (((y - rb.from - m) * e) >> 14);
                if (!incomingLeft && p == 0.0f) ++boundary;
                const int32_t bx = static_cast<int32_t>(std::clamp<int64_t>(boundary, cb.from, cb.to));
                copySpan(f, y, incomingLeft ? f.incoming : f.outgoing, cb.from, bx);
                copySpan(f, y, incomingLeft ? f.outgoing : f.incoming, bx, cb.to);
            }
        }
    }
}

// ---- Zigzag ----------------------------------------------------------------------------------------

void renderWiZigzagline(EffectParams* t, int32_t cols, int32_t rows, int32_t angle) {
    const TransitionFrame f = frameOf(t);
    if (f.empty() || cols <= 0 || rows <= 0) return;
    const float cw = static_cast<float>(f.w) / cols, ch = static_cast<float>(f.h) / rows;
    const float p = t->progress;
    angle = normalAngle(angle);
    const bool vertical = angle == 0 || angle == 180;   // the edge moves down (or up) each cell
    const bool forward = angle == 0 || angle == 90;
    const int32_t hw = truncToInt(cw * 0.5f), hh = truncToInt(ch * 0.5f);
    const int32_t g = truncToInt(vertical ? ch : cw);
    const int32_t kk = forward ? truncToInt(g * p) : truncToInt(g * (1.0f - p));
    // Forward the tested offsets show the incoming picture, backward the outgoing one.
    const Pixel* tested = forward ? f.incoming : f.outgoing;
    const Pixel* rest = forward ? f.outgoing : f.incoming;
    for (int32_t i = 0; i < rows; ++i) {
        const Band rb = bandOf(ch, i);
        for (int32_t j = 0; j < cols; ++j) {
            const Band cb = bandOf(cw, j);
            if (vertical) {
                const Offsets o = zigzagOffsets(j % 2 == 1, kk, hh);
                for (int32_t y = rb.from; y < rb.to; ++y) copySpan(f, y, o.has(y - rb.from) ? tested : rest, cb.from, cb.to);
            } else {
                const Offsets o = zigzagOffsets(i % 2 == 1, kk, hw);
                const int32_t cellW = cb.to - cb.from;
                const int32_t firstEnd = std::clamp(o.first, 0, cellW);
                const int32_t secondFrom = std::clamp(std::max(o.secondFrom, firstEnd), 0, cellW);
                const int32_t secondTo = std::clamp(o.secondTo, secondFrom, cellW);
                for (int32_t y = rb.from; y < rb.to; ++y) {
                    copySpan(f, y, tested, cb.from, cb.from + firstEnd);
                    copySpan(f, y, rest, cb.from + firstEnd, cb.from + secondFrom);
                    copySpan(f, y, tested, cb.from + secondFrom, cb.from + secondTo);
                    copySpan(f, y, rest, cb.from + secondTo, cb.to);
                }
            }
        }
    }
}

// ---- Blinds ------------------------------------------------------------------------------------------

void renderWiBlinder(EffectParams* t, int32_t style, int32_t slats, int32_t angle) {
    const TransitionFrame f = frameOf(t);
    if (f.empty() || slats <= 0) return;
    angle = normalAngle(angle);
    const bool horizontal = angle == 0 || angle == 180;
    const bool forward = angle == 0 || angle == 90;
    const float s = static_cast<float>(horizontal ? f.h : f.w) / slats;
    const int32_t b = truncToInt(s);
    const float p = t->progress;
    const float spread = slats > 1 ? 0.5f / (slats - 1) : 0.0f;
    for (int32_t i = 0; i < slats; ++i) {
        float level;
        if (style == 21) level = forward ? p : 1.0f - p;
        else if (style == 22) level = forward ? 1.5f * p - spread * i : 1.5f * (1.0f - p) - spread * i;
        else level = forward ? 3.0f * p - spread * i : 1.5f * (1.0f - 2.0f * p) - spread * i;
        const int32_t pos = truncToInt(b * level);
        // Each slat is two runs from its leading edge: (first picture, its length, second picture); null is black.
        const Pixel* first;
        const Pixel* second;
        int32_t length;
        if (style != 23) {
            first = forward ? f.incoming : f.outgoing;
            second = forward ? f.outgoing : f.incoming;
            length = pos;
        } else if (forward) {
            const bool through = pos > b;
            first = through ? f.incoming : nullptr;
            second = through ? nullptr : f.outgoing;
            length = through ? pos - b : pos;
        } else {
            const bool through = pos < 0;
            first = through ? nullptr : f.outgoing;
            second = through ? f.incoming : nullptr;
            length = through ? b + pos : pos;
        }
        const Band slat = bandOf(s, i);
        length = std::max(length, 0);
        if (horizontal) {
            for (int32_t y = slat.from; y < slat.to; ++y) paintSpan(f, y, y - slat.from < length ? first : second, 0, f.w);
        } else {
            const int32_t split = std::min(slat.from + length, slat.to);
            for (int32_t y = 0; y < f.h; ++y) {
                paintSpan(f, y, first, slat.from, split);
                paintSpan(f, y, second, split, slat.to);
            }
        }
    }
}

// ---- Dominoes ------------------------------------------------------------------------------------------

namespace {
constexpr int32_t kDominoBands = 28;
float dominoSpeeds[kDominoBands];
}  // namespace

void renderWiDomino(EffectParams* t, int32_t cols, int32_t rows, int32_t angle) {
    const TransitionFrame f = frameOf(t);
    if (t->firstFrame)
        for (float& speed : dominoSpeeds) speed = randRangeFloat(1.0f, 3.0f);
    if (f.empty() || cols <= 0 || rows <= 0) return;
    const float cw = static_cast<float>(f.w) / cols, ch = static_cast<float>(f.h) / rows;
    angle = normalAngle(angle);
    const bool vertical = angle == 0 || angle == 180;
    const bool forward = angle == 0 || angle == 90;
    const float p = forward ? t->progress : 1.0f - t->progress;
    const int32_t b = truncToInt(vertical ? ch : cw);
    const int32_t cells = vertical ? rows : cols;   // cells along one band
    const float stagger = cells > 1 ? 2.0f / (cells - 1) : 0.0f;
    const Pixel* filled = forward ? f.incoming : f.outgoing;
    const Pixel* rest = forward ? f.outgoing : f.incoming;
    for (int32_t i = 0; i < rows; ++i) {
        const Band rb = bandOf(ch, i);
        for (int32_t j = 0; j < cols; ++j) {
            const Band cb = bandOf(cw, j);
            // The band's speed and the cell's place along the band.
            const int32_t band = vertical ? j : i, along = vertical ? i : j;
            const float speed = dominoSpeeds[band % kDominoBands];
            const int32_t k = truncToInt(b * (3.0f * p * speed - stagger * along));
            for (int32_t y = rb.from; y < rb.to; ++y) {
                if (vertical) {
                    copySpan(f, y, y - rb.from < k ? filled : rest, cb.from, cb.to);
                } else {
                    const int32_t split = std::clamp(cb.from + std::max(k, 0), cb.from, cb.to);
                    copySpan(f, y, filled, cb.from, split);
                    copySpan(f, y, rest, split, cb.to);
                }
            }
        }
    }
}

// ---- Crossing bands -----------------------------------------------------------------------------------------

namespace {

// The quadrilateral of one diagonal band between the band lines y = s x + c0
// and y = s x + c1 and the boundary lines y = -x / s + d0 and y = -x / s + d1,
// drawn from `picture` in place.
void drawBandPiece(const TransitionFrame& f, const Pixel* picture, double s, double c0, double c1, double d0,
                   double d1) {
    const double k = s + 1.0 / s;
    auto corner = [&](double c, double d) {
        const double x = (d - c) / k;
        return MeshVertex{static_cast<float>(x), static_cast<float>(s * x + c), 0.0f, 0};
    };
    const MeshVertex v[4] = {corner(c0, d0), corner(c1, d0), corner(c1, d1), corner(c0, d1)};
    int32_t tex[4][2];
    for (int n = 0; n < 4; ++n) {
        tex[n][0] = truncToInt(v[n].x);
        tex[n][1] = truncToInt(v[n].y);
    }
    renderMeshCell(f.canvas, &v[0], &v[1], &v[2], &v[3], picture, tex[0], tex[1], tex[2], tex[3], f.rect, f.pitch,
                   f.pitch, 0, 0, 0, 0, 0, 0, 0, 0, kCellModeCopy);
}

}  // namespace

void renderWiCross(EffectParams* t, int32_t bands, int32_t angle) {
    const TransitionFrame f = frameOf(t);
    if (f.empty() || bands <= 0) return;
    angle = normalAngle(angle);
    const bool reversed = angle > 179;
    if (reversed) angle -= 180;
    auto leading = [reversed](int32_t i) { return (i % 2 == 1) != reversed; };
    const float p = t->progress;
    if (angle == 0) {
        const float g = static_cast<float>(f.h) / bands;
        const int32_t a = truncToInt(f.w * p);
        for (int32_t i = 0; i < bands; ++i) {
            const Band band = bandOf(g, i);
            for (int32_t y = band.from; y < band.to; ++y) {
                if (leading(i)) splitRow(f, y, f.w - a, f.outgoing, f.incoming);
                else splitRow(f, y, a, f.incoming, f.outgoing);
            }
        }
        return;
    }
    if (angle == 90) {
        const float g = static_cast<float>(f.w) / bands;
        const int32_t a = truncToInt(p * f.h);
        for (int32_t y = 0; y < f.h; ++y)
            for (int32_t i = 0; i < bands; ++i) {
                const Band band = bandOf(g, i);
                const bool in = leading(i) ? y >= f.h - a : y < a;
                copySpan(f, y, in ? f.incoming : f.outgoing, band.from, band.to);
            }
        return;
    }
    if (angle == 45 || angle == 135) {
        const double W = f.w, H = f.h;
        double s, start, end, m1, m2;
        int64_t T, shift, widen0, widen1;
        if (angle < 90) {
            const double b = (90 - angle) * static_cast<double>(kDegree);
            s = std::tan(90 * static_cast<double>(kDegree) - b);
            const int64_t h = truncToInt(W / std::tan(b));
            T = h + f.h;
            shift = h;
            widen0 = -1;
            widen1 = 1;
            start = 0;
            end = truncToInt(W / s) + H;
            m1 = end * p;
            m2 = end * (1.0 - p);
        } else {
            const double r = (180 - angle) * static_cast<double>(kDegree);
            s = -std::tan(r);
            const int64_t h = truncToInt(W / std::tan(r));
            T = h + f.h;
            shift = 0;
            widen0 = -1;
            widen1 = 1;
            start = W;
            end = static_cast<double>(-h);
            m1 = H - (h + H) * p;
            m2 = (h + H) * p - h;
        }
        for (int32_t i = 0; i < bands; ++i) {
            const double c0 = static_cast<double>(i * T / bands - shift + widen0);
            const double c1 = static_cast<double>((i + 1) * T / bands - shift + widen1);
            if (leading(i)) {
                drawBandPiece(f, f.outgoing, s, c0, c1, start, m2);
                drawBandPiece(f, f.incoming, s, c0, c1, m2, end);
            } else {
                drawBandPiece(f, f.incoming, s, c0, c1, start, m1);
                drawBandPiece(f, f.outgoing, s, c0, c1, m1, end);
            }
        }
    }
}
