// Spectrum fires: 64 animated flames along the bottom of the frame, each as tall
// as a smoothed spectrum value, cut from the engine's fire picture (33 flame
// frames of 30 x 110 in a 330 x 360 sheet) and recoloured once per run.
//
// The sheet lives in one kept scratch buffer (buffers[0]); the flame frame index
// and the 64 smoothed values last the whole run.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// colouring: 0 red (as drawn), 1 blue, 2 green, 3 purple, 4 pink, 5 cyan.
void drawSpriteFire(EffectParams* record, int32_t colouring);

// The channel exchange of one colouring.
Pixel recolourFire(Pixel pixel, int32_t colouring);

void resetSpriteFireState();
