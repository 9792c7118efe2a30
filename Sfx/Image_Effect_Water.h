// Water image effects: the picture seen through water. A damped height field
// that sound-driven drops disturb (whole picture, or a pond that mirrors the
// picture above it); raindrop ripples, lens drops and a wiper on the glass; and
// closed-form waves, ribbed glass and a lake mirror.
//
// State kept in the record between frames: WaterState in the state area; the
// height planes, displacement planes or offset field in buffers[0] (slots[0]).
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

struct WaterState {
    int32_t waterPage;        // the height field's current plane, 0 or 1
    int32_t waterPhase;       // WaterMove, Water3
    float rainPrevLevel;      // RainFall: the level of the previous frame
    int32_t wiperSense;       // 1 while the blade climbs
    float wiperAngle;         // radians
    float splitDirX, splitDirY, splitTurn;   // Water6: the split point's direction and turn a frame
    int32_t splitBeats;
    // RainFall and RainFall2: active, x, y, age, strength, radius.
    // Water5: active, radius, (unused), radius^2, outer^2, inner^2.
    int32_t slots[50][6];
};

// Height field (constants: damping out of 1024, refraction shift, shade, drop depth).
void applyWtWater2002(EffectParams* p, int32_t damping, int32_t shift, int32_t shade, int32_t depth);
void applyWtPond(EffectParams* p, int32_t damping, int32_t shift, int32_t shade, int32_t depth);
void applyWtPond2(EffectParams* p, int32_t damping, int32_t shift, int32_t shade, int32_t depth);
// Rain and the wiper.
void applyWtRainFall(EffectParams* p);
void applyWtRainFall2(EffectParams* p);
void applyWtRainFall3(EffectParams* p);
void applyWtWiper(EffectParams* p);
// Waves and glass.
void applyWtWaterMove(EffectParams* p);
void applyWtWater(EffectParams* p);
void applyWtWaterLake(EffectParams* p);
void applyWtWater3(EffectParams* p);
void applyWtWater4(EffectParams* p);
void applyWtWater5(EffectParams* p);
void applyWtWater6(EffectParams* p);
void applyWtGlass(EffectParams* p);
void applyWtGlass2(EffectParams* p);

