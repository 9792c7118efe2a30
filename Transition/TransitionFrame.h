// The outgoing, incoming and canvas pictures of one transition frame, all
// addressed from the clip rectangle's top-left corner with the record's pitch.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/EffectParams.h"
#include "render/PixelBuffer.h"

struct TransitionFrame {
    const Pixel* outgoing;
    const Pixel* incoming;
    Pixel* canvas;
    int32_t pitch, w, h;
    Rect rect;   // (0, 0, w, h)

    bool empty() const { return w <= 0 || h <= 0; }
    ptrdiff_t at(int32_t x, int32_t y) const { return static_cast<ptrdiff_t>(y) * pitch + x; }
    Pixel* canvasRow(int32_t y) const { return canvas + static_cast<ptrdiff_t>(y) * pitch; }
    void copyWhole(const Pixel* picture) const { copyRect(canvas, picture, 0, 0, rect, pitch, pitch); }
};

inline TransitionFrame frameOf(const EffectParams* t) {
    const Rect& r = t->rect;
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    return {pixelAt(t->source, t->pitch, r.left, r.top), pixelAt(t->source2, t->pitch, r.left, r.top),
            pixelAt(t->destination, t->pitch, r.left, r.top), t->pitch, w, h, {0, 0, w, h}};
}
