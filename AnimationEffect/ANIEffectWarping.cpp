#include "AnimationEffect/ANIEffectWarping.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "AnimationEffect/AnimationEffectEntry.h"
#include "engine/CrashLog.h"
#include "engine/ScratchPool.h"
#include "AnimationEffect/PixelFractions.h"
#include "render/CrtRandom.h"
#include "render/PixelBuffer.h"
#include "render/Platform.h"

namespace {

constexpr const char* kUnit = animationEffectUnitPath(AnimationEffectUnit::Warping);

int32_t g_generator = 0;
uint32_t (*g_reseedClock)() = platformTimeSeconds;

// Half-pixel tap pair of one axis: the rounded position and its neighbour on
// the sample's side.
struct Taps {
    int32_t rounded, other;
};
inline Taps taps(int32_t position) {
    const int32_t whole = position >> 1, odd = position & 1;
    return {whole + odd, whole - odd + 1};
}

// The taps of every reachable half-pixel position of one axis (-2 .. 2n - 3,
// stored from index 0), scaled by the axis's stride: the appliers look them up
// instead of working them out per pixel.
struct TapTable {
    std::vector<Taps> taps;
    const Taps* at(int32_t n, int32_t stride) {
        const size_t count = static_cast<size_t>(std::max(2 * n, 2));
        if (taps.size() < count) taps.resize(count);
        for (size_t i = 0; i < count; ++i) {
            const Taps t = ::taps(static_cast<int32_t>(i) - 2);
            taps[i] = {t.rounded * stride, t.other * stride};
        }
        return taps.data() + 2;   // indexed by the half-pixel position
    }
};
TapTable g_columnTaps, g_rowTaps;

template <bool Fading>
inline Pixel sample(const Pixel* src, Taps cx, Taps cy) {
    const Pixel* rowR = src + cy.rounded;
    const Pixel* rowO = src + cy.other;
    if constexpr (Fading)
        return half(rowR[cx.rounded]) + quarter(rowR[cx.other]) + eighth(rowO[cx.rounded]) + sixteenth(rowO[cx.other]);
    else
        return half(rowR[cx.rounded]) + quarter(rowO[cx.rounded]) + quarter(rowR[cx.other]);
}

// Map entries held to the reachable range -16 .. 16 x size - 17, as half pixels.
inline int32_t halfPixel(int16_t entry, int32_t max) { return std::clamp<int32_t>(entry, -16, max) >> 3; }

template <bool Fading>
void applyMap(Pixel* dst, const Pixel* src, const int16_t* map, int32_t pitch, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    const int16_t* mapY = map + ((static_cast<int64_t>(pitch) * height) & ~int64_t{1});
    const int32_t maxX = 16 * width - 17, maxY = 16 * height - 17;
    const Taps* columns = g_columnTaps.at(width, 1);
    const Taps* rows = g_rowTaps.at(height, pitch);
    for (int32_t y = 0; y < height; ++y) {
        const ptrdiff_t row = static_cast<ptrdiff_t>(y) * pitch;
        Pixel* d = dst + row;
        const int16_t* mx = map + row;
        const int16_t* my = mapY + row;
        for (int32_t x = 0; x < width; ++x)
            d[x] = sample<Fading>(src, columns[halfPixel(mx[x], maxX)], rows[halfPixel(my[x], maxY)]);
    }
}

template <bool Fading>
void blendMaps(Pixel* dst, const Pixel* src, const int16_t* oldMap, const int16_t* newMap, int32_t weight,
               int32_t pitch, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    const int32_t w8 = weight & 255;
    const int64_t plane = (static_cast<int64_t>(pitch) * height) & ~int64_t{1};
    const int16_t* oldY = oldMap + plane;
    const int16_t* newY = newMap + plane;
    const int32_t maxX = 16 * width - 17, maxY = 16 * height - 17;
    const Taps* columns = g_columnTaps.at(width, 1);
    const Taps* rows = g_rowTaps.at(height, pitch);
    for (int32_t y = 0; y < height; ++y) {
        const ptrdiff_t row = static_cast<ptrdiff_t>(y) * pitch;
        Pixel* d = dst + row;
        for (int32_t x = 0; x < width; ++x) {
            const int32_t ox = halfPixel(oldMap[row + x], maxX), oy = halfPixel(oldY[row + x], maxY);
            const int32_t nx = halfPixel(newMap[row + x], maxX), ny = halfPixel(newY[row + x], maxY);
            d[x] = sample<Fading>(src, columns[ox + (((nx - ox) * w8) >> 8)], rows[oy + (((ny - oy) * w8) >> 8)]);
        }
    }
}

Pixel* clipOrigin(Pixel* layer, const EffectParams* p) { return pixelAt(layer, p->pitch, p->rect.left, p->rect.top); }

// Without maps the layer stands still.
void copySource(EffectParams* p, int32_t w, int32_t h) {
    runGuardedEntry(kUnit, __LINE__, [&] {
        for (int32_t y = 0; y < h; ++y) {
            const Pixel* s = pixelAt(p->source, p->pitch, p->rect.left, p->rect.top + y);
            std::copy(s, s + w, pixelAt(p->destination, p->pitch, p->rect.left, p->rect.top + y));
        }
    });
}

void drawWarpRandom(WarpState& s) {
    for (int32_t& word : s.warpRandom) word = crtRand();
}

// Acquires maps A and B into buffers[0..1] (both or neither). On the first
// frame the record's words are not ours yet, so they are always replaced.
bool holdWarpMaps(EffectParams* p, bool& fresh) {
    fresh = false;
    if (p->firstFrame) p->buffers[0] = p->buffers[1] = nullptr;
    if (!p->buffers[0] || !p->buffers[1]) {
        p->buffers[0] = p->buffers[1] = nullptr;
        if (!p->acquireBuffer) return false;
        Pixel* a = p->acquireBuffer(&p->slots[0]);
        Pixel* b = a ? p->acquireBuffer(&p->slots[1]) : nullptr;
        if (!a || !b) return false;   // what was acquired is free again next frame
        p->buffers[0] = a;
        p->buffers[1] = b;
        fresh = true;
    }
    if (p->keepBuffer) {
        p->keepBuffer(p->slots[0]);
        p->keepBuffer(p->slots[1]);
    }
    return true;
}

inline int16_t* mapOf(EffectParams* p, int i) { return reinterpret_cast<int16_t*>(p->buffers[i]); }

void swapMaps(EffectParams* p) {
    std::swap(p->buffers[0], p->buffers[1]);
    std::swap(p->slots[0], p->slots[1]);
}

int32_t guardedChooseApplier(EffectParams* p, int32_t w, int32_t h) {
    int32_t bright = 0;
    runGuardedEntry(kUnit, __LINE__, [&] { bright = chooseWarpApplier(clipOrigin(p->destination, p), p->pitch, w, h, 150); });
    return bright;
}

}  // namespace

