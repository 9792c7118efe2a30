// Push transitions: in every band the incoming picture follows the outgoing one
// one band length behind, pushing it out; alternate bands move in opposite
// senses. Stateless; every worker draws the whole clip area of `destination`.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void renderPsCross(EffectParams* t, int32_t count, int32_t angle);   // bands of angle 0, 90 or oblique
void renderPsLineCross(EffectParams* t);                            // every pixel row its own band
