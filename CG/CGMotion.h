// Title motions: where the title image centre lies on each frame.
#pragma once
#include "engine/EffectParams.h"

// "Still": the image stays where the rasteriser placed it.
void moveTitleStill(EffectParams* params);
