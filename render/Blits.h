// Keyed centred blits, text into a pixel buffer, and saturating point operations.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

// The non-zero pixels of the source RECT, centred at (cx, cy) (an odd width or
// height loses its last column or row), clipped to (0, 0, width, height).
void blitKeyedCentered(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect,
                       int32_t dstPitch, int32_t srcPitch, int32_t width, int32_t height);

// Draws text in a bold font of the face and cell height with its top-left at (x, y),
// clipped to the size of clip; colour is a platform colour 0x00BBGGRR (it lands in
// the buffer as 0x00RRGGBB). Black is transparent, so black text is invisible.
// Returns 1, or 0 (nothing drawn) when the font or its bitmap cannot be made.
int32_t drawTextToBuffer(Pixel* dst, const Rect& clip, int32_t pitch, const char* text,
                         uint32_t colour, int32_t x, int32_t y, int32_t height,
                         const char* faceName);

// The pixel at (x, y) gets the saturating add of colour.
void addPixelSaturated(Pixel* dst, int32_t pitch, int32_t x, int32_t y, Pixel colour);
// A plus of arm length 2 (nine pixels), each added separately.
void addSparkle(Pixel* dst, int32_t pitch, int32_t x, int32_t y, Pixel colour);
// (pixel at (x, y)) + colour, saturating, written to eight pixels of a plus whose
// right arm is one pixel long.
void addPixelSaturatedB(Pixel* dst, int32_t pitch, int32_t x, int32_t y, Pixel colour);