WarpState& warpState(EffectParams* record) { return effectState<WarpState>(record); }

bool warpMapFits(int32_t pitch, int32_t height) {
    const int64_t entries = 2 * ((static_cast<int64_t>(pitch) * height) & ~int64_t{1});
    return pitch > 0 && height > 0 && entries * 2 <= kScratchBlockBytes - kScratchLeadBytes;
}

int32_t chooseWarpApplier(const Pixel* layer, int32_t pitch, int32_t width, int32_t height, int32_t threshold) {
    int32_t sum = 0;
    for (int i = 0; i < 32; ++i) {
        const int32_t rx = crtRand(), ry = crtRand();
        const int32_t x = width / 4 + (width / 2 > 0 ? rx % (width / 2) : 0);
        const int32_t y = height / 4 + (height / 2 > 0 ? ry % (height / 2) : 0);
        const Pixel c = layer[static_cast<ptrdiff_t>(y) * pitch + x];
        sum += static_cast<int32_t>((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF));
    }
    return sum / 96 > threshold ? 1 : 0;
}

void applyWarpMap(Pixel* dst, const Pixel* src, const int16_t* map, int32_t pitch, int32_t width, int32_t height) {
    applyMap<false>(dst, src, map, pitch, width, height);
}
void applyWarpMapFading(Pixel* dst, const Pixel* src, const int16_t* map, int32_t pitch, int32_t width,
                        int32_t height) {
    applyMap<true>(dst, src, map, pitch, width, height);
}
void blendWarpMaps(Pixel* dst, const Pixel* src, const int16_t* oldMap, const int16_t* newMap, int32_t weight,
                   int32_t pitch, int32_t width, int32_t height) {
    blendMaps<false>(dst, src, oldMap, newMap, weight, pitch, width, height);
}
void blendWarpMapsFading(Pixel* dst, const Pixel* src, const int16_t* oldMap, const int16_t* newMap, int32_t weight,
                         int32_t pitch, int32_t width, int32_t height) {
    blendMaps<true>(dst, src, oldMap, newMap, weight, pitch, width, height);
}

void setWarpMapGenerator(int32_t type) { g_generator = std::clamp(type, 0, kWarpMapTypes - 1); }

void selectWarpMap(EffectParams* record, int32_t type) {
    drawWarpRandom(warpState(record));
    setWarpMapGenerator(type);
}

