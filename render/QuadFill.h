// A flat quadrilateral fill and the glass-ball sprites of the ball animations.
//
// A ball is drawn from a square shading sprite built once by drawBallSprite;
// its channels are three maps, not a picture:
//   bits 0-7    shade: diffuse shade 55..255, lit from up and right
//   bits 8-15   tint weight: 0 at the centre, 128 on the rim (larger only in
//               the corners outside the ball, where it runs into the bits above)
//   bits 16-23  highlight: specular brightness 0..200 added on top
// The glass-ball routines draw balls of any diameter from it, seeing a
// displaced, lens-distorted background through the ball. The sprite is read
// with the destination's pitch.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

struct QuadFillRecord {
    Pixel* pixels;
    Rect clip;
    int32_t pitch;
    const int32_t* p0;       // corner points (x, y)
    const int32_t* p1;
    const int32_t* p2;
    const int32_t* p3;
    const Pixel* colour;
};
// Fills the quadrilateral's rows and columns inside the clip; spans include
// both edges, except the lower bands of a quad whose middle corners both lie
// left of the diagonal, which leave out the right end.
void fillQuad(const QuadFillRecord& quad);

// Writes the d x d shading sprite with its top-left at (x, y) (not clipped).
// The second-highlight flag adds a weaker highlight down and left.
void drawBallSprite(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t d, int32_t secondHighlight);
// A glass ball of diameter d centred at (x, y), clipped to (0, 0, W, H): the
// sprite scaled by zoom / d, tinted, mixed with the background seen through a
// lens (black where the lens looks outside the frame). Nothing when d is 0.
void drawGlassBall(Pixel* dst, const Pixel* background, int32_t pitch, int32_t x, int32_t y, int32_t d,
                   const Pixel* sprite, int32_t zoom, Pixel tint, int32_t width, int32_t height);
// Finer sprite step (zoom taken as a signed 16-bit value), twice the lens
// displacement, the result written to both destinations.
void drawGlassBallB(Pixel* dst, Pixel* dst2, const Pixel* background, int32_t pitch, int32_t x, int32_t y,
                    int32_t d, const Pixel* sprite, int32_t zoom, Pixel tint, int32_t width, int32_t height);
// The tinted ball without a background, the rim included.
void drawGlassBallClipped(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t d, const Pixel* sprite,
                          int32_t zoom, Pixel tint, int32_t width, int32_t height);
