// 3D doors: the picture as a flat leaf turning in perspective, drawn as one
// flat-lit textured quad per leaf. Stateless.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// One leaf hinged at the left (side 0) or right (side 1) edge; swing +1 turns
// the free edge away from the viewer, -1 towards it. Dir 0 closes the incoming
// picture over the outgoing one, 1 opens the outgoing one onto the incoming.
void render3dOneDoor(EffectParams* t, int32_t dir, int32_t side, int32_t swing);
// Two leaves hinged at both edges, meeting in the middle.
void render3dTwoDoor(EffectParams* t, int32_t dir, int32_t swing);
// The whole picture half a turn about the vertical (Y) or horizontal (X)
// centre line, over black; the incoming picture is its back.
void render3dYRotoDoor(EffectParams* t);
void render3dXRotoDoor(EffectParams* t);
