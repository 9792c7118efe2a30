// Rotated, zoomed, card-turned, tilted and quad-warped copies of a picture.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

// Source RECT turned by angle (radians) and zoomed by scale about destination point
// (cx, cy), clipped to clip, nearest sampling; pixels whose source point falls
// outside the source RECT keep their value. Scale 0 draws nothing.
void rotateZoomBlit(Pixel* dst, int32_t dstPitch, const Pixel* src, int32_t srcPitch,
                    const Rect& clip, const Rect& srcRect, int32_t cx, int32_t cy, float angle,
                    float scale);
// The same, blended over the destination with weight trunc(alpha * 256).
void rotateZoomBlitAlpha(Pixel* dst, int32_t dstPitch, const Pixel* src, int32_t srcPitch,
                         const Rect& clip, const Rect& srcRect, int32_t cx, int32_t cy,
                         float angle, float scale, float alpha);
// The same with 16-level bilinear sampling; reads one pixel right of and below the
// source RECT (the buffer margin).
void rotateZoomBlitSmooth(Pixel* dst, int32_t dstPitch, const Pixel* src, int32_t srcPitch,
                          const Rect& clip, const Rect& srcRect, int32_t cx, int32_t cy,
                          float angle, float scale, float alpha);
// The mixing step of rotateZoomBlitSmooth over gathered points of one row:
// row[x] = blend(row[x], bilinear mix of corner[0], corner[1], corner[pitch],
// corner[pitch + 1] at fx, fy in 0..15, a in 0..256). The SSE2 form (two points at
// a time) and the plain one give the same pixels. The source is not the row.
struct SmoothPoint {
    int32_t x;
    uint32_t fx, fy;
    const Pixel* corner;
};
void smoothMixRun(Pixel* row, const SmoothPoint* points, int32_t n, int32_t srcPitch, uint32_t a);
void smoothMixRunPlain(Pixel* row, const SmoothPoint* points, int32_t n, int32_t srcPitch, uint32_t a);
// Non-zero pixels of the source RECT centred at (cx, cy), saturating-added, clipped.
void addImageCentered(Pixel* dst, int32_t dstPitch, const Pixel* src, int32_t srcPitch,
                      const Rect& clip, const Rect& srcRect, int32_t cx, int32_t cy);

// A picture (card) turned about the horizontal line through source row axisY (X)
// or the vertical line through source column axisX (Y), drawn at (cx, cy) in simple
// perspective of strength d; one pitch for all four buffers; clipped to
// (0, 0, width, height). back may equal front or be null (then backColour);
// background may be null (then clearFlag clears to 0, else pixels are left).
void drawCardTurnedX(Pixel* dst, const Pixel* front, const Pixel* back, const Pixel* background,
                     double angle, double scale, double d, int32_t left, int32_t top,
                     int32_t right, int32_t bottom, int32_t cx, int32_t cy, int32_t axisX,
                     int32_t axisY, int32_t clearFlag, Pixel backColour, int32_t reserved,
                     int32_t pitch, int32_t width, int32_t height);
void drawCardTurnedY(Pixel* dst, const Pixel* front, const Pixel* back, const Pixel* background,
                     double angle, double scale, double d, int32_t left, int32_t top,
                     int32_t right, int32_t bottom, int32_t cx, int32_t cy, int32_t axisX,
                     int32_t axisY, int32_t clearFlag, Pixel backColour, int32_t reserved,
                     int32_t pitch, int32_t width, int32_t height);
// The whole picture tilted about its middle row; the background (same pitch as dst)
// fills what the picture does not cover.
void drawTiltedStrip(Pixel* dst, int32_t dstPitch, const Pixel* picture, int32_t picturePitch,
                     const Pixel* background, int32_t reserved, double angle, double scale,
                     double d, int32_t width, int32_t height);

// Source (width x height) mapped onto the quad of the four corners (0 top-left, then
// clockwise), exact inverse-bilinear mapping; pixels outside the quad become 0.
void warpQuadBilinear(Pixel* dst, const Pixel* src, int32_t pitch, int32_t width, int32_t height,
                      int32_t x0, int32_t x1, int32_t x2, int32_t x3, int32_t y0, int32_t y1,
                      int32_t y2, int32_t y3);
// The same mapping in two separable passes through a borrowed scratch buffer; clears
// the whole destination first.
void warpImageToQuad(Pixel* dst, const Pixel* src, int32_t pitch, int32_t width, int32_t height,
                     int32_t x0, int32_t x1, int32_t x2, int32_t x3, int32_t y0, int32_t y1,
                     int32_t y2, int32_t y3);

// Where warpImageToQuad borrows its intermediate frame-sized buffer: the runtime
// installs its scratch pool's acquire (not kept, so free again next frame). Without
// a source, or when it has no free buffer, warpImageToQuad draws with the exact
// mapping instead.
using QuadScratchSource = Pixel* (*)(int32_t* slot);
void setQuadWarpScratchSource(QuadScratchSource source);
