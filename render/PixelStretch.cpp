// Stretches of a source RECT onto a destination RECT. Each walks the destination
// row by row with the pitch and keeps a fixed-point source position that starts
// at 0 and grows by a constant step (source extent << fraction bits, divided by
// the destination extent), counted from the source RECT's top-left.
#include "render/PixelBuffer.h"

namespace {

struct Extents {
    int32_t dw, dh, sw, sh;
};

Extents extentsOf(const Rect& dstRect, const Rect& srcRect) {
    return {dstRect.right - dstRect.left, dstRect.bottom - dstRect.top,
            srcRect.right - srcRect.left, srcRect.bottom - srcRect.top};
}

int64_t signedStep(int32_t sourceExtent, int32_t destExtent, int fractionBits) {
    return static_cast<int64_t>(sourceExtent) * (int64_t{1} << fractionBits) / destExtent;
}

uint64_t unsignedStep(int32_t sourceExtent, int32_t destExtent, int fractionBits) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(sourceExtent)) << fractionBits) /
           static_cast<uint32_t>(destExtent);
}

// The nearest-sampling walk shared by the plain and additive stretches: `cols` x
// `rows` destination pixels from d, each set to combine(its value, its source
// pixel); positions start at (startX, startY) with `Bits` fraction bits.
template <int Bits, class Combine>
inline void nearestRows(Pixel* d, const Pixel* origin, int32_t dstPitch, int32_t srcPitch, int32_t cols,
                        int32_t rows, int64_t startX, int64_t startY, int64_t stepX, int64_t stepY,
                        Combine combine) {
    int64_t py = startY;
    for (int32_t k = 0; k < rows; ++k, d += dstPitch, py += stepY) {
        const Pixel* s = origin + static_cast<ptrdiff_t>(py >> Bits) * srcPitch;
        int64_t px = startX;
        for (int32_t j = 0; j < cols; ++j, px += stepX) d[j] = combine(d[j], s[px >> Bits]);
    }
}

}  // namespace

void stretchRectNearest(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                        int32_t dstPitch, int32_t srcPitch) {
    const Extents e = extentsOf(dstRect, srcRect);
    if (e.dw <= 0 || e.dh <= 0) return;
    nearestRows<18>(pixelAt(dst, dstPitch, dstRect.left, dstRect.top), pixelAt(src, srcPitch, srcRect.left, srcRect.top),
                    dstPitch, srcPitch, e.dw, e.dh, 0, 0, signedStep(e.sw, e.dw, 18), signedStep(e.sh, e.dh, 18),
                    [](Pixel&, Pixel s) { return s; });
}

void stretchRectSmooth(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                       int32_t dstPitch, int32_t srcPitch) {
    const Extents e = extentsOf(dstRect, srcRect);
    if (e.dw <= 0 || e.dh <= 0) return;
    const uint64_t stepX = unsignedStep(e.sw, e.dw, 20), stepY = unsignedStep(e.sh, e.dh, 20);
    Pixel* d = pixelAt(dst, dstPitch, dstRect.left, dstRect.top);
    const Pixel* origin = pixelAt(src, srcPitch, srcRect.left, srcRect.top);
    uint64_t py = 0;
    for (int32_t k = 0; k < e.dh; ++k, d += dstPitch, py += stepY) {
        const Pixel* upper = origin + static_cast<ptrdiff_t>(py >> 20) * srcPitch;
        const Pixel* lower = upper + srcPitch;
        const uint32_t fy = static_cast<uint32_t>(py >> 16) & 15;
        uint64_t px = 0;
        for (int32_t j = 0; j < e.dw; ++j, px += stepX) {
            const ptrdiff_t c = static_cast<ptrdiff_t>(px >> 20);
            const uint32_t fx = static_cast<uint32_t>(px >> 16) & 15;
            d[j] = bilinearMix(upper[c], upper[c + 1], lower[c], lower[c + 1], fx, fy);
        }
    }
}

