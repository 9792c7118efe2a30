// Channel helpers of the line, disc and glow primitives (the saturating add, the
// constant blend and the bilinear mix are in PixelBuffer.h).
#pragma once
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/PixelTypes.h"

namespace channel_math {

inline uint32_t red(Pixel p) { return (p >> 16) & 0xFF; }
inline uint32_t green(Pixel p) { return (p >> 8) & 0xFF; }
inline uint32_t blue(Pixel p) { return p & 0xFF; }
inline Pixel rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
inline uint32_t clamp255(int64_t v) { return v < 0 ? 0u : v > 255 ? 255u : static_cast<uint32_t>(v); }

// Per channel min(255, channel + (colour channel * w) >> shift), w >= 0, shift <= 12.
// Weights from 256 << shift up saturate every lit channel, so they are cut there
// and the products stay in 32 bits.
inline Pixel addWeighted(Pixel p, Pixel colour, int64_t w, int shift) {
    const int64_t cap = int64_t(256) << shift;
    const uint32_t k = static_cast<uint32_t>(w < 0 ? 0 : w > cap ? cap : w);
    uint32_t r = red(p) + ((red(colour) * k) >> shift);
    uint32_t g = green(p) + ((green(colour) * k) >> shift);
    uint32_t b = blue(p) + ((blue(colour) * k) >> shift);
    return rgb(r > 255 ? 255 : r, g > 255 ? 255 : g, b > 255 ? 255 : b);
}

// addWeighted(d[i], colour, k[i], 8) over a run, the weights already cut to
// 0 .. 65536. The SSE2 form (two pixels per register, 16-bit lanes) splits each
// weight into k = 256 kh + kl: (c k) >> 8 = c kh + ((c kl) >> 8), and no lane
// passes 16 bits; it gives the same pixels as the plain one.
inline void addWeightedSpanPlain(Pixel* d, int32_t n, Pixel colour, const uint32_t* k) {
    for (int32_t i = 0; i < n; ++i) d[i] = addWeighted(d[i], colour, k[i], 8);
}

inline void addWeightedSpan(Pixel* d, int32_t n, Pixel colour, const uint32_t* k) {
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i c1 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(colour & 0xFFFFFFu)), zero);
    const __m128i c = _mm_unpacklo_epi64(c1, c1);
    const __m128i top = _mm_set1_epi16(static_cast<short>(0xFF00));
    const __m128i rgbMask = _mm_set1_epi32(0xFFFFFF);
    auto spread = [](uint32_t u, uint32_t v) {   // u in the first pixel's four lanes, v in the second's
        const __m128i w = _mm_cvtsi32_si128(static_cast<int>(u | (v << 16)));
        const __m128i w2 = _mm_unpacklo_epi16(w, w);
        return _mm_unpacklo_epi32(w2, w2);
    };
    auto twoPixels = [&](__m128i pixels16, uint32_t k0, uint32_t k1) {
        const __m128i kh = spread(k0 >> 8, k1 >> 8), kl = spread(k0 & 255, k1 & 255);
        __m128i term = _mm_add_epi16(_mm_mullo_epi16(c, kh), _mm_srli_epi16(_mm_mullo_epi16(c, kl), 8));
        term = _mm_subs_epu16(_mm_adds_epu16(term, top), top);   // min(term, 255)
        return _mm_add_epi16(pixels16, term);
    };
    for (; i + 4 <= n; i += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i lo = twoPixels(_mm_unpacklo_epi8(p, zero), k[i], k[i + 1]);
        const __m128i hi = twoPixels(_mm_unpackhi_epi8(p, zero), k[i + 2], k[i + 3]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_and_si128(_mm_packus_epi16(lo, hi), rgbMask));
    }
#endif
    addWeightedSpanPlain(d + i, n - i, colour, k + i);
}

}  // namespace channel_math
