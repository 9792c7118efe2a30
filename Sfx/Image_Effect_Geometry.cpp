#include "Sfx/Image_Effect_Geometry.h"

#include <algorithm>

#include "Sfx/ImageEffectFrame.h"
#include "Sfx/ImageEffectShared.h"
#include "render/FloatToInt.h"

namespace {

// A coordinate brought into 0 .. n - 1 by whole multiples of n.
int32_t wrapInto(int64_t c, int32_t n) {
    const int64_t m = c % n;
    return static_cast<int32_t>(m < 0 ? m + n : m);
}

// The source coordinate of output coordinate i with step v (256 = unchanged)
// about the centre half.
int64_t zoomedCoordinate(int32_t i, int32_t half, int64_t v) { return half + ((i * v - half * v) >> 8); }

}  // namespace

void applyGmMultiVision(EffectParams* p) {
    updateEffectLevel(p, 0.97f, 1.0f);
    const double level = heldLevel(p->level);
    const double z = p->levelMode == 0 ? level : (1 - level / 256 * 2) * 206 + 50;
    // A raw level under another envelope can drive z to -1 or below: the step is
    // held to what the envelopes reach (at most 65536, the coarsest mosaic).
    const int32_t v = z + 1 > 1.0 / 65536 ? std::clamp(truncToInt(65536 / (z + 1)), 1, 65536) : 65536;
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t hw = f.w / 2, hh = f.h / 2;
    for (int32_t i = 0; i < f.h; ++i) {
        const Pixel* s = f.srcRow(wrapInto(zoomedCoordinate(i, hh, v), f.h));
        Pixel* d = f.dstRow(i);
        if (v == 256) {
            std::copy(s, s + f.w, d);
            continue;
        }
        for (int32_t j = 0; j < f.w; ++j) d[j] = s[wrapInto(zoomedCoordinate(j, hw, v), f.w)];
    }
}

void applyGmSymetry2(EffectParams* p) {
    if (p->firstFrame) {
        p->stateWords[0] = 0;
        p->stateWords[1] = 0;
    }
    if (p->beat == 1) p->stateWords[0] = p->stateWords[0] == 0 ? 1 : 0;
    int32_t weight = p->stateWords[1] + (p->stateWords[0] == 1 ? 1 : -1);
    if (weight > 15) weight = 16;
    if (weight < 0) weight = 0;
    p->stateWords[1] = weight;
    Frame f;
    if (!frameOf(p, &f)) return;
    const uint32_t mine = static_cast<uint32_t>(16 - weight), theirs = static_cast<uint32_t>(weight);
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            const Pixel own = s[x], mirror = s[f.w - 1 - x];
            // Red and blue in one product, green in another: 16 x 255 fits in 12 bits.
            const uint32_t rb = (((own & 0xFF00FF) * mine + (mirror & 0xFF00FF) * theirs) >> 4) & 0xFF00FF;
            const uint32_t g = (((own & 0x00FF00) * mine + (mirror & 0x00FF00) * theirs) >> 4) & 0x00FF00;
            d[x] = rb | g;
        }
    }
}
