#include "Animation/ANI_Bonus.h"

#include <cmath>

#include "Animation/AnimationShared.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"

namespace {

constexpr const char* kUnit = animationUnitPath(AnimationUnit::Bonus);
constexpr int32_t kWaveEntries = 1024;

int32_t& turnDirection(EffectParams* p) { return p->state.words[1]; }

void fillSpiralMap(EffectParams* p, int32_t tightness) {
    const Rect& clip = p->rect;
    const int32_t w = clip.right - clip.left, h = clip.bottom - clip.top;
    auto* map = reinterpret_cast<int32_t*>(p->buffers[0]);
    for (int32_t y = 0; y < h; ++y) {
        int32_t* row = map + static_cast<ptrdiff_t>(clip.top + y) * p->pitch + clip.left;
        for (int32_t x = 0; x < w; ++x) row[x] = spiralMapValue(x - w / 2, y - h / 2, tightness);
    }
}

void bonusFrame(EffectParams* p, int32_t waves, int32_t tightness, int32_t mode) {
    if (p->firstFrame) {
        dropScratchBuffers(p);
        turnDirection(p) = 1;
    }
    if (holdScratchBuffers(p, 1)) fillSpiralMap(p, tightness);
    updateAnimationLevel(p, 0.97f, 1.0f);
    if (p->beat) turnDirection(p) = -turnDirection(p);
    // The phase word carries over: a new run starts from whatever it holds.
    p->frameCounter = static_cast<int32_t>(static_cast<uint32_t>(p->frameCounter) +
                                           static_cast<uint32_t>(static_cast<int32_t>(std::floor(2.0f * turnDirection(p) * p->level))));
    const auto* map = reinterpret_cast<const int32_t*>(p->buffers[0]);
    if (!map) return;   // the pool was full: nothing this frame
    int32_t wave[kWaveEntries];
    for (int32_t k = 0; k < kWaveEntries; ++k)
        wave[k] = truncToInt((std::sin(static_cast<double>(k) * waves * 0.0030679609375) + 1.0) * 128.0);
    Pixel palette[257];
    for (int32_t i = 0; i < 256; ++i) {
        const double a = (i - 10) * 0.024543671875;
        Pixel c = static_cast<Pixel>((truncToInt(127.0 * std::cos(a) + 128.0) << 16) |
                                     (truncToInt(127.0 * std::sin(a) + 128.0) << 8) |
                                     truncToInt(127.0 * std::cos((i + 118) * 0.024543671875) + 128.0));
        if (mode == 1) c = (c >> 1) & 0x7F7F7F;
        if (mode == 2) c = (c >> 2) & 0x3F3F3F;
        palette[i] = c;
    }
    palette[256] = palette[255];   // a wave entry of (1 + 1) x 128 would index one past the end
    if (mode == 0 && !p->beat) return;
    const Rect& clip = p->rect;
    const uint32_t phase = static_cast<uint32_t>(p->frameCounter);
    for (int32_t y = clip.top; y < clip.bottom; ++y) {
        const int32_t* m = map + static_cast<ptrdiff_t>(y) * p->pitch;
        Pixel* row = pixelAt(p->destination, p->pitch, 0, y);
        for (int32_t x = clip.left; x < clip.right; ++x) {
            const Pixel c = palette[wave[((static_cast<uint32_t>(m[x]) + phase) >> 4) & (kWaveEntries - 1)]];
            if (mode == 0)
                row[x] = c;
            else if (mode == 1)
                row[x] = ((row[x] >> 1) & 0x7F7F7F) + c;
            else
                row[x] = ((row[x] >> 2) & 0x3F3F3F) * 3 + c;
        }
    }
}

}  // namespace

int32_t spiralMapValue(int32_t x, int32_t y, int32_t tightness) {
    const double r = std::sqrt(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y));
    // Summed in floating point and truncated once (the sum is always positive).
    const double v = r * tightness + 32768.0 + std::atan2(static_cast<double>(y), x) * 5215.18903010937;
    return static_cast<int32_t>(static_cast<int64_t>(v) & 0xFFFF);
}

void runBonus(EffectParams* p, int32_t waves, int32_t tightness, int32_t mode) {
    runGuardedEntry(kUnit, __LINE__, [=] { bonusFrame(p, waves, tightness, mode); });
}
