// The rigid 3D flag: the picture on a sine-waved sheet that swings about its
// centre, pushed by every beat, its wave height following the level.
//
// State kept in the record between frames: FlagState in the state area.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

struct FlagState {
    int32_t angleX, angleY, angleZ;   // 65536ths of a turn; only the low 16 bits count
    int32_t signX, signY, signZ;      // +1 or -1
    int32_t spin;                     // swing speed, pushed by beats, decaying without
    int32_t wavePhase;                // the wave runs one column a frame
};

void apply3DFlag(EffectParams* p);
