#include "Animation/AnimationShared.h"

#include <algorithm>

#include "render/PixelBuffer.h"
#include "render/TrigTables.h"

void updateAnimationLevel(EffectParams* record, float decay, float attack) {
    if (record->levelMode != 0) return;
    float level = record->level >= record->previousLevel ? attack * record->level : decay * record->previousLevel;
    // NaN left by an earlier effect in previousLevel fails both tests and ends at 0.
    if (!(level > 0.0f)) level = 0.0f;
    if (level > 255.0f) level = 255.0f;
    record->level = level;
    record->previousLevel = level;
}

namespace {
uint32_t wheelChannel(int32_t tableValue) { return static_cast<uint32_t>(std::min(255, tableValue / 256 + 128)); }
}  // namespace

Pixel wheelColour(int32_t index) {
    const int32_t i = index & (kTrigTableSize - 1);
    return (wheelChannel(CosineTable[i]) << 16) | (wheelChannel(SineTable[i]) << 8) |
           wheelChannel(CosineTable[(i + 4096) & (kTrigTableSize - 1)]);
}

void addPlus5(Pixel* destination, int32_t pitch, int32_t x, int32_t y, Pixel colour) {
    Pixel* p = pixelAt(destination, pitch, x, y);
    p[-pitch] = saturatingAdd(p[-pitch], colour);
    p[-1] = saturatingAdd(p[-1], colour);
    p[0] = saturatingAdd(p[0], colour);
    p[1] = saturatingAdd(p[1], colour);
    p[pitch] = saturatingAdd(p[pitch], colour);
}

int32_t referenceScale(const Rect& clip) {
    return std::min((clip.right - clip.left) * 256 / 640, (clip.bottom - clip.top) * 256 / 480);
}

bool holdScratchBuffers(EffectParams* p, int32_t count) {
    const bool hadFirst = p->buffers[0] != nullptr;
    for (int32_t k = 0; k < count; ++k) {
        if (p->buffers[k]) continue;
        p->buffers[k] = p->acquireBuffer(&p->slots[k]);
        if (!p->buffers[k]) p->slots[k] = -1;
    }
    for (int32_t k = 0; k < count; ++k)
        if (p->buffers[k]) p->keepBuffer(p->slots[k]);
    return !hadFirst && p->buffers[0];
}

void dropScratchBuffers(EffectParams* p) {
    for (int k = 0; k < 3; ++k) {
        p->buffers[k] = nullptr;
        p->slots[k] = -1;
    }
}

int32_t radiusInside(const Rect& clip, int32_t x, int32_t y, int32_t radius) {
    const int32_t room = std::min(std::min(x - clip.left, clip.right - 1 - x), std::min(y - clip.top, clip.bottom - 1 - y)) - 1;
    return std::max(0, std::min(radius, room));
}
