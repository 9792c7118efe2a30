// The picture and the canvas of one image-effect frame, both addressed from the
// clip rectangle's top-left corner with the record's pitch.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

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

// The size scale of the warping and water bodies: 1 at 320 x 240.
inline float sizeScale(const Frame& f) { return static_cast<float>(f.w + f.h) * 0.0017857143f; }

// A per-frame table of ints (a row or column of factors), grown once and reused.
inline int32_t* frameInts(size_t count) {
    static std::vector<int32_t> ints;
    if (ints.size() < count) ints.resize(count);
    return ints.data();
}

// A scratch buffer kept from frame to frame in buffers[index] / slots[index]:
// acquired on the first frame (and set up by `fill`), kept on every frame. Null
// when the pool had no buffer for it: the body then draws without it.
template <class Fill>
Pixel* keptScratch(EffectParams* p, int index, Fill fill) {
    if (p->firstFrame) {
        p->buffers[index] = p->acquireBuffer ? p->acquireBuffer(&p->slots[index]) : nullptr;
        if (p->buffers[index]) fill(p->buffers[index]);
    }
    if (!p->buffers[index]) return nullptr;
    if (p->keepBuffer) p->keepBuffer(p->slots[index]);
    return p->buffers[index];
}
