// Light dots. Three level-driven rows wander over the picture on slow sine
// paths (a mirrored cloud of dots, a cloud of sparkles, a seven-fold star of
// shaded discs); four spectrum rows set 60 or 128 discs, flares, glows or glass
// balls on a slowly turning circle whose radius follows each band.
//
// The unit's phases, Dot3's turning vector and the spectrum radii last the whole
// run: a row that runs again goes on where it stopped.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Unpacked workers; only the low 8 bits of the level are used.
void drawDotCloud(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level);      // Dot
void drawDotSparkles(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level);   // Dot2
void drawDotStar(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level);       // Dot3

// type 0 bubble discs, 1 light crosses, 2 glows (128 items for 1 and 2, else 60),
// 3 glass balls through two kept work buffers.
void drawSpectrumDots(EffectParams* record, int32_t type);

void resetDotState();
