// The cloth flag: the picture hung on a cloth of 8 x 11 nodes, refined to a
// smooth 15 x 21 mesh. These are the flag's own steps; the cloth that moves
// the nodes is stepped by its caller.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"
#include "render/Camera3D.h"
#include "render/Cloth.h"

constexpr int32_t kFlagRows = 2 * kClothRows - 1, kFlagCols = 2 * kClothCols - 1;   // 15 x 21

// "3D_Flag2": the picture on its own cloth, blown by a wind that follows the level.
void apply3DFlag2(EffectParams* p);

// The flag's size over the effect: it shrinks into view over the first tenth,
// holds 0.8, and grows out over the last tenth.
float clothFlagScale(float progress);

// The mesh from the cloth's node positions (x, y, z, row-major): the nodes on
// the even rows and columns (x and y scaled), every point between them by the
// four-point rule 0.62 (b + c) - 0.12 (a + d) across b and c, first along the
// node rows, then down every column.
void buildClothFlagGrid(const float (*nodes)[3], float xScale, float yScale, MeshGrid* grid);
