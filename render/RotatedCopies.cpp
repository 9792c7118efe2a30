#include "render/RotatedCopies.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"

namespace {


inline ptrdiff_t offsetOf(int64_t x, int64_t y, int32_t pitch) {
    return static_cast<ptrdiff_t>(y * pitch + x);
}

// [lo, hi) of the box [c - n, c + n) clipped as the rotation family clips it.
inline void boxSpan(int64_t c, int64_t n, int32_t clipLo, int32_t clipHi, int64_t* lo, int64_t* hi) {
    *lo = std::min<int64_t>(std::max<int64_t>(c - n, clipLo), static_cast<int64_t>(clipHi) - 1);
    *hi = std::min<int64_t>(std::max<int64_t>(c + n, clipLo), clipHi);
}

// The rotation family's common mapping: destination pixel -> source point.
// dx = ((x - cx) * step) >> 8; column = (sin dy + cos dx) >> shift, row = (cos dy - sin dx) >> shift.
struct RotateMap {
    int64_t x0, x1, y0, y1;     // destination box, exclusive ends
    int64_t step, sn, cs;
    int32_t cx, cy;
};

bool setUpRotation(const Rect& clip, const Rect& srcRect, int32_t cx, int32_t cy, float angle,
                   float scale, double trigScale, RotateMap* m) {
    if (scale == 0.0f) return false;
    double sw = static_cast<double>(srcRect.right) - srcRect.left;
    double sh = static_cast<double>(srcRect.bottom) - srcRect.top;
    int64_t n = truncToInt(static_cast<double>(scale) * std::sqrt(sw * sw + sh * sh) * 0.5);
    m->step = truncToInt(32768.0 / static_cast<double>(scale));
    m->sn = truncToInt(std::sin(static_cast<double>(angle)) * trigScale);
    m->cs = truncToInt(std::cos(static_cast<double>(angle)) * trigScale);
    m->cx = cx;
    m->cy = cy;
    boxSpan(cx, n, clip.left, clip.right, &m->x0, &m->x1);
    boxSpan(cy, n, clip.top, clip.bottom, &m->y0, &m->y1);
    return true;
}

// Nearest-sampled rotation; put(dstPixel, srcPixel) writes one pixel.
template <class Put>
void rotateNearest(Pixel* dst, int32_t dstPitch, const Pixel* src, int32_t srcPitch,
                   const Rect& clip, const Rect& srcRect, int32_t cx, int32_t cy, float angle,
                   float scale, Put put) {
    RotateMap m;
    if (!setUpRotation(clip, srcRect, cx, cy, angle, scale, 16384.0, &m)) return;
    const int64_t centreX = (static_cast<int64_t>(srcRect.left) + srcRect.right) >> 1;
    const int64_t centreY = (static_cast<int64_t>(srcRect.top) + srcRect.bottom) >> 1;
    for (int64_t y = m.y0; y < m.y1; ++y) {
        const int64_t dy = ((y - m.cy) * m.step) >> 8;
        Pixel* row = dst + offsetOf(0, y, dstPitch);
        for (int64_t x = m.x0; x < m.x1; ++x) {
            const int64_t dx = ((x - m.cx) * m.step) >> 8;
            const int64_t col = centreX + ((m.sn * dy + m.cs * dx) >> 21);
            if (col < srcRect.left || col >= srcRect.right) continue;
            const int64_t srow = centreY + ((m.cs * dy - m.sn * dx) >> 21);
            if (srow < srcRect.top || srow >= srcRect.bottom) continue;
            put(row[x], src[offsetOf(col, srow, srcPitch)]);
        }
    }
}

}  // namespace

void rotateZoomBlit(Pixel* dst, int32_t dstPitch, const Pixel* src, int32_t srcPitch,
                    const Rect& clip, const Rect& srcRect, int32_t cx, int32_t cy, float angle,
                    float scale) {
    rotateNearest(dst, dstPitch, src, srcPitch, clip, srcRect, cx, cy, angle, scale,
                  [](Pixel& d, Pixel s) { d = s; });
}

void rotateZoomBlitAlpha(Pixel* dst, int32_t dstPitch, const Pixel* src, int32_t srcPitch,
                         const Rect& clip, const Rect& srcRect, int32_t cx, int32_t cy,
                         float angle, float scale, float alpha) {
    const uint32_t a = blendWeight(alpha);
    rotateNearest(dst, dstPitch, src, srcPitch, clip, srcRect, cx, cy, angle, scale,
                  [a](Pixel& d, Pixel s) { d = blendPixel(d, s, a); });
}