void stretchRect(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                 int32_t dstPitch, int32_t srcPitch) {
    const Extents e = extentsOf(dstRect, srcRect);
    if (e.dw == e.sw && e.dh == e.sh) {
        copyRect(dst, src, dstRect.left, dstRect.top, srcRect, dstPitch, srcPitch);
    } else if (int64_t{e.dw} * e.dh * 2 < int64_t{e.sw} * e.sh * 3) {
        stretchRectNearest(dst, src, dstRect, srcRect, dstPitch, srcPitch);
    } else {
        stretchRectSmooth(dst, src, dstRect, srcRect, dstPitch, srcPitch);
    }
}

void stretchRectAlpha(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                      int32_t dstPitch, int32_t srcPitch, float alpha) {
    const Extents e = extentsOf(dstRect, srcRect);
    if (e.dw <= 0 || e.dh <= 0) return;
    const uint32_t a = blendWeight(alpha);
    const uint64_t stepX = unsignedStep(e.sw, e.dw, 15), stepY = unsignedStep(e.sh, e.dh, 15);
    Pixel* d = pixelAt(dst, dstPitch, dstRect.left, dstRect.top);
    const Pixel* origin = pixelAt(src, srcPitch, srcRect.left, srcRect.top);
    uint64_t py = 0;
    for (int32_t k = 0; k < e.dh; ++k, d += dstPitch, py += stepY) {
        const Pixel* upper = origin + static_cast<ptrdiff_t>(py >> 15) * srcPitch;
        const Pixel* lower = k == e.dh - 1 ? upper : upper + srcPitch;
        const uint32_t fy = static_cast<uint32_t>(py >> 11) & 15;
        uint64_t px = 0;
        int32_t j = 0;
        for (; j < e.dw - 1; ++j, px += stepX) {
            const ptrdiff_t c = static_cast<ptrdiff_t>(px >> 15);
            const uint32_t fx = static_cast<uint32_t>(px >> 11) & 15;
            d[j] = blendPixel(d[j], bilinearMix(upper[c], upper[c + 1], lower[c], lower[c + 1], fx, fy), a);
        }
        // The last column mixes only vertically, so nothing right of the RECT is read.
        const ptrdiff_t c = static_cast<ptrdiff_t>(px >> 15);
        d[j] = blendPixel(d[j], bilinearMix(upper[c], upper[c], lower[c], lower[c], 0, fy), a);
    }
}

void stretchRectAdd(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                    int32_t dstPitch, int32_t srcPitch) {
    const Extents e = extentsOf(dstRect, srcRect);
    if (e.dw <= 0 || e.dh <= 0) return;
    nearestRows<15>(pixelAt(dst, dstPitch, dstRect.left, dstRect.top), pixelAt(src, srcPitch, srcRect.left, srcRect.top),
                    dstPitch, srcPitch, e.dw, e.dh, 0, 0, signedStep(e.sw, e.dw, 15), signedStep(e.sh, e.dh, 15),
                    [](Pixel& d, Pixel s) { return saturatingAdd(d, s); });
}

void stretchRectAddClipped(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                           int32_t dstPitch, int32_t srcPitch, int32_t width, int32_t height) {
    const Extents e = extentsOf(dstRect, srcRect);
    if (e.dw <= 0 || e.dh <= 0) return;
    const int32_t top = dstRect.top > 0 ? dstRect.top : 0;
    const int32_t bottom = dstRect.bottom < height ? dstRect.bottom : height;
    const int32_t left = dstRect.left > 0 ? dstRect.left : 0;
    const int32_t right = dstRect.right < width ? dstRect.right : width;
    if (top >= bottom || left >= right) return;
    const int64_t stepX = signedStep(e.sw, e.dw, 16), stepY = signedStep(e.sh, e.dh, 16);
    // Start where the unclipped stretch would be at the first clipped pixel.
    nearestRows<16>(pixelAt(dst, dstPitch, left, top), pixelAt(src, srcPitch, srcRect.left, srcRect.top),
                    dstPitch, srcPitch, right - left, bottom - top, int64_t{left - dstRect.left} * stepX,
                    int64_t{top - dstRect.top} * stepY, stepX, stepY,
                    [](Pixel& d, Pixel s) { return s != 0 ? saturatingAdd(d, s) : d; });
}
