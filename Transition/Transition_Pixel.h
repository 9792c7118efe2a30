// Pixel transitions: every pixel changes on its own. The threshold workers switch
// each pixel from the outgoing to the incoming picture at its own moment, from a
// per-pixel map made on the first frame; the moving workers carry one picture's
// pixels one by one over the other.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void renderPxRand(EffectParams* t);                       // random dissolve
void renderPxCircle(EffectParams* t, int32_t dir);        // 0: opens from the centre, 1: from the corners
void renderPxLine(EffectParams* t, int32_t angle);        // a soft front from an edge or corner (degrees)
void renderPxCorner(EffectParams* t, int32_t angle);      // a rectangle growing from a corner (45, 135, 225, 315)
void renderPxSpray(EffectParams* t);                      // a wandering spray can

// Direction 0 moves the incoming picture in over the outgoing one, 1 moves the
// outgoing picture away over the incoming one.
void renderPxSlideTop(EffectParams* t, int32_t dir);      // pixels rain down and pile up
void renderPxSlideBottom(EffectParams* t, int32_t dir);   // streaks slide down
void renderPxExplode(EffectParams* t, int32_t dir);       // flung out from the centre
void renderPxStretch(EffectParams* t, int32_t dir);       // a cloud of dots growing about the centre
