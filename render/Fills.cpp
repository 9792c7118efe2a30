#include "render/Fills.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/TrigTables.h"

namespace {

inline ptrdiff_t offsetOf(int64_t x, int64_t y, int32_t pitch) {
    return static_cast<ptrdiff_t>(y * pitch + x);
}

// Per channel (first * (4096 - k) + second * k) >> 12, k in 0..4096.
inline Pixel crossFade(Pixel first, Pixel second, int64_t k) {
    const uint32_t w = static_cast<uint32_t>(std::clamp<int64_t>(k, 0, 4096)), iw = 4096 - w;
    const uint32_t r = (((first >> 16) & 0xFF) * iw + ((second >> 16) & 0xFF) * w) >> 12;
    const uint32_t g = (((first >> 8) & 0xFF) * iw + ((second >> 8) & 0xFF) * w) >> 12;
    const uint32_t b = ((first & 0xFF) * iw + (second & 0xFF) * w) >> 12;
    return (r << 16) | (g << 8) | b;
}

}  // namespace

namespace {
BitmapResourceLoader g_bitmapLoader = nullptr;
}

void setBitmapResourceLoader(BitmapResourceLoader loader) { g_bitmapLoader = loader; }
BitmapResourceLoader bitmapResourceLoader() { return g_bitmapLoader; }

void copyBitmapRows(Pixel* dst, int32_t width, int32_t height, const uint8_t* bits,
                    int32_t bitmapWidth, int32_t bitmapHeight, int32_t stride, bool topDown) {
    if (width <= 0 || height <= 0) return;
    const int32_t columns = std::clamp(bitmapWidth, 0, std::max(width, 0));
    for (int32_t row = 0; row < height; ++row) {
        // Source row i (counted from the bottom of the picture) lands on row height - 1 - i.
        const int32_t i = height - 1 - row;
        Pixel* out = dst + static_cast<ptrdiff_t>(row) * width;
        if (i >= bitmapHeight) {
            std::fill(out, out + width, Pixel{0});
            continue;
        }
        const int32_t memoryRow = topDown ? bitmapHeight - 1 - i : i;
        const uint8_t* in = bits + static_cast<ptrdiff_t>(memoryRow) * stride;
        for (int32_t x = 0; x < columns; ++x)
            out[x] = (static_cast<Pixel>(in[3 * x + 2]) << 16) | (static_cast<Pixel>(in[3 * x + 1]) << 8) | in[3 * x];
        std::fill(out + columns, out + width, Pixel{0});
    }
}

Pixel randomColor() {
    const uint32_t r = static_cast<uint32_t>(crtRand()) % 256;
    const uint32_t g = static_cast<uint32_t>(crtRand()) % 256;
    const uint32_t b = static_cast<uint32_t>(crtRand()) % 256;
    return (r << 16) | (g << 8) | b;
}

Pixel randomSmoothColor() {
    const int32_t k = (crtRand() >> 2) % kTrigTableSize;
    auto channel = [](int32_t v) { return static_cast<uint32_t>(std::clamp(128 + v / 256, 0, 255)); };
    return (channel(CosineTable[k]) << 16) | (channel(SineTable[k]) << 8) |
           channel(CosineTable[(k + 4096) % kTrigTableSize]);
}

void fillRect(Pixel* dst, const Rect& rect, int32_t pitch, Pixel colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    for (int64_t y = rect.top; y < rect.bottom; ++y) {
        Pixel* row = dst + offsetOf(0, y, pitch);
        std::fill(row + rect.left, row + rect.right, colour);
    }
}

