#include "Sfx/Image_Effect_Stretch.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Sfx/ImageEffectFrame.h"
#include "Sfx/ImageEffectShared.h"
#include "render/FloatToInt.h"

namespace {

constexpr int32_t kMaxLayers = 14;
constexpr int32_t kStrip = 128;   // columns whose sample columns are worked out at once

// The zoom blur: every pixel the sum of `layers` samples toward the centre, each
// shifted by layerShift and masked per channel, plus an eighth of the pixel
// itself. Layer n samples at the offset from the centre scaled by scale(n) >>
// fractionBits; every scale lies below one, so samples stay in the picture.
// Offsets run from -half to half - 1: an odd last column or row stays as it is.
// The frame is drawn in strips of columns, each strip's sample columns worked
// out once for all its rows.
template <class Scale>
void zoomBlur(EffectParams* p, int32_t layers, int32_t fractionBits, int32_t layerShift, Scale scale) {
    updateEffectLevel(p, 0.98f, 1.0f);
    const int32_t k = levelByte(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t hw = f.w / 2, hh = f.h / 2;
    const Pixel layerMask = (0xFFu >> layerShift) * 0x010101u;
    int64_t s[kMaxLayers];
    for (int32_t n = 0; n < layers; ++n) s[n] = scale(n + 1, k);
    int32_t columns[kMaxLayers][kStrip];
    Pixel sums[kStrip];
    for (int32_t x0 = 0; x0 < 2 * hw; x0 += kStrip) {
        const int32_t count = std::min(kStrip, 2 * hw - x0);
        for (int32_t n = 0; n < layers; ++n)
            for (int32_t i = 0; i < count; ++i)
                columns[n][i] = hw + static_cast<int32_t>(((x0 + i - hw) * s[n]) >> fractionBits);
        for (int32_t dy = -hh; dy < hh; ++dy) {
            const Pixel* own = f.srcRow(hh + dy) + x0;
            for (int32_t i = 0; i < count; ++i) sums[i] = (own[i] >> 3) & 0x1F1F1F;
            for (int32_t n = 0; n < layers; ++n) {
                const Pixel* row = f.srcRow(hh + static_cast<int32_t>((dy * s[n]) >> fractionBits));
                const int32_t* c = columns[n];
                int32_t i = 0;
#if defined(__SSE2__)
                // Four sums at a time: the same 32-bit shifts, masks and adds.
                const __m128i shift = _mm_cvtsi32_si128(layerShift);
                const __m128i mask = _mm_set1_epi32(static_cast<int>(layerMask));
                for (; i + 4 <= count; i += 4) {
                    const __m128i samples = _mm_set_epi32(static_cast<int>(row[c[i + 3]]), static_cast<int>(row[c[i + 2]]),
                                                          static_cast<int>(row[c[i + 1]]), static_cast<int>(row[c[i]]));
                    __m128i* sum = reinterpret_cast<__m128i*>(sums + i);
                    _mm_storeu_si128(sum, _mm_add_epi32(_mm_loadu_si128(sum),
                                                        _mm_and_si128(_mm_srl_epi32(samples, shift), mask)));
                }
#endif
                for (; i < count; ++i) sums[i] += (row[c[i]] >> layerShift) & layerMask;
            }
            std::copy(sums, sums + count, f.dstRow(hh + dy) + x0);
        }
    }
}

}  // namespace

void applyStUpDown(EffectParams* p) {
    updateEffectLevel(p, 0.95f, 1.0f);
    const double level = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t hw = f.w / 2, hh = f.h / 2;
    const int32_t cropX = truncToInt(hw * level / 256), cropY = truncToInt(level * hh / 256);
    stretchRectSmooth(f.dst, f.src, Rect{0, 0, f.w, f.h}, Rect{cropX, cropY, f.w - cropX, f.h - cropY}, f.pitch,
                      f.pitch);
}

void applyStAlphaStretch(EffectParams* p) {
    zoomBlur(p, 3, 11, 2, [](int32_t n, int32_t k) { return 2048 - n * k; });
}

void applyStAlphaStretch8(EffectParams* p) {
    zoomBlur(p, 7, 12, 3, [](int32_t n, int32_t k) { return 4096 - n * k; });
}

void applyStAlphaStretch16(EffectParams* p) {
    zoomBlur(p, 14, 12, 4, [](int32_t n, int32_t k) { return 4096 - (n * k) / 2; });
}
