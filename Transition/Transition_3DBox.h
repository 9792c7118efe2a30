// 3D orthogonal turn and turning box. Both draw the whole frame from progress
// alone; the orthogonal turn sets the shared camera's viewport and projection
// on its first frame.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// A lit 33 x 33 mesh of the moving picture spun (spin factor) and tipped about
// an axis at axisDegrees until edge-on; dir 0 brings the incoming picture in.
void render3dOrthogonal(EffectParams* t, int32_t dir, int32_t spin, int32_t axisDegrees);
// A box with the outgoing picture in front and the incoming one on its right
// face turned a quarter turn, pushed back into the screen and forward again.
void render3dRotoBox(EffectParams* t);
