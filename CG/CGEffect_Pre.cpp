#include "CG/CGEffect_Pre.h"

#include "CG/TitleLayout.h"
#include "CG/TitleStyles.h"
#include "engine/CrashLog.h"
#include "render/Platform.h"

namespace {

constexpr const char* kUnit = "CG\\CGEffect_Pre";
constexpr Pixel kOutlineColor = 1;   // near black, but not transparent

// One rectangle per byte of the longest title the package can carry.
Rect charRects[kMaxTitleBytes];
TitleCharLayout charLayout{charRects, 0};
// The scaled size of the last title image made here, and that image.
int32_t scaledFontSize = 0;
const Pixel* scaledFontImage = nullptr;

struct MeasureContext {
    const TextFont* font;
};

Rect measureWithFont(void* context, const char* text, int32_t length, int32_t x, int32_t y) {
    const auto* m = static_cast<const MeasureContext*>(context);
    Rect r{x, y, x, y};
    platformDrawText(nullptr, 0, 0, 0, text, length, *m->font, 0, &r, kTextCalcRect);
    return r;
}

}  // namespace

void applyTitleStyle(int32_t styleCode, Pixel* pixels, int32_t W, int32_t H, int32_t fontSize, int32_t titleColor) {
    const Rect all{0, 0, W, H};
    const int32_t size = fontSize / 16;
    switch (styleCode) {
        case kStyleBevel:
        case kStyleBevelSharp:
        case kStyleBevelSmooth:
            runGuardedEntry(kUnit, __LINE__, [&] { renderStyleBevel(pixels, all, W, 1, size, styleCode - kStyleBevel); });
            break;
        case kStyleUltung:
            runGuardedEntry(kUnit, __LINE__, [&] { renderStyle3DUltung(pixels, all, W, 1, size); });
            break;
        case kStyleUltung2:
            runGuardedEntry(kUnit, __LINE__, [&] { renderStyle3DUltung2(pixels, all, W, 1, size); });
            break;
        case kStyleBlackFrame:
            runGuardedEntry(kUnit, __LINE__, [&] { renderStyleBlackFrame(pixels, all, W, kOutlineColor); });
            break;
        case kStyleWhiten:
            runGuardedEntry(kUnit, __LINE__, [&] { renderStyleWhiten(pixels, all, W); });
            break;
        case kStyleShadow:
            runGuardedEntry(kUnit, __LINE__, [&] { renderStyleShadow(pixels, all, W, titleColor); });
            break;
        case kStyleBolok:
            runGuardedEntry(kUnit, __LINE__, [&] { renderStyleBolok(pixels, all, W, titleColor); });
            break;
        case kStyleBoxFrame:
            runGuardedEntry(kUnit, __LINE__, [&] { renderStyleBoxFrame(pixels, all, W); });
            break;
        case kStyleNeon:
            runGuardedEntry(kUnit, __LINE__, [&] { renderStyleNeon(pixels, all, W, titleColor); });
            break;
        case kStyleShadowOnly:
            runGuardedEntry(kUnit, __LINE__, [&] { renderStyleShadowOnly(pixels, all, W); });
            break;
        default:   // Still: the text as drawn
            break;
    }
}

int32_t titleFontSizeInUse(const EffectParams* params) {
    const TitleFields& t = params->state.title;
    return t.titlePixels && t.titlePixels == scaledFontImage ? scaledFontSize : t.titleFontSize;
}

int32_t renderTitleText(EffectParams* params, int32_t styleCode) {
    if (!params->firstFrame) return 0;
    TitleFields& t = params->state.title;
    t.titleFontSize = scaleTitleFontSize(params->width, params->height, t.titleFontSize);
    int32_t dpiX = 96, dpiY = 96;
    platformTextResolution(t.titleDC, &dpiX, &dpiY);
    const TextFont font = titleDrawFont(t.titleFont, t.titleFontSize, dpiX, dpiY);
    const char* text = t.titleText ? t.titleText : "";
    const int32_t length = titleLength(text);

    MeasureContext measure{&font};
    const Rect extent = measureWithFont(&measure, text, length, 0, 0);
    const int32_t textWidth = extent.right - extent.left, textHeight = extent.bottom - extent.top;
    charLayout.count = layOutTitleChars(text, length, static_cast<uint32_t>(t.titleFormat), measureWithFont,
                                        &measure, charRects, kMaxTitleBytes);
    t.titleCharRects = &charLayout;

    const int32_t W = textWidth + 2 * kTitleMargin, H = textHeight + 2 * kTitleMargin;
    Pixel* pixels = nullptr;
    void* image = platformCreateImage(t.titleDC, W, H, &pixels);
    if (!image) return 0;
    t.titleBitmap = image;
    t.titlePixels = pixels;
    scaledFontSize = t.titleFontSize;
    scaledFontImage = pixels;
    t.titleSize = static_cast<int32_t>(static_cast<uint32_t>(W) << 16 | static_cast<uint32_t>(H));

    Rect box{kTitleMargin, kTitleMargin, textWidth + kTitleMargin, textHeight + kTitleMargin};
    platformDrawText(pixels, W, W, H, text, length, font, colorRefToPixel(t.titleColor), &box,
                     static_cast<uint32_t>(t.titleFormat));
    applyTitleStyle(styleCode, pixels, W, H, t.titleFontSize, t.titleColor);
    t.titleCenter = placeTitle(t.titlePosition >> 24, params->width, params->height, W, H, t.titleCenter);
    return 1;
}
