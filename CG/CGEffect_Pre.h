// The title rasteriser: renders the title once per title into a 32-bit image in
// one of the text styles and places it on the frame.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Style codes of the title styles (the style table's rows call renderTitleText
// with these).
enum TitleStyleCode : int32_t {
    kStyleStill = 0,
    kStyleBevel = 1,          // 1, 2, 3: bevel profiles 0, 1, 2
    kStyleBevelSharp = 2,
    kStyleBevelSmooth = 3,
    kStyleUltung = 4,
    kStyleUltung2 = 5,
    kStyleBlackFrame = 6,
    kStyleWhiten = 7,
    kStyleShadow = 8,
    kStyleBolok = 9,
    kStyleBoxFrame = 10,
    kStyleNeon = 12,
    kStyleShadowOnly = 16,
};

// On the first frame of a title: scales titleFontSize to the frame, lays out
// titleText (titleCharRects), makes the image (titleBitmap, titlePixels,
// titleSize: text size plus a 16-pixel margin on every side), draws the text in
// titleColor with titleFormat, applies the style and places titleCenter by
// titlePosition. Other frames do nothing. The image belongs to the caller from
// then on (platformDeleteImage). Returns 1 when it rendered.
int32_t renderTitleText(EffectParams* params, int32_t styleCode);

// The font size of the title being shown, as renderTitleText scaled it on the
// title's first frame (the record's own size for an image made elsewhere). The
// frame filler writes the option's unscaled size into the record on every frame,
// so the effects read this one for the whole title.
int32_t titleFontSizeInUse(const EffectParams* params);

// Applies the style pass of `styleCode` to a W x H title image, each pass under
// the fault guard; `fontSize` is the scaled size, `titleColor` in COLORREF order.
void applyTitleStyle(int32_t styleCode, Pixel* pixels, int32_t W, int32_t H, int32_t fontSize, int32_t titleColor);