namespace {

// Points of one destination row gathered for smoothMixRun.
constexpr int kSmoothChunk = 64;

}  // namespace

void smoothMixRunPlain(Pixel* row, const SmoothPoint* points, int32_t n, int32_t srcPitch, uint32_t a) {
    for (int32_t i = 0; i < n; ++i) {
        const SmoothPoint& q = points[i];
        const Pixel* p = q.corner;
        const Pixel s = bilinearMix(p[0], p[1], p[srcPitch], p[srcPitch + 1], q.fx, q.fy);
        row[q.x] = blendPixel(row[q.x], s, a);
    }
}

void smoothMixRun(Pixel* row, const SmoothPoint* points, int32_t n, int32_t srcPitch, uint32_t a) {
    int32_t i = 0;
#if defined(__SSE2__)
    // Two points per register, each channel in a 16-bit lane: the plain form's
    // sums never pass 255 x 256, so the lanes give the same values.
    const __m128i zero = _mm_setzero_si128();
    const __m128i sixteen = _mm_set1_epi16(16);
    const __m128i wd = _mm_set1_epi16(static_cast<short>(256 - a)), ws = _mm_set1_epi16(static_cast<short>(a));
    const __m128i rgb = _mm_set1_epi32(0xFFFFFF);
    auto pair = [&](Pixel u, Pixel v) {
        return _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(u)),
                                                    _mm_cvtsi32_si128(static_cast<int>(v))),
                                 zero);
    };
    auto spread = [](uint32_t u, uint32_t v) {   // u in the first point's four lanes, v in the second's
        const __m128i w = _mm_cvtsi32_si128(static_cast<int>(u | (v << 16)));
        const __m128i w2 = _mm_unpacklo_epi16(w, w);
        return _mm_unpacklo_epi32(w2, w2);
    };
    for (; i + 2 <= n; i += 2) {
        const SmoothPoint& q0 = points[i];
        const SmoothPoint& q1 = points[i + 1];
        const Pixel* p0 = q0.corner;
        const Pixel* p1 = q1.corner;
        const __m128i fx = spread(q0.fx, q1.fx), fy = spread(q0.fy, q1.fy);
        const __m128i gx = _mm_sub_epi16(sixteen, fx), gy = _mm_sub_epi16(sixteen, fy);
        const __m128i top = _mm_add_epi16(_mm_mullo_epi16(pair(p0[0], p1[0]), gx),
                                          _mm_mullo_epi16(pair(p0[1], p1[1]), fx));
        const __m128i bottom = _mm_add_epi16(_mm_mullo_epi16(pair(p0[srcPitch], p1[srcPitch]), gx),
                                             _mm_mullo_epi16(pair(p0[srcPitch + 1], p1[srcPitch + 1]), fx));
        const __m128i mixed = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(top, gy), _mm_mullo_epi16(bottom, fy)), 8);
        const __m128i blended = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(pair(row[q0.x], row[q1.x]), wd), _mm_mullo_epi16(mixed, ws)), 8);
        const __m128i out = _mm_and_si128(_mm_packus_epi16(blended, zero), rgb);
        row[q0.x] = static_cast<Pixel>(_mm_cvtsi128_si32(out));
        row[q1.x] = static_cast<Pixel>(_mm_cvtsi128_si32(_mm_srli_si128(out, 4)));
    }
#endif
    smoothMixRunPlain(row, points + i, n - i, srcPitch, a);
}

