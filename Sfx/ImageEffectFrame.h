// The picture and the canvas of one image-effect frame, both addressed from the
// clip rectangle's top-left corner with the record's pitch.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/EffectParams.h"
#include "render/PixelBuffer.h"

struct Frame {
    const Pixel* src;
    Pixel* dst;
    int32_t pitch;
    int32_t w;
    int32_t h;

    const Pixel* srcRow(int32_t y) const { return src + static_cast<ptrdiff_t>(y) * pitch; }
    Pixel* dstRow(int32_t y) const { return dst + static_cast<ptrdiff_t>(y) * pitch; }
};

// False for an empty clip rectangle: nothing to draw.
inline bool frameOf(const EffectParams* p, Frame* f) {
    *f = {p->source, p->destination, p->pitch, p->rect.right - p->rect.left, p->rect.bottom - p->rect.top};
    return f->w > 0 && f->h > 0;
}

inline void copyPicture(const Frame& f) { copyRect(f.dst, f.src, 0, 0, Rect{0, 0, f.w, f.h}, f.pitch, f.pitch); }
