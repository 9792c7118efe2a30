// The 3D flag transition: the moving picture hung on a cloth flag that waves in
// a gusty wind, sliding in from the left (dir 0) or out to the left (dir 1)
// over the other picture. The unit keeps its own cloth, rebuilt on the first
// frame of each run; its wind strength carries over from the frame before.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void render3dFlag2(EffectParams* t, int32_t dir);