void rotateZoomBlitSmooth(Pixel* dst, int32_t dstPitch, const Pixel* src, int32_t srcPitch,
                          const Rect& clip, const Rect& srcRect, int32_t cx, int32_t cy,
                          float angle, float scale, float alpha) {
    RotateMap m;
    if (!setUpRotation(clip, srcRect, cx, cy, angle, scale, 32768.0, &m)) return;
    const uint32_t a = blendWeight(alpha);
    // The source point in sixteenths of a pixel.
    const int64_t centreX16 = ((static_cast<int64_t>(srcRect.left) + srcRect.right) << 3) & ~int64_t(15);
    const int64_t centreY16 = ((static_cast<int64_t>(srcRect.top) + srcRect.bottom) << 3) & ~int64_t(15);
    const int64_t lo16x = static_cast<int64_t>(srcRect.left) * 16, hi16x = static_cast<int64_t>(srcRect.right) * 16;
    const int64_t lo16y = static_cast<int64_t>(srcRect.top) * 16, hi16y = static_cast<int64_t>(srcRect.bottom) * 16;
    SmoothPoint points[kSmoothChunk];
    const int64_t sn = m.sn, cs = m.cs, step = m.step, x0 = m.x0, x1 = m.x1;
    for (int64_t y = m.y0; y < m.y1; ++y) {
        const int64_t dy = ((y - m.cy) * step) >> 8;
        const int64_t colBase = sn * dy, rowBase = cs * dy;
        Pixel* row = dst + offsetOf(0, y, dstPitch);
        int32_t n = 0;
        int64_t along = (x0 - m.cx) * step;   // (x - cx) x step, kept exact
        for (int64_t x = x0; x < x1; ++x, along += step) {
            const int64_t dx = along >> 8;
            const int64_t col16 = centreX16 + ((colBase + cs * dx) >> 18);
            if (col16 < lo16x || col16 >= hi16x) continue;
            const int64_t row16 = centreY16 + ((rowBase - sn * dx) >> 18);
            if (row16 < lo16y || row16 >= hi16y) continue;
            points[n++] = {static_cast<int32_t>(x), static_cast<uint32_t>(col16 & 15), static_cast<uint32_t>(row16 & 15),
                           src + offsetOf(col16 >> 4, row16 >> 4, srcPitch)};
            if (n == kSmoothChunk) {
                smoothMixRun(row, points, n, srcPitch, a);
                n = 0;
            }
        }
        smoothMixRun(row, points, n, srcPitch, a);
    }
}

void addImageCentered(Pixel* dst, int32_t dstPitch, const Pixel* src, int32_t srcPitch,
                      const Rect& clip, const Rect& srcRect, int32_t cx, int32_t cy) {
    const double sw = static_cast<double>(srcRect.right) - srcRect.left;
    const double sh = static_cast<double>(srcRect.bottom) - srcRect.top;
    const int64_t n = truncToInt(std::sqrt(sw * sw + sh * sh) * 0.5);
    const int64_t centreX = (static_cast<int64_t>(srcRect.left) + srcRect.right) >> 1;
    const int64_t centreY = (static_cast<int64_t>(srcRect.top) + srcRect.bottom) >> 1;
    // The box about (cx, cy), the clip, and where the source RECT lands, intersected.
    const int64_t offX = centreX - cx, offY = centreY - cy;
    const int64_t x0 = std::max({static_cast<int64_t>(cx) - n, static_cast<int64_t>(clip.left), srcRect.left - offX});
    const int64_t x1 = std::min({static_cast<int64_t>(cx) + n, static_cast<int64_t>(clip.right), srcRect.right - offX});
    const int64_t y0 = std::max({static_cast<int64_t>(cy) - n, static_cast<int64_t>(clip.top), srcRect.top - offY});
    const int64_t y1 = std::min({static_cast<int64_t>(cy) + n, static_cast<int64_t>(clip.bottom), srcRect.bottom - offY});
    for (int64_t y = y0; y < y1; ++y) {
        Pixel* d = dst + offsetOf(0, y, dstPitch);
        const Pixel* s = src + offsetOf(offX, y + offY, srcPitch);
        for (int64_t x = x0; x < x1; ++x)
            if (s[x] != 0) d[x] = saturatingAdd(d[x], s[x]);
    }
}

// ---- turned cards and the tilted picture ---------------------------------