void blendAlongLine(Pixel* dst, const Pixel* a, const Pixel* b, IntPoint p1, IntPoint p2,
                    int32_t w, int32_t pitch, int32_t reserved1, int32_t reserved2, int32_t swap,
                    const Rect& clip) {
    const int64_t dx = std::llabs(static_cast<int64_t>(p2.x) - p1.x);
    const int64_t dy = std::llabs(static_cast<int64_t>(p2.y) - p1.y);
    const double angle = std::atan2(static_cast<double>(dy), static_cast<double>(dx));
    const int32_t degrees = truncToInt(angle * 57.29577791868204);
    const double h = w / 2;
    if (swap) std::swap(a, b);
    const bool steep = degrees > 45;
    // The band starts a = h / sin or h / cos off the line, measured along the walk's cross axis.
    const int64_t half = truncToInt(h / (steep ? std::sin(angle) : std::cos(angle)));
    // The band must have a width and the line a length; both are divisors below.
    if (half <= 0 || (dx == 0 && dy == 0)) return;
    const int64_t across = 16777216 / (2 * half);
    if (steep) {
        const int64_t s = ((static_cast<int64_t>(p2.x) - p1.x) << 15) / (static_cast<int64_t>(p2.y) - p1.y);
        const int64_t yEnd = std::min<int64_t>(std::max(p1.y, p2.y), static_cast<int64_t>(clip.bottom) - 1);
        for (int64_t y = std::max<int64_t>(std::min(p1.y, p2.y), clip.top); y < yEnd; ++y) {
            const int64_t g = ((s * (y - p1.y)) >> 15) + p1.x - half;
            const int64_t xEnd = std::min<int64_t>(g + 2 * half, static_cast<int64_t>(clip.right) - 1);
            const ptrdiff_t row = offsetOf(0, y, pitch);
            for (int64_t x = std::max<int64_t>(clip.left, g); x <= xEnd; ++x)
                dst[row + x] = crossFade(a[row + x], b[row + x], ((x - g) * across) / 4096);
        }
    } else {
        const int64_t s = ((static_cast<int64_t>(p2.y) - p1.y) << 15) / (static_cast<int64_t>(p2.x) - p1.x);
        const int64_t xEnd = std::min<int64_t>(std::max(p1.x, p2.x), static_cast<int64_t>(clip.right) - 1);
        for (int64_t x = std::max<int64_t>(std::min(p1.x, p2.x), clip.left); x <= xEnd; ++x) {
            const int64_t g = ((s * (x - p1.x)) >> 15) + p1.y - half;
            const int64_t yEnd = std::min<int64_t>(g + 2 * half, static_cast<int64_t>(clip.bottom) - 1);
            for (int64_t y = std::max<int64_t>(clip.top, g); y < yEnd; ++y) {
                const ptrdiff_t at = offsetOf(x, y, pitch);
                dst[at] = crossFade(a[at], b[at], ((y - g) * across) / 4096);
            }
        }
    }
}

void blendAroundCircle(Pixel* dst, const Pixel* a, const Pixel* b, IntPoint centre, int32_t radius,
                       int32_t halfWidth, int32_t width, int32_t height, int32_t pitch) {
    const int64_t ra = radius, hb = halfWidth;
    const int64_t outer = ra + hb, outer2 = outer * outer;
    const int64_t innerR = std::max<int64_t>(ra - hb, 0), inner2 = innerR * innerR;
    // Without a band (halfWidth < 1) the two tests below leave no ring: a hard edge.
    const int64_t c = hb >= 1 ? 134217728 / (2 * hb) : 0;
    for (int64_t y = 0; y < height; ++y) {
        const int64_t dy = y - centre.y, dy2 = dy * dy;
        const ptrdiff_t row = offsetOf(0, y, pitch);
        Pixel* out = dst + row;
        const Pixel* pa = a + row;
        const Pixel* pb = b + row;
        for (int64_t x = 0; x < width; ++x) {
            const int64_t dx = x - centre.x, d2 = dx * dx + dy2;
            if (d2 >= outer2) {
                out[x] = pb[x];
            } else if (d2 <= inner2) {
                out[x] = pa[x];
            } else {   // only reached with a band: halfWidth >= 1
                const int64_t dist = static_cast<int64_t>(std::sqrt(static_cast<double>(d2)));
                out[x] = crossFade(pb[x], pa[x], (c * (outer - dist)) >> 15);
            }
        }
    }
}
