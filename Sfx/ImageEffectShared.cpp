#include "Sfx/ImageEffectShared.h"

#include "render/CrtRandom.h"
#include "render/FloatToInt.h"

namespace {

constexpr float kHalfLevel = 127.5f;
constexpr double kRampPerMs = 0.06375;   // 127.5 over 2000 ms
constexpr float kRampMs = 2000.0f;

// A phase of no length has no envelope to follow: level 0 rather than 0 / 0.
float triangle(float t, float total) {
    if (!(total > 0.0f)) return 0.0f;
    const float half = total / 2;
    return static_cast<float>(t < half ? t * 127.5 / half : (total - t) * 127.5 / half);
}

float rampHoldRamp(float t, float total) {
    if (t < kRampMs) return static_cast<float>(t * kRampPerMs);
    if (t <= total - kRampMs) return kHalfLevel;
    return static_cast<float>((total - t) * kRampPerMs);
}

}  // namespace

void updateEffectLevel(EffectParams* p, float decay, float attack) {
    const float total = static_cast<float>(p->duration);
    const float t = total * p->progress;
    switch (p->levelMode) {
        case 0: {
            float level = p->level >= p->previousLevel ? attack * p->level : decay * p->previousLevel;
            if (level < 0.0f) level = 0.0f;
            if (level > 255.0f) level = 255.0f;
            p->level = level;
            p->previousLevel = level;
            return;
        }
        case 1:
            p->level = p->duration > 4000 ? rampHoldRamp(t, total) : triangle(t, total);
            return;
        case 2:
            p->level = kHalfLevel;
            return;
        case 3:
            p->level = triangle(t, total);
            return;
        case 4:
            if (p->duration <= 2000)
                p->level = total > 0.0f ? static_cast<float>(t * 127.5 / total) : 0.0f;
            else
                p->level = t < kRampMs ? static_cast<float>(t * kRampPerMs) : kHalfLevel;
            return;
        case 5:
            if (p->duration <= 2000)
                p->level = total > 0.0f ? static_cast<float>((total - t) * 127.5 / total) : 0.0f;
            else
                p->level = t <= total - kRampMs ? kHalfLevel : static_cast<float>((total - t) * kRampPerMs);
            return;
        default:
            return;
    }
}

float heldLevel(float level) {
    if (!(level > 0.0f)) return 0.0f;
    return level < 255.0f ? level : 255.0f;
}

int32_t levelByte(float level) { return truncToInt(heldLevel(level)); }