void setWarpReseedClock(uint32_t (*clock)()) { g_reseedClock = clock ? clock : platformTimeSeconds; }

void warpStep(EffectParams* p) {
    const int32_t w = p->rect.right - p->rect.left, h = p->rect.bottom - p->rect.top;
    if (w <= 0 || h <= 0) return;
    bool fresh = false;
    if (!warpMapFits(p->pitch, h) || !holdWarpMaps(p, fresh)) {   // no room for the maps: the layer stands still
        copySource(p, w, h);
        return;
    }
    WarpState& s = warpState(p);
    s.warpNewMap = 0;
    if (fresh) {
        s.warpBuildRow = 0;
        s.warpNewMap = 1;
        drawWarpRandom(s);
        runWarpMapGenerator(g_generator, mapOf(p, 0), p->pitch, w, h, 0, h, p);
    }
    if (p->beat && s.warpBuildRow > h) {
        swapMaps(p);
        s.warpBuildRow = 0;
        drawWarpRandom(s);
    }
    s.warpBuildRow = std::clamp(s.warpBuildRow, 0, h + 1);
    runWarpMapGenerator(g_generator, mapOf(p, 1), p->pitch, w, h, s.warpBuildRow, s.warpBuildRow + 24, p);
    s.warpBuildRow += 24;
    const int32_t bright = guardedChooseApplier(p, w, h);
    Pixel* dst = clipOrigin(p->destination, p);
    const Pixel* src = clipOrigin(p->source, p);
    const int16_t* map = mapOf(p, 0);
    const int32_t pitch = p->pitch;
    if (bright)
        runGuardedEntry(kUnit, __LINE__, [&] { applyWarpMapFading(dst, src, map, pitch, w, h); });
    else
        runGuardedEntry(kUnit, __LINE__, [&] { applyWarpMap(dst, src, map, pitch, w, h); });
}

void SmartEffect(EffectParams* p) {
    const int32_t w = p->rect.right - p->rect.left, h = p->rect.bottom - p->rect.top;
    if (w <= 0 || h <= 0) return;
    if (p->firstFrame) {
        crtSrand(g_reseedClock());
        p->frameCounter = 0;
    }
    bool fresh = false;
    if (!warpMapFits(p->pitch, h) || !holdWarpMaps(p, fresh)) {
        copySource(p, w, h);
        return;
    }
    WarpState& s = warpState(p);
    int32_t& frame = p->frameCounter;   // smartFrame
    s.warpNewMap = 0;
    if (fresh) {
        frame = 0;
        s.warpBuildRow = 0;
        s.warpNewMap = 1;
        selectWarpMap(p, crtRand() % kWarpMapTypes);
        runWarpMapGenerator(g_generator, mapOf(p, 0), p->pitch, w, h, 0, h, p);
    }
    if (frame < 0 || frame > 240) frame = 0;
    if (frame == 0) {
        s.warpBuildRow = 0;
        s.warpNewMap = 1;
        swapMaps(p);
        selectWarpMap(p, crtRand() % kWarpMapTypes);
    }
    const int32_t rowsPerFrame = h / 120 + 1;
    s.warpBuildRow = std::clamp(s.warpBuildRow, 0, h + 1);
    runWarpMapGenerator(g_generator, mapOf(p, 0), p->pitch, w, h, s.warpBuildRow, s.warpBuildRow + rowsPerFrame, p);
    s.warpBuildRow += rowsPerFrame;
    const int32_t bright = guardedChooseApplier(p, w, h);
    Pixel* dst = clipOrigin(p->destination, p);
    const Pixel* src = clipOrigin(p->source, p);
    const int16_t* newMap = mapOf(p, 0);
    const int16_t* oldMap = mapOf(p, 1);
    const int32_t pitch = p->pitch;
    if (frame < 120) {
        if (bright)
            runGuardedEntry(kUnit, __LINE__, [&] { applyWarpMapFading(dst, src, oldMap, pitch, w, h); });
        else
            runGuardedEntry(kUnit, __LINE__, [&] { applyWarpMap(dst, src, oldMap, pitch, w, h); });
    } else {
        const int32_t weight = (frame - 120) * 255 / 120;
        if (bright)
            runGuardedEntry(kUnit, __LINE__, [&] { blendWarpMapsFading(dst, src, oldMap, newMap, weight, pitch, w, h); });
        else
            runGuardedEntry(kUnit, __LINE__, [&] { blendWarpMaps(dst, src, oldMap, newMap, weight, pitch, w, h); });
    }
    frame += 1;
    if (frame > 240) frame = 0;
}