namespace {

constexpr double kTurn = 6.283184;

// What a pixel of the examined area outside the card becomes.
struct Surround {
    const Pixel* background;
    bool clear;
    void apply(Pixel* dst, ptrdiff_t at) const {
        if (background) dst[at] = background[at];
        else if (clear) dst[at] = 0;
    }
    void applyRows(Pixel* dst, int32_t pitch, int64_t y0, int64_t y1, int64_t x0, int64_t x1) const {
        if (!background && !clear) return;
        for (int64_t y = y0; y < y1; ++y)
            for (int64_t x = x0; x < x1; ++x) apply(dst, offsetOf(x, y, pitch));
    }
};

// Perspective terms of a card or strip turned by angle.
struct TurnTerms {
    int64_t T, S, R;
};

inline int64_t perspectiveStep(const TurnTerms& t, int64_t offset) {
    int64_t q = (t.S * (((offset * t.T) >> 15) + 1024)) >> 15;
    if (q == 0) q = 1;
    return 0x2000000 / q;
}

inline int64_t clampTo(int64_t v, int64_t lo, int64_t hi) { return std::min(std::max(v, lo), hi); }

bool cardFaces(double angle, double scale, double d, TurnTerms* terms, double* absCos, bool* backFaces) {
    if (scale == 0.0 || !std::isfinite(angle)) return false;
    const double c = std::cos(angle);
    if (!(std::fabs(c) >= 1e-7)) return false;
    terms->T = truncToInt(std::tan(angle) * d * 32768.0);
    terms->S = truncToInt(scale * 32768.0);
    terms->R = truncToInt(32768.0 / c / scale);
    double a = std::fmod(angle, kTurn);
    if (a < 0) a += kTurn;
    *backFaces = a > 1.570796 && a < 4.712388;
    *absCos = std::fabs(c);
    return true;
}

// Where a card lies: along the direction it turns in (rows for a horizontal axis,
// columns for a vertical one) the examined band and the card within it, and across
// it the examined span; each clipped to [0, limit].
struct CardSpan {
    int64_t bandLo, bandHi, cardLo, cardHi, acrossLo, acrossHi;
};

CardSpan cardSpan(double scale, double d, double absCos, bool backFaces, int32_t axis, int32_t lo, int32_t hi,
                  int32_t centre, int32_t limit, int32_t acrossLo, int32_t acrossHi, int32_t acrossCentre,
                  int32_t acrossLimit) {
    const int64_t before = truncToInt(scale * (static_cast<double>(axis) - lo) * absCos);
    const int64_t after = truncToInt(scale * (static_cast<double>(hi) - axis) * absCos);
    const int64_t reach = truncToInt(scale * std::max(static_cast<double>(axis) - lo, static_cast<double>(hi) - axis));
    const int64_t h = truncToInt((d + 1.0) * scale * (static_cast<double>(acrossHi) - acrossLo) * 0.5);
    CardSpan s;
    s.bandLo = clampTo(static_cast<int64_t>(centre) - reach, 0, limit);
    s.bandHi = clampTo(static_cast<int64_t>(centre) + reach, 0, limit);
    s.cardLo = clampTo(static_cast<int64_t>(centre) - (backFaces ? after : before), s.bandLo, s.bandHi);
    s.cardHi = clampTo(static_cast<int64_t>(centre) + (backFaces ? before : after), s.cardLo, s.bandHi);
    s.acrossLo = clampTo(static_cast<int64_t>(acrossCentre) - h, 0, acrossLimit);
    s.acrossHi = clampTo(static_cast<int64_t>(acrossCentre) + h, s.acrossLo, acrossLimit);
    return s;
}

// Per-column terms of a vertical-axis card, computed for a run of columns at a time
// so that the rows are still walked in memory order.
constexpr int kColumnRun = 256;

}  // namespace

void drawCardTurnedX(Pixel* dst, const Pixel* front, const Pixel* back, const Pixel* background,
                     double angle, double scale, double d, int32_t left, int32_t top,
                     int32_t right, int32_t bottom, int32_t cx, int32_t cy, int32_t axisX,
                     int32_t axisY, int32_t clearFlag, Pixel backColour, int32_t reserved,
                     int32_t pitch, int32_t width, int32_t height) {
    TurnTerms t;
    double ac;
    bool backFaces;
    if (!cardFaces(angle, scale, d, &t, &ac, &backFaces)) return;
    const Surround around{background, clearFlag != 0};
    const CardSpan span = cardSpan(scale, d, ac, backFaces, axisY, top, bottom, cy, height, left, right, cx, width);
    const int64_t cardTop = span.cardLo, cardBottom = span.cardHi, x0 = span.acrossLo, x1 = span.acrossHi;

    around.applyRows(dst, pitch, span.bandLo, cardTop, x0, x1);
    around.applyRows(dst, pitch, cardBottom, span.bandHi, x0, x1);

    const int64_t midCol = (static_cast<int64_t>(left) + right) / 2;
    const bool sameBack = back == front;
    for (int64_t y = cardTop; y < cardBottom; ++y) {
        int64_t r = axisY + (((y - cy) * t.R) >> 15);
        const int64_t k = perspectiveStep(t, y - cy);
        if (backFaces && sameBack) r = bottom - r;
        const bool rowInside = r >= top && r < bottom;
        const ptrdiff_t srcRow = backFaces ? offsetOf(0, static_cast<int64_t>(bottom) - r, pitch)
                                           : offsetOf(0, r, pitch);
        for (int64_t x = x0; x < x1; ++x) {
            const ptrdiff_t at = offsetOf(x, y, pitch);
            const int64_t col = midCol + (((x - cx) * k) >> 15);
            if (!rowInside || col < left || col >= right) {
                around.apply(dst, at);
            } else if (!backFaces) {
                dst[at] = front[srcRow + col];
            } else {
                dst[at] = back ? back[srcRow + col] : backColour;
            }
        }
    }
}

