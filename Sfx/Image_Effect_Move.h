// Move image effects: the picture scrolled round once over the effect phase,
// whatever the sound. Nothing is kept between frames.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void applyMvScroll(EffectParams* p, int32_t direction);   // 0 to the left, 1 to the right
