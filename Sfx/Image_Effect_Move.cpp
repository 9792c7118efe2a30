#include "Sfx/Image_Effect_Move.h"

#include <algorithm>

#include "Sfx/ImageEffectFrame.h"
#include "render/FloatToInt.h"

void applyMvScroll(EffectParams* p, int32_t direction) {
    Frame f;
    if (!frameOf(p, &f)) return;
    const double progress = p->progress;
    const int32_t raw = truncToInt(direction == 0 ? progress * f.w : (1 - progress) * f.w);
    // A progress outside 0..1 must not take the copies outside the picture.
    const int32_t s = std::clamp(raw, 0, f.w);
    // dst (x, y) = picture ((x + s) mod W, y).
    if (s < f.w) copyRect(f.dst, f.src, 0, 0, Rect{s, 0, f.w, f.h}, f.pitch, f.pitch);
    if (s > 0) copyRect(f.dst, f.src, f.w - s, 0, Rect{0, 0, s, f.h}, f.pitch, f.pitch);
}
