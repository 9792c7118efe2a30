// The text style passes of the title rasteriser. Each takes the title image
// (`pixels` addresses pixel (0, 0), rows of `rowLength` pixels), works inside
// `rect` and changes the pixels in place; a lit pixel is one that is not 0, and
// 0 stays transparent. Reads and walks stay inside `rect`: pixels beyond it count
// as background.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

// Raised glyphs lit from the upper left; the height grows with the distance to
// the glyph's edge by `profile` 0 (2 sqrt d²), 1 (d² / 2) or 2 (a round bevel
// of radius size / 2). `depth` scales the heights.
void renderStyleBevel(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t depth, int32_t size,
                      int32_t profile);
// Relief with ripples running in from every edge (cosine ripple).
void renderStyle3DUltung(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t depth, int32_t size);
// The same with a two-sine ripple and a stronger highlight.
void renderStyle3DUltung2(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t depth, int32_t size);
// A one-pixel outline of colour `outline` (1: near black but opaque).
void renderStyleBlackFrame(Pixel* pixels, const Rect& rect, int32_t rowLength, Pixel outline);
// White glyphs with a rim of their own colour one pixel inside and outside.
void renderStyleWhiten(Pixel* pixels, const Rect& rect, int32_t rowLength);
// A six-pixel diagonal shadow in half the title colour (`titleColor` in COLORREF order).
void renderStyleShadow(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t titleColor);
// A two-pixel rim, light above and to the left, dark below and to the right.
void renderStyleBolok(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t titleColor);
// A white box two pixels inside the image edge.
void renderStyleBoxFrame(Pixel* pixels, const Rect& rect, int32_t rowLength);
// White glyphs in a halo fading to the title colour about seven pixels out.
void renderStyleNeon(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t titleColor);
// The upper-left edges of the glyphs and a three-pixel extrusion to the lower right.
void renderStyleShadowOnly(Pixel* pixels, const Rect& rect, int32_t rowLength);

// COLORREF (red in the low byte) to 0x00RRGGBB.
inline Pixel colorRefToPixel(int32_t color) {
    const uint32_t c = static_cast<uint32_t>(color);
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
