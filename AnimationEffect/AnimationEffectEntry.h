// The guarded entry of the animation-effect rows that carry a guard of their
// own (the plain rows). A row's entry is one instantiation: the body is a
// template argument, so a table row is plain data.
#pragma once
#include <cstdint>

#include "engine/CrashLog.h"
#include "engine/EffectParams.h"

enum class AnimationEffectUnit : int32_t { Plain, Warping };

constexpr const char* animationEffectUnitPath(AnimationEffectUnit unit) {
    return unit == AnimationEffectUnit::Plain ? "AnimationEffect\\ANIEffectPlain"
                                              : "AnimationEffect\\ANIEffectWarping";
}

// Body(record) under the fault guard; a fault is logged with the unit and Line
// and the layer keeps what was written before it.
template <AnimationEffectUnit Unit, int Line, auto Body>
void animationEffectEntry(EffectParams* record) {
    runGuardedEntry(animationEffectUnitPath(Unit), Line, [record] { Body(record); });
}

#define VT_ANIMATION_EFFECT_ENTRY(unit, body) (&animationEffectEntry<AnimationEffectUnit::unit, __LINE__, body>)
