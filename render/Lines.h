// Line drawing: anti-aliased (blended, additive, lightening), profile, gradient
// and fading light-ray lines. Colours are 0x00RRGGBB unless stated.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

// One-pixel anti-aliased line blended over the picture, clipped one pixel inside clip.
void drawLineAA(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0, int32_t x1,
                int32_t y1, Pixel colour);
// Anti-aliased edges around a solid core of thickness - 1 pixels.
void drawThickLineAA(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0,
                     int32_t x1, int32_t y1, Pixel colour, int32_t thickness);
// The same geometry added with saturation.
void drawAdditiveLine(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0,
                      int32_t x1, int32_t y1, Pixel colour, int32_t thickness);
// The same geometry as a per-channel maximum.
void drawThickLineLighten(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0,
                          int32_t x1, int32_t y1, Pixel colour, int32_t thickness);
// A line n pixels wide each side whose cross-section runs white - colour - black;
// colour is 0x00BBGGRR.
void drawProfileLine(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0,
                     int32_t x1, int32_t y1, uint32_t colour, int32_t n);
// One-pixel line from startColour toward endColour; not clipped.
void drawGradientLine(Pixel* dst, int32_t pitch, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                      Pixel startColour, Pixel endColour);
// Additive ray from (x0, y0) (not drawn) to (x1, y1), fading out, clipped to (0, 0, W, H).
void drawLightRay(Pixel* dst, int32_t pitch, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                  Pixel colour, int32_t width, int32_t height);
