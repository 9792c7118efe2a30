// The cloth flag: the picture hung on a cloth of 8 x 11 nodes, refined to a
// smooth 15 x 21 mesh by buildClothFlagGrid (render/Cloth.h, shared with the
// flag transition).
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"
#include "render/Camera3D.h"
#include "render/Cloth.h"

// "3D_Flag2": the picture on its own cloth, blown by a wind that follows the level.
void apply3DFlag2(EffectParams* p);

// The flag's size over the effect: it shrinks into view over the first tenth,
// holds 0.8, and grows out over the last tenth.
float clothFlagScale(float progress);
