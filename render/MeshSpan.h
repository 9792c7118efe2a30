// Band walking shared by the mesh-cell and triangle rasterisers (internal).
//
// A band is drawn between a left edge A and a right edge B, each running from
// its start vertex to its end vertex. Rows run from max(clip.top, both start
// y) to min(clip.bottom, both end y), exclusive; a zero-height edge counts as
// height 1. Every quantity starts at its start value in fixed point with Frac
// fraction bits and steps per row by ((end - start) << Frac) / height. In a
// row the per-pixel step is (B - A) / the integer part of the width (1 below
// one unit); pixels from max(clip.left, xA) to min(clip.right, xB), exclusive,
// the start values advanced when clipped on the left. 64-bit fixed point keeps
// large texture and depth ranges from wrapping.
#pragma once
#include <algorithm>
#include <cstdint>

#include "render/ChannelMath.h"
#include "render/PixelBuffer.h"
#include "render/PixelTypes.h"

namespace meshspan {

// a / b truncated toward zero for b >= 1, through a reciprocal instead of a
// 64-bit division per quantity and row; the remainder check makes it exact.
inline int64_t divideTruncating(int64_t a, int64_t b, double reciprocal) {
    int64_t q = static_cast<int64_t>(static_cast<double>(a) * reciprocal);
    const int64_t r = a - q * b;
    if (a >= 0) {
        if (r >= b) ++q;
        else if (r < 0) --q;
    } else {
        if (r <= -b) --q;
        else if (r > 0) ++q;
    }
    return q;
}

template <int N>
struct Edge {
    int32_t x0, x1;     // screen x at start and end
    int32_t y0, y1;     // screen y at start and end
    int32_t q0[N];      // interpolated quantities at the start
    int32_t q1[N];      // ... and at the end
};

// Calls row(y, xs, xe, q, dq) for every non-empty clipped row: q holds the
// quantities at pixel xs, dq their per-pixel steps, both in fixed point.
template <int Frac, int N, class Row>
inline void walkBand(const Rect& clip, const Edge<N>& a, const Edge<N>& b, Row&& row) {
    int32_t yStart = std::max(clip.top, std::max(a.y0, b.y0));
    int32_t yEnd = std::min(clip.bottom, std::min(a.y1, b.y1));
    if (yStart >= yEnd) return;
    const int64_t hA = a.y1 != a.y0 ? int64_t{a.y1} - a.y0 : 1;
    const int64_t hB = b.y1 != b.y0 ? int64_t{b.y1} - b.y0 : 1;
    const int64_t skipA = int64_t{yStart} - a.y0, skipB = int64_t{yStart} - b.y0;

    int64_t xA = (int64_t{a.x1} - a.x0) * (int64_t{1} << Frac) / hA;   // per-row steps first
    int64_t xB = (int64_t{b.x1} - b.x0) * (int64_t{1} << Frac) / hB;
    const int64_t stepXA = xA, stepXB = xB;
    xA = int64_t{a.x0} * (int64_t{1} << Frac) + stepXA * skipA;
    xB = int64_t{b.x0} * (int64_t{1} << Frac) + stepXB * skipB;
    int64_t qA[N], qB[N], stepA[N], stepB[N];
    for (int k = 0; k < N; ++k) {
        stepA[k] = (int64_t{a.q1[k]} - a.q0[k]) * (int64_t{1} << Frac) / hA;
        stepB[k] = (int64_t{b.q1[k]} - b.q0[k]) * (int64_t{1} << Frac) / hB;
        qA[k] = int64_t{a.q0[k]} * (int64_t{1} << Frac) + stepA[k] * skipA;
        qB[k] = int64_t{b.q0[k]} * (int64_t{1} << Frac) + stepB[k] * skipB;
    }
    constexpr int64_t kUnit = int64_t{1} << Frac;
    for (int32_t y = yStart; y < yEnd; ++y) {
        const int64_t xl = xA >> Frac, xr = xB >> Frac;
        const int64_t width = xB - xA;
        const int64_t divisor = width >= kUnit ? width >> Frac : 1;
        const int64_t xs = std::max<int64_t>(clip.left, xl), xe = std::min<int64_t>(clip.right, xr);
        if (xs < xe) {
            int64_t q[N], dq[N];
            const double reciprocal = 1.0 / static_cast<double>(divisor);
            for (int k = 0; k < N; ++k) {
                dq[k] = divisor == 1 ? qB[k] - qA[k] : divideTruncating(qB[k] - qA[k], divisor, reciprocal);
                q[k] = qA[k] + dq[k] * (xs - xl);
            }
            row(y, static_cast<int32_t>(xs), static_cast<int32_t>(xe), q, dq);
        }
        xA += stepXA;
        xB += stepXB;
        for (int k = 0; k < N; ++k) {
            qA[k] += stepA[k];
            qB[k] += stepB[k];
        }
    }
}

inline uint32_t lightChannel(int64_t specular, int64_t diffuse, uint32_t channel) {
    return channel_math::clamp255(specular + ((diffuse * channel) >> 8));
}

// specular + (diffuse x channel) >> 8 per channel, saturated.
inline Pixel lightPixel(Pixel p, int64_t specular, int64_t diffuse) {
    return (lightChannel(specular, diffuse, (p >> 16) & 0xFF) << 16) |
           (lightChannel(specular, diffuse, (p >> 8) & 0xFF) << 8) | lightChannel(specular, diffuse, p & 0xFF);
}

// The four texels around (u, v) in 1/16 pixel, weighted by the 16 x 16 fraction.
inline Pixel bilinearTexel(const Pixel* texture, intptr_t pitch, int64_t u, int64_t v) {
    const Pixel* p = texture + (v >> 4) * pitch + (u >> 4);
    return bilinearMix(p[0], p[1], p[pitch], p[pitch + 1], static_cast<uint32_t>(u & 15),
                       static_cast<uint32_t>(v & 15));
}

inline bool fourTexelsBlack(const Pixel* texture, intptr_t pitch, int64_t u, int64_t v) {
    const Pixel* p = texture + (v >> 4) * pitch + (u >> 4);
    return (p[0] | p[1] | p[pitch] | p[pitch + 1]) == 0;
}

// Depth values are stored as 16 bits; out-of-range depths saturate instead of wrapping.
inline int16_t depth16(int64_t d) {
    return static_cast<int16_t>(d < -32768 ? -32768 : (d > 32767 ? 32767 : d));
}

}  // namespace meshspan
