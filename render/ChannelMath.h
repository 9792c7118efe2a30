// Channel helpers of the line, disc and glow primitives (the saturating add, the
// constant blend and the bilinear mix are in PixelBuffer.h).
#pragma once
#include <cstdint>

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

}  // namespace channel_math
