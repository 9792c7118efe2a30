// Animation image effects: moving light over the picture. Glows that pop up at
// random places, 128 wandering glows sized by the spectrum, growing rings or
// fading discs, three kinds of rising smoke, and the particle animations of the
// animation family drawn over the picture.
//
// State kept in the record between frames: frameCounter (glow and ring ages,
// colour and drift counters), GlowState in the state area, the glow positions
// and smoke planes in buffers[0] / buffers[1] (slots[0] / slots[1]).
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

struct GlowState {
    int32_t glowAge2;
    int32_t glowPos1[2], glowPos2[2];
    int32_t smokePlane;   // which smoke plane is current, 0 or 1
};

// Counters and phases of the unit that run on across effects.
struct AnimationUnitWords {
    int32_t shiningColourCounter;   // AN_Shining2's cycling colour
    int32_t circleColourCounter;    // AN_Circle's and AN_Circle2's
    int32_t smokeCounter;           // AN_Smoke's drift
    int32_t fireCounter;            // AN_Smoke2's colour and drift
    double firePhase;               // AN_Smoke2's made-up spectrum under a time envelope
    double glowPhase;               // AN_Smoke3's wavy feed line
};
extern AnimationUnitWords animationUnitWords;

void applyAnShining(EffectParams* p);
void applyAnShining2(EffectParams* p);
void applyAnCircle(EffectParams* p, int32_t discs);   // 0 rings, 1 discs
// The smoke workers take two flags (both 0 from every row) and the smoke colour.
void drawSpectrumFire(EffectParams* p, int32_t flagA, int32_t flagB, uint32_t colour);
void drawRisingGlow(EffectParams* p, int32_t flagA, int32_t flagB, uint32_t colour);
void drawRisingSmoke(EffectParams* p, int32_t flagA, int32_t flagB, uint32_t colour);
void applyAnSmoke2(EffectParams* p);
void applyAnSmoke3(EffectParams* p);
void applyAnSmoke(EffectParams* p);
// The borrowed animations over the picture.
void applyAnBubble(EffectParams* p);
void applyAnBubble2(EffectParams* p);
void applyAnBubble3(EffectParams* p);
void applyAnFireWork(EffectParams* p);     // the picture, then the fireworks over it
void applyAnFireWork3D(EffectParams* p);
void applyAnSpace(EffectParams* p);         // the picture, then the star field
