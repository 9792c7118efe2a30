// Ring searches for the nearest pixel of a kind, and the reliefs built on
// them: every shape pixel of a mask (non-zero on black) gets a height from its
// distance to the shape's edge, the heights are smoothed and lit through the
// normal of the height surface, and the pixel is replaced by a shading word.
// Background pixels stay 0.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

constexpr int32_t kNoPixelFound = 1000000;   // the squared distance when a search finds nothing

// Searches the square ring at distance n around pixel `index` of a linear
// range of `count` pixels for black (all-zero) words; the squared distance of
// a candidate is n^2 + offset^2. Near the left and right edges the ring runs
// on into the neighbouring rows. Writes the smallest squared distance found
// (kNoPixelFound when none) and returns 1 when the ring held no black pixel.
int32_t findNearestPixel(const Pixel* mask, int32_t count, int32_t index, int32_t pitch, int32_t n,
                         int32_t* outDistance);
// As findNearestPixel, but a limit below the best distance is reported as found.
int32_t findNearestPixelAlt(const Pixel* mask, int32_t count, int32_t index, int32_t pitch, int32_t n,
                            int32_t* outDistance, int32_t limit);
// The ring around (x, y) clipped to a width x height buffer (width = pitch),
// looking for coloured pixels (non-zero low 24 bits).
int32_t findNearestPixelClipped(const Pixel* mask, int32_t width, int32_t height, int32_t x, int32_t y, int32_t n,
                                int32_t* outDistance);

// Circular bevel of radius w / 2 scaled by s (negative s sinks the relief).
// Shading word: bits 0-15 the diffuse gain in 256ths (+100, may exceed 255),
// bits 16-31 the highlight 0..256. A mask without black pixels in the RECT's
// rows counts every shape pixel as far from the edge.
void renderMaskRelief(Pixel* mask, const Rect& rect, int32_t pitch, float s, int32_t w, int32_t reserved);
// The same with the edge distance capped at distanceLimit (a plateau with a
// bevel one pixel wide for small limits).
void renderMaskReliefB(Pixel* mask, const Rect& rect, int32_t pitch, float s, int32_t w, int32_t reserved,
                       int32_t distanceLimit);
// Title relief with profile 0 (2 sqrt(D2)), 1 (D2 / 2) or 2 (bevel); other
// profiles are flat. Shading word: bits 0-7 gain min(255, diffuse + 100),
// bits 8-15 highlight, bits 16-23 the byte trunc(64 Ny), bits 24-31 the byte
// trunc(64 Nx) (two's complement slopes).
void renderTitleRelief(Pixel* mask, const Rect& rect, int32_t pitch, float s, int32_t w, int32_t profile);
