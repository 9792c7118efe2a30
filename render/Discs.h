// Discs, rings and glows. Centre and radii in pixels, colours 0x00RRGGBB.
// "Clipped" keeps clip.left <= column < clip.right (and the rows likewise);
// "strict" keeps clip.left < column < clip.right: the first column and row of the
// clip are never drawn. Unclipped shapes must lie inside the buffer.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

// Blend growing toward the rim: clear centre, coloured edge.
void drawBubbleDisc(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x, int32_t y, int32_t r,
                    Pixel colour);
// White at the centre shading to the colour at the rim.
void fillShadedDisc(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour);
// Soft-edged rings of half-width w about radius r (blended / added).
void drawSoftRing(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, int32_t w, Pixel colour);
void drawAdditiveRing(Pixel* dst, int32_t pitch, const Rect& clip, int32_t x, int32_t y, int32_t r,
                      int32_t w, Pixel colour);
// Opaque ring of thickness t inside radius r.
void fillRing(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, int32_t t, Pixel colour);
void fillDisc(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour);
void fillDiscClipped(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x, int32_t y, int32_t r,
                     Pixel colour);
// weight 0..256 of the colour.
void blendDiscClipped(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x, int32_t y, int32_t r,
                      Pixel colour, int32_t weight);

// Additive glows; intensity 64 gives about the full colour at the centre.
void drawGlowDisc(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour,
                  uint32_t intensity);
void drawGlowDiscClipped(Pixel* dst, int32_t pitch, const Rect& clip, int32_t x, int32_t y,
                         int32_t r, Pixel colour, uint32_t intensity);
// One quarter mirrored four times: a brighter cross through the centre.
void drawGlowDiscB(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour,
                   uint32_t intensity);
void drawGlowCross(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour,
                   uint32_t intensity);
// A ring-shaped glow, brightest on a circle inside radius R.
void drawGlowDiscExact(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t R, Pixel colour,
                       uint32_t intensity);
// Paraboloid glows.
void drawGlowDiscC(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour,
                   uint32_t intensity);
void drawGlowDiscCClipped(Pixel* dst, int32_t pitch, const Rect& clip, int32_t x, int32_t y,
                          int32_t r, Pixel colour, uint32_t intensity);
// Opaque shaded balls lit from the upper left.
void drawAdditiveDisc(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t r, Pixel colour,
                      int32_t reserved);
void drawAdditiveDiscClipped(Pixel* dst, int32_t pitch, const Rect& clip, int32_t x, int32_t y,
                             int32_t r, Pixel colour, int32_t reserved);
// A plus-shaped flare with arms of the given length, fading to nothing.
void drawLightCrossB(Pixel* dst, int32_t pitch, const Rect& clip, int32_t x, int32_t y,
                     int32_t length, int32_t red, int32_t green, int32_t blue);
