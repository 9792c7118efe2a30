#include "Animation/ANI_SpriteAnimation.h"

#include <algorithm>

#include "Animation/AnimationShared.h"
#include "engine/CrashLog.h"
#include "render/Fills.h"
#include "render/FireSheet.h"
#include "render/PixelBuffer.h"

namespace {

constexpr const char* kUnit = animationUnitPath(AnimationUnit::SpriteAnimation);
constexpr int32_t kFlames = 64;
constexpr int32_t kSheetPitch = kFireBitmapWidth;

struct SpriteFireState {
    int32_t frame = 0;             // 0..32
    int32_t value[kFlames] = {};   // smoothed flame heights
};
SpriteFireState g_fire;

void prepareSheet(Pixel* sheet, int32_t colouring) {
    if (!loadBitmapResource(sheet, "RedFires33.bmp", kFireBitmapWidth, kFireBitmapHeight))
        logNoticeOnce(kFireMissingNotice);
    for (int32_t i = 0; i < kFireBitmapWidth * kFireBitmapHeight; ++i) sheet[i] = recolourFire(sheet[i], colouring);
}

void fireFrame(EffectParams* p, int32_t colouring) {
    if (p->firstFrame) dropScratchBuffers(p);
    // Newly acquired (the first frame, or later when the pool was full): load it.
    if (holdScratchBuffers(p, 1)) prepareSheet(p->buffers[0], colouring);
    const Pixel* sheet = p->buffers[0];
    g_fire.frame += 1;
    if (g_fire.frame > 32) g_fire.frame = 0;
    if (!sheet) return;   // the pool was full: no flames this frame
    const Rect& clip = p->rect;
    const int32_t w = clip.right - clip.left, h = clip.bottom - clip.top;
    const int32_t sx = w * 256 / 640, sy = h * 256 / 480;
    for (int32_t j = 0; j < kFlames; ++j) {
        const int32_t a = p->spectrum[2 * j];
        int32_t& value = g_fire.value[j];
        value = value < a ? a : value * 15 / 16;
        const int32_t cell = (2 * j * 11 / 4 + g_fire.frame) % kFireFrameCount;
        const int32_t sourceX = (cell % 11) * kFireFrameWidth, sourceY = (cell / 11) * kFireCellHeight;
        const Rect source{sourceX, sourceY, sourceX + kFireFrameWidth, sourceY + kFireFrameHeight};
        const int32_t m = 2 * j * (w - 64) / 128 + clip.left + 32;
        const int32_t half = std::min((value / 8 + 12) * sx / 256, 32);
        if (half <= 0) continue;   // a negative band or a tiny frame: no width
        const int32_t top = std::max(clip.bottom - value * sy * 10 / 2048 - 2, clip.top);
        if (top >= clip.bottom) continue;
        const Rect flame{m - half, top, m + half, clip.bottom};
        if (flame.left >= clip.left && flame.right <= clip.right)
            stretchRectAdd(p->destination, sheet, flame, source, p->pitch, kSheetPitch);
        else   // on frames under 64 pixels wide the row of flames reaches past the sides
            stretchRectAddClipped(p->destination, sheet, flame, source, p->pitch, kSheetPitch, w, h);
    }
}

}  // namespace

Pixel recolourFire(Pixel pixel, int32_t colouring) {
    const Pixel r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    auto pack = [](Pixel red, Pixel green, Pixel blue) { return (red << 16) | (green << 8) | blue; };
    switch (colouring) {
        case 1: return pack(b, g, r);
        case 2: return pack(g, r, b);
        case 3: return pack(g, b, r);
        case 4: return pack(r, b, g);
        case 5: return pack(b, r, g);
        default: return pack(r, g, b);
    }
}

void drawSpriteFire(EffectParams* p, int32_t colouring) {
    runGuardedEntry(kUnit, __LINE__, [=] { fireFrame(p, colouring); });
}

void resetSpriteFireState() { g_fire = SpriteFireState{}; }
