// Special image effects: wind smears blown by the sound, a shaking picture, an
// emboss blended with the music, an LED dot matrix, a relief of 3D blocks and a
// zoom that streaks the picture's border outward.
//
// State kept in the record between frames: SpecialState in the state area; the
// 3D blocks' relief tile in buffers[0] (slots[0]).
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

struct SpecialState {
    float embossPrevLevel;   // SP_Emboss: the level of the previous frame
};

void applySpWaveWind(EffectParams* p);
void applySpWind(EffectParams* p);
void applySpEarthQuake(EffectParams* p);
// Constants: emboss depth, the three colour factors out of 256, the grey offset,
// the contrast curve.
void applySpEmboss(EffectParams* p, int32_t depth, int32_t red, int32_t green, int32_t blue, int32_t offset,
                   int32_t curve);
void applySpLED(EffectParams* p);
// Constants: shape (2 disc, 3 grid), colour source (0 each pixel, 1 the block's
// centre), round (1: black outside the block's ellipse), relief (1 raised, 0 sunk).
void applySp3DBlock(EffectParams* p, int32_t shape, int32_t colourSource, int32_t round, int32_t raised);
void applySpChaosZoom(EffectParams* p);
