// 3D jigsaw explosions: the moving picture cut into jigsaw pieces that tumble
// towards the viewer about random axes, lit and depth-tested. The puzzle and
// each piece's motion are made on the first frame and kept in one scratch
// buffer; without one the run shows only its background.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Square tabs.
void render3dRealBlockExplode(EffectParams* t, int32_t dir, int32_t cols, int32_t rows);
// Round tabs.
void render3dRealBlockExplode2(EffectParams* t, int32_t dir, int32_t cols, int32_t rows);
// Smooth curved edges traced into a mask and filled.
void render3dRealBlockExplode3(EffectParams* t, int32_t dir, int32_t cols, int32_t rows);
