// Rectangle copies, stretches and blends over 32-bit pixel buffers, and the
// per-pixel arithmetic every drawing primitive shares.
//
// Buffers are a pointer to pixel (0, 0) and a pitch in pixels; source and
// destination of one call may have different pitches. Nothing here checks its
// arguments, allocates or reports an error: the caller keeps every RECT inside
// its buffer (plus the readable margin where a routine says so) and well formed.
// Zero-sized destinations draw nothing.
//
// Fixed-point positions are kept in 64 bits, so sources of any size step
// exactly; within the range of the 32-bit formats the results are the same.
#pragma once
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/FloatToInt.h"
#include "render/PixelTypes.h"

// ---- Per-pixel arithmetic ------------------------------------------------------

// Each channel min(255, d + s); no channel carries into the next. The top byte of
// the result is 0.
inline Pixel saturatingAdd(Pixel d, Pixel s) {
    uint32_t r = (d & 0xFF0000u) + (s & 0xFF0000u);
    uint32_t g = (d & 0xFF00u) + (s & 0xFF00u);
    uint32_t b = (d & 0xFFu) + (s & 0xFFu);
    if (r > 0xFF0000u) r = 0xFF0000u;
    if (g > 0xFF00u) g = 0xFF00u;
    if (b > 0xFFu) b = 0xFFu;
    return r | g | b;
}

// The integer weight of a blend: alpha x 256 truncated, held to 0..256 so an
// alpha outside [0, 1] (or NaN) cannot push a channel past its byte.
inline uint32_t blendWeight(float alpha) {
    int32_t a = truncToInt(alpha * 256.0f);
    if (a < 0) return 0;
    if (a > 256) return 256;
    return static_cast<uint32_t>(a);
}

// Each channel (d x (256 - a) + s x a) >> 8 for a weight a in 0..256. Red and
// blue share one multiply: with weights summing to 256 neither lane can reach
// the other.
inline Pixel blendPixel(Pixel d, Pixel s, uint32_t a) {
    uint32_t na = 256 - a;
    uint32_t rb = ((d & 0xFF00FFu) * na + (s & 0xFF00FFu) * a) >> 8;
    uint32_t g = ((d & 0xFF00u) * na + (s & 0xFF00u) * a) >> 8;
    return (rb & 0xFF00FFu) | (g & 0xFF00u);
}

// blendPixel over a run of n pixels: d[i] = blend(d[i], s[i], a). The SSE2 form
// does four at a time with the same arithmetic in 16-bit lanes.
inline void blendPixels(Pixel* d, const Pixel* s, int32_t n, uint32_t a) {
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i wd = _mm_set1_epi16(static_cast<short>(256 - a)), ws = _mm_set1_epi16(static_cast<short>(a));
    const __m128i rgb = _mm_set1_epi32(0xFFFFFF);
    for (; i + 4 <= n; i += 4) {
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), wd),
                                                        _mm_mullo_epi16(_mm_unpacklo_epi8(sv, zero), ws)), 8);
        const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), wd),
                                                        _mm_mullo_epi16(_mm_unpackhi_epi8(sv, zero), ws)), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_and_si128(_mm_packus_epi16(lo, hi), rgb));
    }
#endif
    for (; i < n; ++i) d[i] = blendPixel(d[i], s[i], a);
}

// d[i] = saturatingAdd(d[i], s[column[i]]) over a run: the additive stretch's row.
// The SSE2 form adds four at a time with saturating byte adds, the same sums.
inline void saturatingAddGatheredPlain(Pixel* d, const Pixel* s, const int32_t* column, int32_t n) {
    for (int32_t i = 0; i < n; ++i) d[i] = saturatingAdd(d[i], s[column[i]]);
}

inline void saturatingAddGathered(Pixel* d, const Pixel* s, const int32_t* column, int32_t n) {
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i rgb = _mm_set1_epi32(0xFFFFFF);
    for (; i + 4 <= n; i += 4) {
        const __m128i sv = _mm_unpacklo_epi64(
            _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(s[column[i]])),
                               _mm_cvtsi32_si128(static_cast<int>(s[column[i + 1]]))),
            _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(s[column[i + 2]])),
                               _mm_cvtsi32_si128(static_cast<int>(s[column[i + 3]]))));
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_and_si128(_mm_adds_epu8(dv, sv), rgb));
    }
#endif
    saturatingAddGatheredPlain(d + i, s, column + i, n - i);
}

