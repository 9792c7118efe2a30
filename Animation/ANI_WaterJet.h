// The water jet: sixteen fountains on the bottom edge, one per eighth of the
// spectrum's 128 bands, shoot drops as high and as densely as their bands are
// loud; the drops fall back under gravity. Nodes: x, y in 1/128 pixel (y
// downward), velocity x, velocity y (upward), age, colour. The record's frame
// counter turns the colour of new drops.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void runWaterJet(EffectParams* record, int32_t gravity);

void WaterJet(EffectParams* record);   // runWaterJet(record, 128)
