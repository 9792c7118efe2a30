// Bubbles rise from the bottom edge, wobble sideways, grow in number with the
// sound level and pop at random. One worker draws them in four styles:
//   0  a lens that shows the source magnified at the centre, squeezed at the rim
//   1  glass balls chained through two work buffers, over the source picture
//   2  glass balls chained through two work buffers, over the layer as it is
//   3  tinted metal balls
//
// State: the unit's set-up values and the bubble list (BubbleParticles); in the
// record the frame counter, the colour phase and the kept scratch buffers
// buffers[0..2] / slots[0..2]: the ball sprite, work buffers A and B.
// Bubble nodes: x, y in 1/256 pixel, radius in pixels, colour.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// riseFactor: rise per frame per pixel of radius (scaled by the frame height);
// radiusFactor: bubble size; rateFactor: births per unit of level.
void runBubbles(EffectParams* record, int32_t riseFactor, int32_t radiusFactor, int32_t rateFactor,
                int32_t style);

// Guarded entries: the animation rows...
void Bubble(EffectParams* record);        // style 2
void MetalBubble(EffectParams* record);   // style 3; image effect AN_Bubble3 too
// ...and the presets that take the image-effect record.
void runBubbleStyle0(EffectParams* record);   // AN_Bubble: the caller copies the picture first
void runBubbleStyle1(EffectParams* record);   // AN_Bubble2: copies the picture itself

// The lens of one bubble centred at (cx, cy) with lens radius r, from the
// record's source into its destination (style 0).
void drawBubbleLens(const EffectParams* record, int32_t cx, int32_t cy, int32_t r);