// Bilinear mix of four neighbours with fractions fx, fy in 0..15: weights
// (16 - fx)(16 - fy), fx(16 - fy), (16 - fx)fy and fx fy, summing to 256; each
// channel is the weighted sum >> 8. Worked as two horizontal mixes and one
// vertical, which is the same sum; red and blue share the multiplies (no lane
// exceeds 16 bits).
inline Pixel bilinearMix(Pixel topLeft, Pixel topRight, Pixel bottomLeft, Pixel bottomRight,
                         uint32_t fx, uint32_t fy) {
    const uint32_t gx = 16 - fx, gy = 16 - fy;
    const uint32_t topRB = (topLeft & 0xFF00FFu) * gx + (topRight & 0xFF00FFu) * fx;
    const uint32_t bottomRB = (bottomLeft & 0xFF00FFu) * gx + (bottomRight & 0xFF00FFu) * fx;
    const uint32_t topG = (topLeft & 0xFF00u) * gx + (topRight & 0xFF00u) * fx;
    const uint32_t bottomG = (bottomLeft & 0xFF00u) * gx + (bottomRight & 0xFF00u) * fx;
    const uint32_t rb = (topRB * gy + bottomRB * fy) >> 8;
    const uint32_t g = (topG * gy + bottomG * fy) >> 8;
    return (rb & 0xFF00FFu) | (g & 0xFF00u);
}

inline Pixel* pixelAt(Pixel* buffer, int32_t pitch, int32_t x, int32_t y) {
    return buffer + static_cast<ptrdiff_t>(y) * pitch + x;
}
inline const Pixel* pixelAt(const Pixel* buffer, int32_t pitch, int32_t x, int32_t y) {
    return buffer + static_cast<ptrdiff_t>(y) * pitch + x;
}

// ---- Copies and blends at one place ---------------------------------------------

// Copies srcRect so that its top-left lands at (x, y) of dst; rows top to bottom,
// pixels left to right (an overlapping copy within one buffer sees what it wrote).
void copyRect(Pixel* dst, const Pixel* src, int32_t x, int32_t y, const Rect& srcRect,
              int32_t dstPitch, int32_t srcPitch);

// Saturating add of srcRect onto dst at (x, y).
void addRect(Pixel* dst, const Pixel* src, int32_t x, int32_t y, const Rect& srcRect,
             int32_t dstPitch, int32_t srcPitch);

// copyRect, except that source pixels equal to key leave dst as it is.
void copyRectKeyed(Pixel* dst, const Pixel* src, int32_t x, int32_t y, const Rect& srcRect,
                   int32_t dstPitch, int32_t srcPitch, Pixel key);

// Both buffers at the same coordinates: every pixel of rect moved by (x, y)
// becomes the constant blend of dst (weight 256 - a) and src (weight a).
void blendRect(Pixel* dst, const Pixel* src, int32_t x, int32_t y, const Rect& rect,
               int32_t dstPitch, int32_t srcPitch, float alpha);

// ---- Stretches --------------------------------------------------------------------

// Nearest sampling, 18 fraction bits. A zero-sized source repeats its top-left pixel.
void stretchRectNearest(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                        int32_t dstPitch, int32_t srcPitch);

// Bilinear sampling, 20 fraction bits, 16 levels. Reads one column right of and
// one row below the source RECT: the source must provide them (the margin does).
void stretchRectSmooth(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                       int32_t dstPitch, int32_t srcPitch);

// The general resize: a copy for equal sizes, nearest sampling unless the
// destination area exceeds one and a half times the source area, else smooth.
void stretchRect(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                 int32_t dstPitch, int32_t srcPitch);

// Bilinear stretch (15 fraction bits, 16 levels) blended over dst with weight
// alpha. The last destination row and column sample only inside the source
// RECT; an enlargement may read one column or row past it on the others.
void stretchRectAlpha(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                      int32_t dstPitch, int32_t srcPitch, float alpha);

// Bilinear stretch (20 fraction bits, 16 levels) drawn only where dstRect
// overlaps clip; every drawn pixel samples what the unclipped stretch would, so
// dstRect may lie far outside the buffer (a picture magnified about its centre).
// Reads one column right of and one row below the sampled source pixels.
void stretchRectClipped(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect, const Rect& clip,
                        int32_t dstPitch, int32_t srcPitch);

// Nearest stretch (15 fraction bits) saturating-added onto dst.
void stretchRectAdd(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                    int32_t dstPitch, int32_t srcPitch);

// Nearest stretch (16 fraction bits) clipped to (0, 0, width, height); the
// clipped part samples what the unclipped stretch would. Black source pixels are
// skipped, the others saturating-added.
void stretchRectAddClipped(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                           int32_t dstPitch, int32_t srcPitch, int32_t width, int32_t height);
