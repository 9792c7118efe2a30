#include "Sfx/Image_Effect_Stretch.h"

#include "Sfx/ImageEffectFrame.h"
#include "Sfx/ImageEffectShared.h"
#include "render/FloatToInt.h"

namespace {

constexpr int32_t kMaxLayers = 14;

// The zoom blur: every pixel the sum of `layers` samples toward the centre, each
// shifted by layerShift and masked per channel, plus an eighth of the pixel
// itself. Layer n samples at the offset from the centre scaled by scale(n) >>
// fractionBits; every scale lies below one, so samples stay in the picture.
// Offsets run from -half to half - 1: an odd last column or row stays as it is.
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
    const Pixel* rows[kMaxLayers];
    int64_t column[kMaxLayers];
    for (int32_t dy = -hh; dy < hh; ++dy) {
        for (int32_t n = 0; n < layers; ++n) rows[n] = f.srcRow(hh + static_cast<int32_t>((dy * s[n]) >> fractionBits));
        for (int32_t n = 0; n < layers; ++n) column[n] = -hw * s[n];   // dx x Sn, stepped by Sn
        const Pixel* own = f.srcRow(hh + dy);
        Pixel* d = f.dstRow(hh + dy);
        for (int32_t x = 0; x < 2 * hw; ++x) {
            Pixel sum = (own[x] >> 3) & 0x1F1F1F;
            for (int32_t n = 0; n < layers; ++n) {
                sum += (rows[n][hw + static_cast<int32_t>(column[n] >> fractionBits)] >> layerShift) & layerMask;
                column[n] += s[n];
            }
            d[x] = sum;
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