void drawCardTurnedY(Pixel* dst, const Pixel* front, const Pixel* back, const Pixel* background,
                     double angle, double scale, double d, int32_t left, int32_t top,
                     int32_t right, int32_t bottom, int32_t cx, int32_t cy, int32_t axisX,
                     int32_t axisY, int32_t clearFlag, Pixel backColour, int32_t reserved,
                     int32_t pitch, int32_t width, int32_t height) {
    TurnTerms t;
    double ac;
    bool backFaces;
    if (!cardFaces(angle, scale, d, &t, &ac, &backFaces)) return;
    const Surround around{background, clearFlag != 0};
    const CardSpan span = cardSpan(scale, d, ac, backFaces, axisX, left, right, cx, width, top, bottom, cy, height);
    const int64_t bandLeft = span.bandLo, bandRight = span.bandHi, cardLeft = span.cardLo, cardRight = span.cardHi;
    const int64_t y0 = span.acrossLo, y1 = span.acrossHi;

    for (int64_t y = y0; y < y1; ++y) {
        for (int64_t x = bandLeft; x < cardLeft; ++x) around.apply(dst, offsetOf(x, y, pitch));
        for (int64_t x = cardRight; x < bandRight; ++x) around.apply(dst, offsetOf(x, y, pitch));
    }

    const int64_t midRow = (static_cast<int64_t>(top) + bottom) / 2;
    const bool sameBack = back == front;
    int64_t srcCol[kColumnRun], step[kColumnRun];
    for (int64_t runStart = cardLeft; runStart < cardRight; runStart += kColumnRun) {
        const int64_t runEnd = std::min<int64_t>(runStart + kColumnRun, cardRight);
        for (int64_t x = runStart; x < runEnd; ++x) {
            int64_t c = axisX + (((x - cx) * t.R) >> 15);
            if (backFaces && sameBack) c = right - c;
            srcCol[x - runStart] = c;
            step[x - runStart] = perspectiveStep(t, x - cx);
        }
        for (int64_t y = y0; y < y1; ++y) {
            for (int64_t x = runStart; x < runEnd; ++x) {
                const ptrdiff_t at = offsetOf(x, y, pitch);
                const int64_t c = srcCol[x - runStart];
                const int64_t r = midRow + (((y - cy) * step[x - runStart]) >> 15);
                if (c < left || c >= right || r < top || r >= bottom) {
                    around.apply(dst, at);
                } else if (!backFaces) {
                    dst[at] = front[offsetOf(c, r, pitch)];
                } else {
                    dst[at] = back ? back[offsetOf(static_cast<int64_t>(right) - c, r, pitch)] : backColour;
                }
            }
        }
    }
}

