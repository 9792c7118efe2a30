// Title drawing: the shared routines that put the title image (or a part of it)
// onto the frame, and the plain effect "None". Source pixels 0 are transparent
// and never written; pitches count pixels; rectangles exclude right and bottom;
// (frameW, frameH) is the clip limit.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"
#include "engine/ScratchPool.h"
#include "render/PixelTypes.h"

// The box of w x h centred at (x, y), halves truncated: 1 and the part on the
// frame, or 0 when none of it is.
int32_t clipCenteredBox(Rect* out, int32_t x, int32_t y, int32_t w, int32_t h, int32_t frameW, int32_t frameH);

// Nearest-sample zoom of srcRect about (cx, cy) by (sx, sy), keyed.
void zoomTitleImage(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect, int32_t dstPitch,
                    int32_t srcPitch, int32_t frameW, int32_t frameH, float sx, float sy);
// Bilinear zoom blended over the frame with weight alpha; pixels whose four
// samples are all 0 are skipped.
void stretchTitleImageAlpha(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect,
                            int32_t dstPitch, int32_t srcPitch, int32_t frameW, int32_t frameH, float sx, float sy,
                            float alpha);
// srcRect turned by angle (radians) and scaled about (cx, cy), bilinear, blended
// with weight alpha. Scale 0 draws nothing.
void rotateTitleImageAlpha(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect,
                           int32_t dstPitch, int32_t srcPitch, int32_t frameW, int32_t frameH, float angle,
                           float scale, float alpha);
// Perspective turn about the horizontal (X) or vertical (Y) axis through the
// centre of `box`; the samples replace the frame pixels.
void rotateTitleImageX(Pixel* dst, const Pixel* src, int32_t dstPitch, int32_t srcPitch, const Rect& box,
                       const Rect& srcRect, int32_t frameW, int32_t frameH, float angle, float scale,
                       float perspective);
void rotateTitleImageY(Pixel* dst, const Pixel* src, int32_t dstPitch, int32_t srcPitch, const Rect& box,
                       const Rect& srcRect, int32_t frameW, int32_t frameH, float angle, float scale,
                       float perspective);

// Tints of a frame rectangle: the 50/50 mix, a constant mix (factor = weight of
// the pixel), and gradients of kind 0 (left to right), 1 (top to bottom),
// 2 (in and out over the top and bottom quarters), 3 (the same across).
void tintRectHalf(Pixel* dst, const Rect& rect, int32_t pitch, Pixel colour);
void tintRectBlend(Pixel* dst, const Rect& rect, int32_t pitch, Pixel colour, float factor);
void tintRectGradient(Pixel* dst, const Rect& rect, int32_t pitch, Pixel colour, int32_t kind);

// srcRect centred on (cx, cy): the 50/50 mix, a blend of weight alpha, and the
// saturating sum with the frame, for non-zero source pixels.
void blendTitleHalf(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect, int32_t dstPitch,
                    int32_t srcPitch, int32_t frameW, int32_t frameH);
void blendTitleAlpha(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect, int32_t dstPitch,
                     int32_t srcPitch, int32_t frameW, int32_t frameH, float alpha);
void addTitleImage(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect, int32_t dstPitch,
                   int32_t srcPitch, int32_t frameW, int32_t frameH);

// Copies every pixel (zeros too) of a box of box's size, read from the source's
// top-left corner, so that it is centred at (cx, cy), clipped to width x height.
void copyCenteredBox(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& box, int32_t dstPitch,
                     int32_t srcPitch, int32_t width, int32_t height);

// What the effects read of the title record: the image, its size and box.
struct TitleView {
    Pixel* image;      // null: no title yet
    int32_t iw, ih;    // image size
    int32_t cx, cy;    // titleCenter
    int32_t L, Rt;     // cx -/+ (iw >> 1)
    int32_t T, B;      // cy -/+ ih / 2
    Pixel* dst;
    int32_t pitch;
    int32_t W, H;      // frame size
    // The visible box; false when nothing of the image is on the frame.
    bool visible(Rect* v) const { return clipCenteredBox(v, cx, cy, iw, ih, W, H) != 0; }
    Rect imageRect() const { return Rect{0, 0, iw, ih}; }
    const Pixel* row(int32_t y) const { return image + static_cast<ptrdiff_t>(y) * iw; }
    Pixel* frameRow(int32_t y) const { return dst + static_cast<ptrdiff_t>(y) * pitch; }
};
// False when there is nothing to draw (no image, no frame, empty image).
bool titleView(const EffectParams* params, TitleView* view);
// Elapsed time of the title in ms: duration (unsigned) x progress.
double titleElapsed(const EffectParams* params);

// "None": the whole image keyed (0 transparent) and centred on titleCenter.
void drawTitleNone(EffectParams* params);

// The effect's scratch buffer: acquired on the first frame, kept on every frame
// it is held; null when the pool had none (the effect then draws what it can).
Pixel* titleWorkBuffer(EffectParams* params);
// Pixels usable from a scratch buffer's pointer on.
constexpr int32_t kScratchPixels = (kScratchBlockBytes - kScratchLeadBytes) / 4;
