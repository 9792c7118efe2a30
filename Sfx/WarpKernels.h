// Sampling kernels shared by the warping and water bodies. Every channel is
// shifted and masked on its own, so no channel spills into its neighbour, and
// each term is truncated by itself (the multi-tap kernels lose a little light).
#pragma once
#include <cstddef>
#include <cstdint>

#include "Sfx/ImageEffectFrame.h"

namespace warp {

inline Pixel halfOf(Pixel c) { return (c >> 1) & 0x7F7F7Fu; }
inline Pixel quarterOf(Pixel c) { return (c >> 2) & 0x3F3F3Fu; }
inline Pixel eighthOf(Pixel c) { return (c >> 3) & 0x1F1F1Fu; }
inline Pixel sixteenthOf(Pixel c) { return (c >> 4) & 0x0F0F0Fu; }

inline Pixel pixelOf(const Frame& f, int64_t x, int64_t y) { return f.src[static_cast<ptrdiff_t>(y * f.pitch + x)]; }

// Half-pixel coordinates: u = 2x + 1 is pixel x unmoved and mixes it with its
// right and lower neighbours. Four taps: 1/2, 1/4, 1/8, 1/16.
inline Pixel sampleK4(const Frame& f, int64_t u, int64_t v) {
    const int64_t x0 = u >> 1, x1 = u - x0, y0 = v >> 1, y1 = v - y0;
    return halfOf(pixelOf(f, x0, y0)) + quarterOf(pixelOf(f, x1, y0)) + eighthOf(pixelOf(f, x0, y1)) +
           sixteenthOf(pixelOf(f, x1, y1));
}

// Three taps: 1/2, 1/4 to the right, 1/4 below.
inline Pixel sampleK3(const Frame& f, int64_t u, int64_t v) {
    const int64_t x0 = u >> 1, x1 = u - x0, y0 = v >> 1, y1 = v - y0;
    return halfOf(pixelOf(f, x0, y0)) + quarterOf(pixelOf(f, x1, y0)) + quarterOf(pixelOf(f, x0, y1));
}

// Four pixels weighted per channel; the weights add up to 1 << shift. Red and
// blue share one product, green another: no lane can carry into the next.
inline Pixel weighted4(Pixel a, Pixel b, Pixel c, Pixel d, uint32_t wa, uint32_t wb, uint32_t wc, uint32_t wd,
                       int shift) {
    const uint32_t rb = (a & 0xFF00FFu) * wa + (b & 0xFF00FFu) * wb + (c & 0xFF00FFu) * wc + (d & 0xFF00FFu) * wd;
    const uint32_t g = (a & 0xFF00u) * wa + (b & 0xFF00u) * wb + (c & 0xFF00u) * wc + (d & 0xFF00u) * wd;
    return ((rb >> shift) & 0xFF00FFu) | ((g >> shift) & 0xFF00u);
}

// Bilinear with 16 sub-pixel levels, coordinates in sixteenths of a pixel; reads
// the pixel right of and below the sample point.
inline Pixel sampleB16(const Frame& f, int64_t a, int64_t b) {
    const uint32_t fx = static_cast<uint32_t>(a & 15), fy = static_cast<uint32_t>(b & 15);
    const Pixel* r0 = f.src + static_cast<ptrdiff_t>((b >> 4) * f.pitch + (a >> 4));
    const Pixel* r1 = r0 + f.pitch;
    return weighted4(r0[0], r0[1], r1[0], r1[1], (16 - fx) * (16 - fy), fx * (16 - fy), (16 - fx) * fy, fx * fy, 8);
}

}  // namespace warp
