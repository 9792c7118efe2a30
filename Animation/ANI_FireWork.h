// Fireworks: on every beat a burst of sparks flies out from a random point of
// the upper picture, eases towards a resting distance, sags and fades. The 2D
// worker draws fading five-pixel crosses; the 3D worker flies the sparks in
// space, turns the scene about the vertical axis and projects it.
//
// Both share FireWorkParticles. Nodes: x, y (z) in 1/128 pixel, y upward;
// velocities; the launch point in restX/Y/Z; age and lifetime in frames; colour.
// Record words: the frame counter and the colour phase (one step a frame).
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void runFireWork(EffectParams* record, int32_t gravity, int32_t approach);
void runFireWork3D(EffectParams* record, int32_t gravity, int32_t approach);

// Guarded entries: the animation rows, also called by the image effects
// AN_FireWork and AN_FireWork3D on the image-effect record.
void FireWork(EffectParams* record);     // runFireWork(record, 128, 128)
void FireWork3D(EffectParams* record);   // runFireWork3D(record, 128, 128)
