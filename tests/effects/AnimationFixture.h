// What the animation tests share: a small scratch pool whose room can be taken
// away, and an animation record aimed at two layers as the runtime fills it.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>

#include "Animation/ANI_AdvancedAnimation.h"
#include "Animation/ANI_Plasma.h"
#include "Animation/ANI_PlasmaGenerators.h"
#include "Animation/AnimationShared.h"
#include "AnimationEffect/ANIEffectPlain.h"
#include "AnimationEffect/ANIEffectWarping.h"
#include "engine/EffectParams.h"
#include "tests/effects/ImageEffectFixture.h"
#include "tests/support/TestSupport.h"

namespace vt_test {

// Up to four blocks of the pool's size, handed out 237,824 bytes in; `room`
// says how many may be out at once (0: the pool is full).
struct AnimationTestPool {
    static constexpr int kBlocks = 4;
    static constexpr size_t kBlockPixels = 2702336 / 4;
    static constexpr size_t kLeadPixels = 237824 / 4;

    static AnimationTestPool& get() {
        static AnimationTestPool pool;
        return pool;
    }
    // Every block free again; with a poison seed their contents are refilled
    // with a pattern of that seed, so a buffer read before it is written shows.
    void reset(int room, uint32_t poison = 0) {
        room_ = room;
        std::memset(out_, 0, sizeof out_);
        if (!poison) return;
        for (auto& block : blocks_) {
            if (!block) block = std::make_unique<Pixel[]>(kBlockPixels);
            uint32_t v = poison * 2654435761u;
            for (size_t i = 0; i < kBlockPixels; ++i) block[i] = (v = v * 1664525u + 1013904223u) >> 8;
        }
    }
    static Pixel* acquire(int32_t* slot) {
        AnimationTestPool& p = get();
        for (int s = 0, outNow = p.outCount(); s < kBlocks && outNow < p.room_; ++s) {
            if (p.out_[s]) continue;
            if (!p.blocks_[s]) p.blocks_[s] = std::make_unique<Pixel[]>(kBlockPixels);
            p.out_[s] = 1;
            *slot = 10 + s;
            return p.blocks_[s].get() + kLeadPixels;
        }
        return nullptr;
    }
    static int32_t keep(int32_t slot) { return slot; }
    // Zeroes the whole block the pointer lies in, as the runtime's pool does.
    static int32_t clear(Pixel* buffer) {
        std::memset(buffer - kLeadPixels, 0, kBlockPixels * sizeof(Pixel));
        return 0;
    }
    int outCount() const {
        int n = 0;
        for (int s = 0; s < kBlocks; ++s) n += out_[s];
        return n;
    }

private:
    std::unique_ptr<Pixel[]> blocks_[kBlocks];
    int out_[kBlocks] = {};
    int room_ = kBlocks;
};

// The record of one animation frame: source = the layer of the previous frame,
// destination = the layer drawn now; the first-frame flag set.
inline void aimAnimationRecord(EffectParams& p, GuardedBuffer& previous, GuardedBuffer& layer) {
    aimRecord(p, previous, layer);
    p.acquireBuffer = AnimationTestPool::acquire;
    p.keepBuffer = AnimationTestPool::keep;
    p.clearBuffer = AnimationTestPool::clear;
    p.constant16 = 16;
}

// The state the plasma, "Shift" and warp rows keep across cycles by design, put
// back to the process's start; "SmartEffect" reseeds from a fixed clock.
inline void resetAnimationProcessState() {
    resetAnimationRunState();
    setMatrixClock([]() -> uint32_t { return 1234567; });
    resetPlasmaGenerators();
    resetPlasmaAnimations();
    resetPlainEffects();
    setWarpReseedClock([]() -> uint32_t { return 4242; });
}

}  // namespace vt_test