void drawTiltedStrip(Pixel* dst, int32_t dstPitch, const Pixel* picture, int32_t picturePitch,
                     const Pixel* background, int32_t reserved, double angle, double scale,
                     double d, int32_t width, int32_t height) {
    if (scale == 0.0 || !std::isfinite(angle)) return;
    const double sc = scale * std::cos(angle);
    if (!(std::fabs(sc) >= 1e-7)) return;
    const TurnTerms t{truncToInt(std::tan(angle) * d * 32768.0), truncToInt(scale * 32768.0),
                      truncToInt(32768.0 / sc)};
    const int64_t m = height >> 1;
    const int64_t o = truncToInt((1.0 - std::fabs(sc)) * static_cast<double>(m));
    const int64_t topEnd = clampTo(std::min(m, o), 0, height);
    const int64_t bottomStart = clampTo(std::max(height - o - 1, m + 1), topEnd, height);
    auto backgroundAt = [&](int64_t x, int64_t y) -> Pixel {
        return background ? background[offsetOf(x, y, dstPitch)] : 0;
    };
    for (int64_t y = 0; y < height; ++y) {
        Pixel* row = dst + offsetOf(0, y, dstPitch);
        if (y < topEnd || y >= bottomStart) {
            for (int64_t x = 0; x < width; ++x) row[x] = backgroundAt(x, y);
            continue;
        }
        const int64_t srcRow = m + (((y - m) * t.R) >> 15);
        const int64_t k = perspectiveStep(t, y - m);
        const bool rowInside = srcRow >= 0 && srcRow < height;
        const Pixel* src = picture + offsetOf(0, rowInside ? srcRow : 0, picturePitch);
        const int64_t half = width / 2;
        for (int64_t x = 0; x < width; ++x) {
            const int64_t col = half + (((x - half) * k) >> 15);
            row[x] = rowInside && col >= 0 && col < width ? src[col] : backgroundAt(x, y);
        }
    }
}

// ---- quad warps ------------------------------------------------------------

void warpQuadBilinear(Pixel* dst, const Pixel* src, int32_t pitch, int32_t width, int32_t height,
                      int32_t x0, int32_t x1, int32_t x2, int32_t x3, int32_t y0, int32_t y1,
                      int32_t y2, int32_t y3) {
    // Inverse of P(u, v) = P0 + u (P1 - P0) + v (P3 - P0) + uv (P0 - P1 + P2 - P3); the
    // small e keeps the degenerate terms away from 0.
    const double e = 0.0001;
    const double Ax = static_cast<double>(x0) - x1 + x2 - x3 + e, Bx = static_cast<double>(x1) - x0 + e;
    const double Cx = static_cast<double>(x3) - x0 + e, X0 = x0 + e;
    const double Ay = static_cast<double>(y0) - y1 + y2 - y3 + e, By = static_cast<double>(y1) - y0 + e;
    const double Cy = static_cast<double>(y3) - y0 + e, Y0 = y0 + e;
    const double D = By * Ax - Ay * Bx;
    const double K = Y0 * Ax - Ay * X0 + By * Cx - Cy * Bx;
    const double L = Y0 * Cx - Cy * X0;
    for (int32_t y = 0; y < height; ++y) {
        Pixel* row = dst + offsetOf(0, y, pitch);
        for (int32_t x = 0; x < width; ++x) {
            const double b = x * Ay - y * Ax + K;
            const double c = x * Cy - y * Cx + L;
            const double u0 = -b / (2 * D);
            const double disc = b * b - 4 * D * c;
            double u = u0;
            if (disc >= 0) {
                const double s = std::sqrt(disc) / (2 * D);
                u = u0 + s;
                if (!(u > 0 && u < 1) && disc > 0) u = u0 - s;
            }
            double den = u * Ax + Cx;
            if (den == 0) den = 1e-9;
            const double v = (x - X0 - u * Bx) / den;
            const int32_t col = truncToInt(u * width + 0.5);
            const int32_t srow = truncToInt(v * height + 0.5);
            row[x] = col >= 0 && col < width && srow >= 0 && srow < height ? src[offsetOf(col, srow, pitch)] : 0;
        }
    }
}

namespace {

QuadScratchSource g_quadScratch = nullptr;
// What a pool buffer holds from its pointer on (an 800 x 600 frame with margins fits).
constexpr int64_t kQuadScratchPixels = 616128;

inline double nonZero(double v) { return v == 0 ? 1e-11 : v; }

}  // namespace

void setQuadWarpScratchSource(QuadScratchSource source) { g_quadScratch = source; }

