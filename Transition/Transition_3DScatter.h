// 3D scattered tiles and bent meshes: tiles flying home, a crumpled mesh and a
// picture bent on a half cylinder while a slide passes. Each keeps its data in
// one scratch buffer from the first frame on; when the pool has none to give,
// the run shows only its background.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// cols x rows tiles of the moving picture fly in from random directions,
// spinning, shrinking and turning, and land (dir 0: the incoming picture).
void render3dBlockExplode2(EffectParams* t, int32_t cols, int32_t rows, int32_t dir);
// A cols x rows mesh whose vertices are pulled towards random points (spread
// in 1/1024 of width + height), flattening out (dir 0) or crumpling (dir 1).
void render3dGugim(EffectParams* t, int32_t dir, int32_t cols, int32_t rows, int32_t spread);
// The picture bends on a half cylinder (bulge +1 away from the viewer, -1
// towards it) while the slide carries the outgoing picture out and the incoming
// one in (slide 1 from the left, -1 from the right).
void render3dScv(EffectParams* t, float bulge, int32_t slide);
