// What the image-effect tests share: a record aimed at a picture and a canvas
// as the runtime fills it, and one scratch block handed out like the pool's.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/EffectParams.h"
#include "tests/support/TestSupport.h"

namespace vt_test {

inline std::vector<Pixel>& testScratchBlock() {
    static std::vector<Pixel> block(2702336 / 4);
    return block;
}
// The block's usable pointer, 237,824 bytes in, as the pool returns it.
inline Pixel* testScratchPointer() { return testScratchBlock().data() + 237824 / 4; }
inline Pixel* acquireTestBlock(int32_t* slot) {
    *slot = 3;
    return testScratchPointer();
}

// Source, destination, size and pitch of the frame, and the first-frame flag.
inline void aimRecord(EffectParams& p, GuardedBuffer& picture, GuardedBuffer& canvas) {
    p.source = picture.pixels();
    p.destination = canvas.pixels();
    p.rect = {0, 0, picture.width(), picture.height()};
    p.pitch = picture.pitch();
    p.width = picture.width();
    p.height = picture.height();
    p.zeroWord = 0;
    p.firstFrame = 1;
}

inline int32_t keepAnySlot(int32_t slot) { return slot; }

// A picture, a canvas preset to `untouched` and a record aimed at them, driven
// one frame at a time with the engine's raw level and beat.
struct EffectRun {
    GuardedBuffer picture, canvas;
    EffectParams p{};
    int16_t spectrum[128]{};
    int16_t samples[256]{};

    EffectRun(int w, int h, Pixel untouched = 0x00ABCDEF) : picture(w, h), canvas(w, h, untouched) {
        aimRecord(p, picture, canvas);
        p.duration = 4000;
        p.acquireBuffer = acquireTestBlock;
        p.keepBuffer = keepAnySlot;
        p.spectrum = spectrum;
        p.samples = samples;
    }
    template <class Body>
    EffectRun& frame(Body body, float level, int beat = 0) {
        p.level = level;
        p.beat = beat;
        body(&p);
        p.firstFrame = 0;
        return *this;
    }
};

}  // namespace vt_test
