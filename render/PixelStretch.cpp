// Stretches of a source RECT onto a destination RECT. Each walks the destination
// row by row with the pitch and keeps a fixed-point source position that starts
// at 0 and grows by a constant step (source extent << fraction bits, divided by
// the destination extent), counted from the source RECT's top-left.
#include "render/PixelBuffer.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The bilinear mixes of one destination row: all share the rows and the vertical
// fraction, so the weights for the 16 horizontal fractions are made once per row.
// The SSE2 form computes the same sums as bilinearMix in 16-bit lanes (no sum
// exceeds 255 x 256).
class BilinearRow {
public:
    BilinearRow(const Pixel* upper, const Pixel* lower, uint32_t fy) : upper_(upper), lower_(lower), fy_(fy) {
#if defined(__SSE2__)
        for (uint32_t fx = 0; fx < 16; ++fx) {
            const short w00 = static_cast<short>((16 - fx) * (16 - fy)), w10 = static_cast<short>(fx * (16 - fy));
            const short w01 = static_cast<short>((16 - fx) * fy), w11 = static_cast<short>(fx * fy);
            top_[fx] = _mm_set_epi16(w10, w10, w10, w10, w00, w00, w00, w00);
            bottom_[fx] = _mm_set_epi16(w11, w11, w11, w11, w01, w01, w01, w01);
        }
#endif
    }

    // The mix of columns c and c + 1 of both rows with horizontal fraction fx.
    Pixel operator()(ptrdiff_t c, uint32_t fx) const {
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        const __m128i top = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(upper_ + c)), zero);
        const __m128i bottom = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(lower_ + c)), zero);
        __m128i sum = _mm_add_epi16(_mm_mullo_epi16(top, top_[fx]), _mm_mullo_epi16(bottom, bottom_[fx]));
        sum = _mm_srli_epi16(_mm_add_epi16(sum, _mm_srli_si128(sum, 8)), 8);
        return static_cast<Pixel>(_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum))) & 0xFFFFFFu;
#else
        return bilinearMix(upper_[c], upper_[c + 1], lower_[c], lower_[c + 1], fx, fy_);
#endif
    }

private:
    const Pixel* upper_;
    const Pixel* lower_;
    uint32_t fy_;
#if defined(__SSE2__)
    __m128i top_[16];
    __m128i bottom_[16];
#endif
};

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
        const BilinearRow mix(upper, lower, static_cast<uint32_t>(py >> 16) & 15);
        uint64_t px = 0;
        for (int32_t j = 0; j < e.dw; ++j, px += stepX)
            d[j] = mix(static_cast<ptrdiff_t>(px >> 20), static_cast<uint32_t>(px >> 16) & 15);
    }
}

void stretchRectClipped(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect, const Rect& clip,
                        int32_t dstPitch, int32_t srcPitch) {
    const Extents e = extentsOf(dstRect, srcRect);
    if (e.dw <= 0 || e.dh <= 0) return;
    const int32_t x0 = std::max(dstRect.left, clip.left), x1 = std::min(dstRect.right, clip.right);
    const int32_t y0 = std::max(dstRect.top, clip.top), y1 = std::min(dstRect.bottom, clip.bottom);
    if (x0 >= x1 || y0 >= y1) return;
    // 64-bit positions: a magnified destination can be tens of thousands of
    // pixels wide, where 32-bit products would wrap.
    const uint64_t stepX = unsignedStep(e.sw, e.dw, 20), stepY = unsignedStep(e.sh, e.dh, 20);
    const Pixel* origin = pixelAt(src, srcPitch, srcRect.left, srcRect.top);
    Pixel* d = pixelAt(dst, dstPitch, x0, y0);
    const uint64_t startX = static_cast<uint64_t>(x0 - dstRect.left) * stepX;
    uint64_t py = static_cast<uint64_t>(y0 - dstRect.top) * stepY;
    for (int32_t y = y0; y < y1; ++y, d += dstPitch, py += stepY) {
        const Pixel* upper = origin + static_cast<ptrdiff_t>(py >> 20) * srcPitch;
        const BilinearRow mix(upper, upper + srcPitch, static_cast<uint32_t>(py >> 16) & 15);
        uint64_t px = startX;
        for (int32_t j = 0; j < x1 - x0; ++j, px += stepX)
            d[j] = mix(static_cast<ptrdiff_t>(px >> 20), static_cast<uint32_t>(px >> 16) & 15);
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
        const BilinearRow mix(upper, lower, fy);
        uint64_t px = 0;
        int32_t j = 0;
        for (; j < e.dw - 1; ++j, px += stepX)
            d[j] = blendPixel(d[j], mix(static_cast<ptrdiff_t>(px >> 15), static_cast<uint32_t>(px >> 11) & 15), a);
        // The last column mixes only vertically, so nothing right of the RECT is read.
        const ptrdiff_t c = static_cast<ptrdiff_t>(px >> 15);
        d[j] = blendPixel(d[j], bilinearMix(upper[c], upper[c], lower[c], lower[c], 0, fy), a);
    }
}

void stretchRectAdd(Pixel* dst, const Pixel* src, const Rect& dstRect, const Rect& srcRect,
                    int32_t dstPitch, int32_t srcPitch) {
    const Extents e = extentsOf(dstRect, srcRect);
    if (e.dw <= 0 || e.dh <= 0) return;
    // nearestRows' walk with the columns worked out once: every row reads the same ones.
    const int64_t stepX = signedStep(e.sw, e.dw, 15), stepY = signedStep(e.sh, e.dh, 15);
    std::vector<int32_t> column(static_cast<size_t>(e.dw));
    int64_t px = 0;
    for (int32_t j = 0; j < e.dw; ++j, px += stepX) column[static_cast<size_t>(j)] = static_cast<int32_t>(px >> 15);
    Pixel* d = pixelAt(dst, dstPitch, dstRect.left, dstRect.top);
    const Pixel* origin = pixelAt(src, srcPitch, srcRect.left, srcRect.top);
    int64_t py = 0;
    for (int32_t k = 0; k < e.dh; ++k, d += dstPitch, py += stepY)
        saturatingAddGathered(d, origin + static_cast<ptrdiff_t>(py >> 15) * srcPitch, column.data(), e.dw);
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
