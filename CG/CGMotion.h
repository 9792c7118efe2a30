// Title motions: the image comes in through one side of the frame, holds where
// the rasteriser placed it and leaves through a side, all within the title's
// life. Angles in degrees name the side: 0 left, 90 top, 180 right, 270 bottom.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Moves (x, y) in steps of 4 pixels along angleRadians until a box of
// boxWidth x boxHeight centred there lies wholly outside the frame; the point
// ends one step beyond the first such place.
void offscreenPoint(int32_t* x, int32_t* y, int32_t boxWidth, int32_t boxHeight, int32_t frameWidth,
                    int32_t frameHeight, float angleRadians);

// Sets titleCenter for this frame (and titleMotionPath on the first frame):
// entering over inMs, holding, leaving over outMs (each at most half the life).
void moveTitleBox(EffectParams* params, int32_t inAngle, int32_t inMs, int32_t outAngle, int32_t outMs);

// "Still": the image stays where the rasteriser placed it.
void moveTitleStill(EffectParams* params);
// The scroll rows: the hold point is the frame's middle column (LeftScroll) or
// row (UpScroll), and the pass takes the whole life.
void moveTitleLeftScroll(EffectParams* params, int32_t inAngle, int32_t inMs, int32_t outAngle, int32_t outMs);
void moveTitleUpScroll(EffectParams* params, int32_t inAngle, int32_t inMs, int32_t outAngle, int32_t outMs);
