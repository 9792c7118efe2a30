// Geometry image effects: the picture's pixels rearranged, not recoloured.
//
// State kept in the record between frames (mirror blend only):
//   stateWords[0]  the direction toggle, flipped on a beat
//   stateWords[1]  the mirror weight 0..16
#pragma once

#include "engine/EffectParams.h"

void applyGmMultiVision(EffectParams* p);   // tiling zoom about the centre, finer when louder
void applyGmSymetry2(EffectParams* p);      // blend toward the mirror image, swung by the beat
