// Curves into masks and pixel buffers, and scanline seed fills: effects draw a
// closed curve into a mask, flood its inside from a seed and copy or mark it.
//
// Each drawing operation exists for 32-bit buffers and for byte masks. Lines
// and curves write only the pixels inside their RECT (right and bottom
// exclusive); pixel (x, y) is at buffer + y * pitch + x.
//
// The fills walk spans with an explicit stack and mark what they have visited,
// so any region (a whole 800 x 600 frame, a shape with holes) ends without
// deep recursion. Rows top and bottom - 1 of the RECT are never spanned: a
// span next to them writes the value into the single pixels it touches there.
// UI thread only: the fills share the static FillTarget and work arrays.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

struct FillTarget {
    Pixel* target;            // 32-bit target and its pitch (elements per row)
    int32_t targetPitch;
    int32_t targetLeft, targetTop;   // the frame point the target's first pixel stands for
    const Pixel* source;      // 32-bit source and its pitch
    int32_t sourcePitch;
    uint8_t* mask;            // byte mask, its pitch and its RECT
    int32_t maskPitch;
    Rect maskRect;
};
FillTarget& fillTarget();

// The target's first pixel stands for frame point (0, 0) until setFillTargetOrigin.
void setFillTarget(Pixel* target, int32_t targetPitch, const Pixel* source, int32_t sourcePitch);
// A target smaller than the frame: its first pixel stands for frame point (left, top).
void setFillTargetOrigin(int32_t left, int32_t top);
void setByteFillTarget(uint8_t* mask, const Rect& maskRect, int32_t maskPitch);
void setFillTargets(Pixel* target, int32_t targetPitch, const Pixel* source, int32_t sourcePitch, uint8_t* mask,
                    const Rect& maskRect, int32_t maskPitch);

// Bresenham lines, both ends plotted; on a tie the minor coordinate steps.
void drawLineClipped(Pixel* buffer, int32_t x0, int32_t y0, int32_t x1, int32_t y1, Pixel value, const Rect& rect,
                     int32_t pitch);
void drawMaskLine(uint8_t* mask, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t value, const Rect& rect,
                  int32_t pitch);
// Cubic Bezier curves of 15 line segments; the points after the start are
// clamped into the RECT.
void drawBezierClipped(Pixel* buffer, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                       int32_t x3, int32_t y3, Pixel value, const Rect& rect, int32_t pitch);
void drawMaskBezier(uint8_t* mask, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                    int32_t x3, int32_t y3, uint8_t value, const Rect& rect, int32_t pitch);
// A smooth curve through count points (16-bit coordinates): Bezier segments
// whose control points lie 15/64 of the neighbours' difference away. Closed
// when open is 0 (count segments), else count - 1 segments.
void smoothOutline(Pixel* buffer, const Rect& rect, int32_t pitch, const int16_t* xs, const int16_t* ys,
                   int32_t count, Pixel value, int32_t open);
void smoothMaskOutline(uint8_t* mask, const Rect& rect, int32_t pitch, const int16_t* xs, const int16_t* ys,
                       int32_t count, uint8_t value, int32_t open);

// Fill over the 32-bit source: pixels differing from key are inside; the
// spans are written with value into the target. Callers pass kind 0 and
// parent bounds 0 (the parent arguments only matter to a recursive walk).
// Returns the right end of the seed's span.
int32_t fillSpansSeed(int32_t x, int32_t y, Pixel value, Pixel key, int32_t parentLeft, int32_t parentRight,
                      int32_t kind, const Rect& rect);
// Fill of the mask with value, bytes equal to value being the boundary.
int32_t seedFill(int32_t x, int32_t y, uint8_t value, int32_t parentLeft, int32_t parentRight, int32_t kind);
// Fill over the mask (bytes equal to value are the boundary), copying the
// source pixels of every span into the target; the mask's inside is not changed.
int32_t fillMaskSeedCopy(int32_t x, int32_t y, uint8_t value, int32_t parentLeft, int32_t parentRight, int32_t kind);
