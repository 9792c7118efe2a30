// Plain animation effects: the animation layer of the previous frame (the
// record's source) filtered into the new layer (its destination) before the
// animation draws over it, so trails and blurs build up frame by frame.
#pragma once
#include "engine/EffectParams.h"

// One offset drawn for the whole frame (a row, a row and a pixel, a row less a
// pixel, or a pixel); every pixel becomes the per-channel mean of the two source
// pixels that far before and after it, halves rounded down. Reads one row and one
// pixel into the margin.
void applyBlurSlow(EffectParams* p);
