// Stretch image effects: the picture zoomed toward its centre with the level,
// either cropped and stretched or blended from several zoomed copies into a
// radial zoom blur. Nothing is kept between frames.
#pragma once

#include "engine/EffectParams.h"

void applyStUpDown(EffectParams* p);            // the middle cropped and stretched over the frame
void applyStAlphaStretch(EffectParams* p);      // zoom blur of 3 layers
void applyStAlphaStretch8(EffectParams* p);     // of 7 layers
void applyStAlphaStretch16(EffectParams* p);    // of 14 layers
