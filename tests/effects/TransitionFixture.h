// What the transition tests share: the three pictures and the record as the
// engine fills it, and a one-block scratch pool that counts its calls.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/EffectParams.h"
#include "tests/support/TestSupport.h"

namespace vt_test {

// A one-block scratch pool that counts its calls and can run dry.
struct CountingPool {
    static inline std::vector<Pixel> block;
    static inline int acquires = 0, keeps = 0, lastKept = -1;
    static inline bool dry = false;
    static void reset() {
        block.assign(2702336 / 4, 0x00ABCDEF);
        acquires = keeps = 0;
        lastKept = -1;
        dry = false;
    }
    static Pixel* acquire(int32_t* slot) {
        ++acquires;
        if (dry) return nullptr;
        *slot = 7;
        return block.data() + 237824 / 4;
    }
    static int32_t keep(int32_t slot) {
        ++keeps;
        lastKept = slot;
        return slot;
    }
    static int32_t clear(Pixel*) { return 0; }
};

// Outgoing, incoming and canvas of one size, and the record as the engine fills it.
struct TransitionFrame {
    GuardedBuffer out, in, canvas;
    EffectParams record{};
    TransitionFrame(int w, int h, Pixel o = 0, Pixel i = 0, Pixel c = 0x0F0F0F) : out(w, h, o), in(w, h, i), canvas(w, h, c) {
        record.source = out.pixels();
        record.source2 = in.pixels();
        record.destination = canvas.pixels();
        record.rect = {0, 0, w, h};
        record.pitch = out.pitch();
        record.width = w;
        record.height = h;
        record.acquireBuffer = CountingPool::acquire;
        record.keepBuffer = CountingPool::keep;
        record.clearBuffer = CountingPool::clear;
    }
    EffectParams* at(float progress, int first = 1) {
        record.progress = progress;
        record.firstFrame = first;
        return &record;
    }
};

}  // namespace vt_test
