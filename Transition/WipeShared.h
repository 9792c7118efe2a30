// What the wipe units share: row spans copied from one picture or the other,
// the kept scratch buffer, and the state words the curtains count with.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Transition/TransitionFrame.h"
#include "engine/ScratchPool.h"

namespace wipe {

// Columns [from, to) of row y from `picture` into the canvas, cut to the row.
inline void copySpan(const TransitionFrame& f, int32_t y, const Pixel* picture, int32_t from, int32_t to) {
    from = std::max(from, 0);
    to = std::min(to, f.w);
    if (to <= from) return;
    const ptrdiff_t at = f.at(from, y);
    std::memcpy(f.canvas + at, picture + at, static_cast<size_t>(to - from) * sizeof(Pixel));
}

// Row y: columns left of c from `left`, the others from `right`.
inline void splitRow(const TransitionFrame& f, int32_t y, int32_t c, const Pixel* left, const Pixel* right) {
    c = std::clamp(c, 0, f.w);
    copySpan(f, y, left, 0, c);
    copySpan(f, y, right, c, f.w);
}

// The worker's scratch buffer: acquired on the first frame (and again on a
// later one when the pool had none free then), kept on every frame. *fresh
// says the contents are new and must be built. Null when the pool has no
// buffer or `bytes` (counted from the handed-out pointer) would not fit.
inline Pixel* keptBuffer(EffectParams* t, int64_t bytes, bool* fresh) {
    *fresh = false;
    if (t->firstFrame || !t->buffers[0]) {
        t->buffers[0] = t->acquireBuffer ? t->acquireBuffer(&t->slots[0]) : nullptr;
        *fresh = true;
    }
    if (!t->buffers[0]) return nullptr;
    t->keepBuffer(t->slots[0]);
    if (bytes > int64_t{kScratchBlockBytes} - kScratchLeadBytes) return nullptr;
    return t->buffers[0];
}

// Bytes of a per-pixel table of int32 entries laid out with the frame's pitch.
inline int64_t frameTableBytes(const TransitionFrame& f) {
    return (static_cast<int64_t>(f.h) * f.pitch) * static_cast<int64_t>(sizeof(int32_t));
}

// Counters kept in the record's state words; they go on counting from one
// transition to the next.
struct Words {
    uint32_t curtainWaveFrame;
    uint32_t fireWaveFrame;
    uint32_t flameFrame;
};
inline Words& words(EffectParams* t) { return effectState<Words>(t); }

// Per-channel (a x (4096 - w) + b x w) >> 12, w held to 0..4096.
inline Pixel mix4096(Pixel a, Pixel b, int32_t w) {
    const uint32_t k = static_cast<uint32_t>(std::clamp(w, 0, 4096)), j = 4096 - k;
    const uint32_t r = (((a >> 16) & 255) * j + ((b >> 16) & 255) * k) >> 12;
    const uint32_t g = (((a >> 8) & 255) * j + ((b >> 8) & 255) * k) >> 12;
    const uint32_t bl = ((a & 255) * j + (b & 255) * k) >> 12;
    return r << 16 | g << 8 | bl;
}

}  // namespace wipe
