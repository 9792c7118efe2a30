// Stretch transitions: pictures, or bands of them, squeezed, zoomed and tiled
// into rectangles that move with the progress. `source` is the outgoing picture,
// `source2` the incoming one; every worker draws the whole clip area of
// `destination`. Only the folding fan keeps state (its angle map in a scratch
// buffer); the others are functions of the progress alone.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Squeezes and zooms of whole pictures.
void renderStSizeUpDown(EffectParams* t, int32_t shrink);   // 1 shrink, 0 grow
void renderStMulti(EffectParams* t, int32_t direction);     // a tiled copy cross-fades in
void renderStMultiWorld(EffectParams* t, int32_t unused);   // mosaic to zooming picture
void renderStSide(EffectParams* t, int32_t direction);      // halves squeeze in from the sides
void renderStSideDual(EffectParams* t, int32_t direction);  // halves push the other picture together
void renderStUpDown(EffectParams* t, int32_t direction);    // the same from top and bottom
void renderStAlpha(EffectParams* t, int32_t direction);     // zoom out from the centre, fading in
void renderStAlphaMove(EffectParams* t, int32_t direction); // the same with a wandering window
void renderStJurum(EffectParams* t, int32_t direction);     // slide in with growing folds

// Folding fans and zoom blurs.
void renderStFoldingFan(EffectParams* t, int32_t direction, int32_t mapKind, int32_t turnSense, int32_t mapScale);
void renderStDiscrete(EffectParams* t, int32_t direction);   // three zoomed copies
void renderStDiscrete2(EffectParams* t, int32_t direction);  // fifteen zoomed copies

// Corner, cross and blind stretches.
void renderStCorner(EffectParams* t, int32_t direction, int32_t angleDegrees);
void renderStCross(EffectParams* t, int32_t direction, int32_t bands, int32_t angle);
void renderStCrossDual(EffectParams* t, int32_t bands, int32_t angle);
void renderStBlind(EffectParams* t, int32_t bands, int32_t variant);
void renderStBlindDual(EffectParams* t, int32_t bandPairs, int32_t variant);
