// The bonus spiral: a colour spiral over the whole clip that turns with the
// smoothed level and reverses on every beat. The spiral map (one word per pixel,
// the frame's pitch) is built once per run in a kept scratch buffer; the phase
// lives in the record's frame counter, the direction in state word 1.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// waves: sine waves round the wave table; tightness of the spiral; mode 0 draws
// the spiral only on beat frames, 1 over half the layer, 2 over a quarter of it.
void runBonus(EffectParams* record, int32_t waves, int32_t tightness, int32_t mode);

// The map word of the pixel (x, y) from the clip centre.
int32_t spiralMapValue(int32_t x, int32_t y, int32_t tightness);
