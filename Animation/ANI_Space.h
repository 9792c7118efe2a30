// The star field: stars are born near the centre and fly outwards, faster each
// frame, as a glowing sprite each (SpaceStarSprite); their number follows the
// level and doubles on beats. Nodes: x, y in 1/64 pixel from the clip's top-left
// corner, velocity (added after >> 4), age.
#pragma once
#include "engine/EffectParams.h"

void runSpace(EffectParams* record);

// Guarded entry: the animation row, also called by the image effect AN_Space.
void Space(EffectParams* record);