void warpImageToQuad(Pixel* dst, const Pixel* src, int32_t pitch, int32_t width, int32_t height,
                     int32_t x0, int32_t x1, int32_t x2, int32_t x3, int32_t y0, int32_t y1,
                     int32_t y2, int32_t y3) {
    const int64_t area = static_cast<int64_t>(pitch) * height;
    if (area > 0) std::fill(dst, dst + area, Pixel{0});
    int32_t slot = 0;
    Pixel* work = g_quadScratch && area <= kQuadScratchPixels ? g_quadScratch(&slot) : nullptr;
    if (!work) {
        // No intermediate buffer: the exact mapping gives the same picture.
        warpQuadBilinear(dst, src, pitch, width, height, x0, x1, x2, x3, y0, y1, y2, y3);
        return;
    }
    if (area > 0) std::fill(work, work + area, Pixel{0});

    const int64_t xs[4] = {x0, x1, x2, x3}, ys[4] = {y0, y1, y2, y3};
    const int64_t minX = std::min<int64_t>({1024, x0, x1, x2, x3});
    const int64_t maxX = std::max<int64_t>({-1024, x0, x1, x2, x3});
    int k;
    if ((xs[0] - xs[1]) * (xs[3] - xs[2]) > (xs[1] - xs[2]) * (xs[0] - xs[3])) k = xs[0] < xs[2] ? 0 : 2;
    else k = xs[1] < xs[3] ? 1 : 3;
    const int64_t xA = xs[k], yA = ys[k], xB = xs[(k + 1) & 3], yB = ys[(k + 1) & 3];
    const int64_t xC = xs[(k + 2) & 3], yC = ys[(k + 2) & 3], xD = xs[(k + 3) & 3], yD = ys[(k + 3) & 3];

    // Pass 1: each intermediate row i is one source line stretched between the start
    // edge A-D and the end edge B-C at relative height i / h.
    const double sT = nonZero(static_cast<double>(yB - yA)) / nonZero(static_cast<double>(xB - xA));
    const double sB = nonZero(static_cast<double>(yD - yC)) / nonZero(static_cast<double>(xD - xC));
    const double sL = nonZero(static_cast<double>(yD - yA)) / nonZero(static_cast<double>(xD - xA));
    const double sR = -(nonZero(static_cast<double>(yB - yC)) / nonZero(static_cast<double>(xC - xB)));
    const double bT = yA - sT * xA, bB = yD - sB * xD, bL = yD - sL * xD, bR = yB - sR * xB;
    const double h = height;
    const int64_t lineLength = (k & 1) ? height : width;
    for (int32_t i = 0; i < height; ++i) {
        const int64_t s = truncToInt((h * (bL - bT) - i * (bB - bT)) / (i * (sB - sT) - h * (sL - sT)));
        const int64_t e = truncToInt((h * (bR - bT) - i * (bB - bT)) / (i * (sB - sT) - h * (sR - sT)));
        if (s >= e || lineLength <= 0) continue;
        const int64_t step = lineLength * 32768 / (e - s);
        const int64_t across = static_cast<int64_t>(i) * width / height;
        Pixel* out = work + offsetOf(0, i, pitch);
        const int64_t end = std::min<int64_t>(width, e);
        for (int64_t c = std::max<int64_t>(s, 0); c < end; ++c) {
            const int64_t idx = std::min(((c - s) * step) >> 15, lineLength - 1);
            switch (k) {
                case 0: out[c] = src[offsetOf(idx, i, pitch)]; break;
                case 1: out[c] = src[offsetOf(width - 1 - across, idx, pitch)]; break;
                case 2: out[c] = src[offsetOf(width - 1 - idx, height - 1 - i, pitch)]; break;
                default: out[c] = src[offsetOf(across, height - 1 - idx, pitch)]; break;
            }
        }
    }

    // Pass 2: each column of the intermediate image stretched between the upper edge
    // A-B and the lower edge D-C.
    const int64_t dxTop = xB - xA != 0 ? xB - xA : 1, dxBottom = xC - xD != 0 ? xC - xD : 1;
    const int64_t xEnd = std::min<int64_t>(width, maxX);
    for (int64_t x = std::max<int64_t>(minX, 0); x < xEnd; ++x) {
        const int64_t top = yA + (x - xA) * (yB - yA) / dxTop;
        const int64_t bottom = yD + (x - xD) * (yC - yD) / dxBottom;
        if (top >= bottom) continue;
        const int64_t step = static_cast<int64_t>(height) * 32768 / (bottom - top);
        const int64_t jEnd = std::min<int64_t>(height, bottom);
        for (int64_t j = std::max<int64_t>(top, 0); j < jEnd; ++j)
            dst[offsetOf(x, j, pitch)] = work[offsetOf(x, ((j - top) * step) >> 15, pitch)];
    }
}
