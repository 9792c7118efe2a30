// What the 3D transition units share: the frame as the mesh workers see it,
// the background copies and the scratch buffers they keep.
#pragma once
#include <cstddef>
#include <cstdint>

#include "Transition/TransitionFrame.h"
#include "engine/EffectParams.h"
#include "render/DepthBuffer.h"
#include "render/FloatToInt.h"
#include "render/MeshRaster.h"
#include "render/PixelBuffer.h"
#include "render/TrigTables.h"

namespace threed {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;

// Pictures addressed from the clip's top-left corner; clip = (0, 0, w, h).
struct Scene {
    const Pixel* out;   // outgoing
    const Pixel* in;    // incoming
    Pixel* dst;
    int32_t pitch, w, h;
    Rect clip;
    bool empty() const { return w <= 0 || h <= 0; }
};

inline Scene sceneOf(const EffectParams* t) {
    const TransitionFrame f = frameOf(t);
    return {f.outgoing, f.incoming, f.canvas, f.pitch, f.w, f.h, f.rect};
}

// Which picture stays behind and which one moves: with dir 0 the incoming
// picture moves over the outgoing one, with dir 1 the outgoing over the incoming.
struct Roles {
    const Pixel* background;
    const Pixel* moving;
};
inline Roles rolesOf(const Scene& s, int32_t dir) { return dir == 0 ? Roles{s.out, s.in} : Roles{s.in, s.out}; }

// The stage that runs from scale down to 0 with dir 0 and up from 0 with dir 1.
inline int32_t stageOf(const EffectParams* t, int32_t dir, float scale) {
    return truncToInt((dir == 0 ? 1.0f - t->progress : t->progress) * scale);
}

// The size unit of the 3D workers: 256 at 560 x 560.
inline int32_t sizeUnit(const Scene& s) { return ((s.w + s.h) * 256) / 1120; }

inline void copyWhole(const Scene& s, const Pixel* picture) {
    copyRect(s.dst, picture, 0, 0, s.clip, s.pitch, s.pitch);
}

// The picture with every channel times k / 256 (k 0..255).
inline void copyScaled(const Scene& s, const Pixel* picture, int32_t k) {
    const uint32_t m = static_cast<uint32_t>(k);
    for (int32_t y = 0; y < s.h; ++y) {
        const Pixel* from = picture + static_cast<ptrdiff_t>(y) * s.pitch;
        Pixel* to = s.dst + static_cast<ptrdiff_t>(y) * s.pitch;
        for (int32_t x = 0; x < s.w; ++x) {
            const Pixel p = from[x];
            to[x] = ((((p >> 16) & 0xFF) * m >> 8) << 16) | ((((p >> 8) & 0xFF) * m >> 8) << 8) |
                    ((p & 0xFF) * m >> 8);
        }
    }
}

// The record's scratch buffer `index`: acquired and filled by fill(buffer) on
// the first frame (or whenever the worker holds none), kept on every frame.
// Null when the pool has no free buffer.
template <class Fill>
Pixel* keptBuffer(EffectParams* t, int index, Fill&& fill) {
    const bool fresh = t->firstFrame || !t->buffers[index];
    if (fresh) t->buffers[index] = t->acquireBuffer(&t->slots[index]);
    Pixel* buffer = t->buffers[index];
    if (!buffer) return nullptr;
    t->keepBuffer(t->slots[index]);
    if (fresh) fill(buffer);
    return buffer;
}

}  // namespace threed
