// What the runtime calls in the effect families. Each program links its own
// tables (the engine the full ones, the authoring program its preview ones) and
// hands their dispatchers and row counts to the runtime through this record, so
// the runtime's logic never links a particular table and tests can pass their own.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

struct FamilyServices {
    void (*runTransition)(int row, EffectParams* record) = nullptr;
    const int32_t* transitionCount = nullptr;
    void (*runImageEffect)(int row, EffectParams* record) = nullptr;
    const int32_t* imageEffectCount = nullptr;
    void (*runTitleStyle)(int styleRow, EffectParams* record) = nullptr;
    void (*runTitleMotionEffect)(int motionRow, int effectRow, EffectParams* record) = nullptr;
    // Four words: styles, positions, motions, title effects.
    const int32_t* titleCounts = nullptr;
    void (*runAnimation)(int row, EffectParams* record) = nullptr;
    const int32_t* animationCount = nullptr;
    void (*runAnimationEffect)(int row, EffectParams* record) = nullptr;
    const int32_t* animationEffectCount = nullptr;
    void (*resetParticleLists)() = nullptr;
    // Frees what the particle animations hold (the window's shut-down).
    void (*freeParticleLists)() = nullptr;
    // Where the animation-effect row "BlurSlow" stands, which every transition
    // into an animation runs: row 19 of the complete table; a table with rows
    // still missing holds it elsewhere. Null: 19.
    const int32_t* blurSlowRow = nullptr;
};

// A family whose table has no rows yet (or no table at all) counts as 0 rows.
inline int32_t familyCount(const int32_t* count) { return count ? *count : 0; }

inline int32_t blurSlowRowOf(const FamilyServices* families) {
    return families && families->blurSlowRow ? *families->blurSlowRow : 19;
}
