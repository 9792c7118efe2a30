#include "AnimationEffect/ANIEffectPlain.h"

#include <cstddef>

#include "render/CrtRandom.h"
#include "render/PixelBuffer.h"

namespace {

inline Pixel half(Pixel p) { return (p >> 1) & 0x7F7F7Fu; }

}  // namespace

void applyBlurSlow(EffectParams* p) {
    const int32_t pitch = p->pitch;
    ptrdiff_t offset;
    switch (crtRand() & 3) {
        case 0: offset = pitch; break;
        case 1: offset = pitch + 1; break;
        case 2: offset = pitch - 1; break;
        default: offset = 1; break;
    }
    const Rect& r = p->rect;
    const int32_t width = r.right - r.left;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const Pixel* s = pixelAt(p->source, pitch, r.left, y);
        Pixel* d = pixelAt(p->destination, pitch, r.left, y);
        for (int32_t x = 0; x < width; ++x) d[x] = half(s[x + offset]) + half(s[x - offset]);
    }
}
