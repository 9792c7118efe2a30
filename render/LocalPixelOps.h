// Small per-pixel helpers shared by the drawing units here. (To be folded into
// the pixel-buffer unit's helpers once that unit is in place.)
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

namespace pixel_ops {

// Per-channel min(255, a + b); no carry between channels.
inline Pixel addSaturated(Pixel a, Pixel b) {
    uint32_t r = (a & 0xFF0000u) + (b & 0xFF0000u);
    uint32_t g = (a & 0xFF00u) + (b & 0xFF00u);
    uint32_t bl = (a & 0xFFu) + (b & 0xFFu);
    if (r > 0xFF0000u) r = 0xFF0000u;
    if (g > 0xFF00u) g = 0xFF00u;
    if (bl > 0xFFu) bl = 0xFFu;
    return r | g | bl;
}

// Per channel (d * (256 - a) + s * a) >> 8, a in 0..256.
inline Pixel blend256(Pixel d, Pixel s, uint32_t a) {
    uint32_t ia = 256 - a;
    uint32_t rb = ((d & 0xFF00FFu) * ia + (s & 0xFF00FFu) * a) >> 8;
    uint32_t g = ((d & 0xFF00u) * ia + (s & 0xFF00u) * a) >> 8;
    return (rb & 0xFF00FFu) | (g & 0xFF00u);
}

// 16-level bilinear mix of four neighbours (fx, fy in 0..15).
inline Pixel bilinear16(Pixel tl, Pixel tr, Pixel bl, Pixel br, uint32_t fx, uint32_t fy) {
    uint32_t wtl = (16 - fx) * (16 - fy), wtr = fx * (16 - fy), wbl = (16 - fx) * fy, wbr = fx * fy;
    uint32_t rb = ((tl & 0xFF00FFu) * wtl + (tr & 0xFF00FFu) * wtr + (bl & 0xFF00FFu) * wbl +
                   (br & 0xFF00FFu) * wbr) >> 8;
    uint32_t g = ((tl & 0xFF00u) * wtl + (tr & 0xFF00u) * wtr + (bl & 0xFF00u) * wbl +
                  (br & 0xFF00u) * wbr) >> 8;
    return (rb & 0xFF00FFu) | (g & 0xFF00u);
}

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

}  // namespace pixel_ops
