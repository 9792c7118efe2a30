#include "AnimationEffect/ANIEffectPlain.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "AnimationEffect/PixelFractions.h"
#include "render/CrtRandom.h"
#include "render/PixelBuffer.h"
#include "render/TrigTables.h"

void applyBlurSlow(EffectParams* p) {
    const int32_t pitch = p->pitch;
    ptrdiff_t offset;
    switch (crtRand() & 3) {
        case 0: offset = pitch; break;
        case 1: offset = pitch + 1; break;
        case 2: offset = pitch - 1; break;
        default: offset = 1; break;
    }
    const Rect& r = p->rect;
    const int32_t width = r.right - r.left;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const Pixel* s = pixelAt(p->source, pitch, r.left, y);
        Pixel* d = pixelAt(p->destination, pitch, r.left, y);
        for (int32_t x = 0; x < width; ++x) d[x] = half(s[x + offset]) + half(s[x - offset]);
    }
}

namespace {

struct Area {
    int32_t w, h;
};
Area areaOf(const EffectParams* p) { return {p->rect.right - p->rect.left, p->rect.bottom - p->rect.top}; }
inline Pixel* destRow(EffectParams* p, int32_t y) { return pixelAt(p->destination, p->pitch, p->rect.left, p->rect.top + y); }
inline const Pixel* sourceRow(const EffectParams* p, int32_t y) {
    return pixelAt(p->source, p->pitch, p->rect.left, p->rect.top + y);
}

constexpr int32_t kFoggyOffsets = 32768;
constexpr int32_t kSmokeOffsets = 4096;
// Where the offsets live when the pool has no buffer to spare.
int32_t g_fallbackOffsets[kFoggyOffsets];

// The record's offset table: acquired on the first frame (the process-wide
// fallback when the pool is full), kept every frame. `fresh` says it was just
// acquired and must be filled.
int32_t* holdOffsets(EffectParams* p, bool& fresh) {
    fresh = false;
    if (p->firstFrame || !p->buffers[0]) {
        fresh = true;
        p->slots[0] = -1;
        Pixel* b = p->acquireBuffer ? p->acquireBuffer(&p->slots[0]) : nullptr;
        if (!b) p->slots[0] = -1;
        p->buffers[0] = b ? b : reinterpret_cast<Pixel*>(g_fallbackOffsets);
    }
    if (p->slots[0] >= 0 && p->keepBuffer) p->keepBuffer(p->slots[0]);
    return reinterpret_cast<int32_t*>(p->buffers[0]);
}

inline int32_t randomSign() { return (crtRand() & 2) - 1; }

struct ShiftState {
    float follower = 0;
    int32_t frame = 0;
};
ShiftState g_shift;

}  // namespace

void applyBlack(EffectParams* p) {
    const Area a = areaOf(p);
    for (int32_t y = 0; y < a.h; ++y) std::fill_n(destRow(p, y), a.w, Pixel{0});
}

void applyFoggyBlur(EffectParams* p) {
    const Area a = areaOf(p);
    bool fresh;
    int32_t* offsets = holdOffsets(p, fresh);
    if (fresh)
        for (int32_t i = 0; i < kFoggyOffsets; ++i) {
            const int32_t sv = randomSign(), sh = randomSign();
            const int32_t vertical = crtRand() % 6 + 1;
            const int32_t horizontal = crtRand() % 6 + 1;
            offsets[i] = vertical * sv * p->pitch + horizontal * sh;
        }
    uint32_t n = 0;
    for (int32_t y = 0; y < a.h; ++y) {
        const Pixel* s = sourceRow(p, y);
        Pixel* d = destRow(p, y);
        for (int32_t x = 0; x < a.w; ++x, ++n)
            d[x] = half(s[x + offsets[(n + 1) & (kFoggyOffsets - 1)]]) + quarter(s[x + offsets[(n + 2) & (kFoggyOffsets - 1)]]) +
                   eighth(s[x + offsets[(n + 3) & (kFoggyOffsets - 1)]]) + sixteenth(s[x + offsets[(n + 4) & (kFoggyOffsets - 1)]]);
        ++n;
    }
}

void applyBlurUp(EffectParams* p) {
    const Area a = areaOf(p);
    const ptrdiff_t pitch = p->pitch;
    for (int32_t y = 0; y < a.h; ++y) {
        const Pixel* s = sourceRow(p, y);
        Pixel* d = destRow(p, y);
        for (int32_t x = 1; x < a.w; ++x) {
            const Pixel* c = s + x;
            d[x] = sixteenth(c[0]) + eighth(c[pitch - 1]) + eighth(c[pitch + 1]) + eighth(c[2 * pitch - 1]) +
                   eighth(c[2 * pitch + 1]) + eighth(c[3 * pitch - 1]) + eighth(c[3 * pitch]) + eighth(c[3 * pitch + 1]);
        }
    }
}

void applyFadeOut(EffectParams* p) {
    const Area a = areaOf(p);
    for (int32_t y = 0; y < a.h; ++y) {
        const Pixel* s = sourceRow(p, y);
        Pixel* d = destRow(p, y);
        for (int32_t x = 0; x < a.w; ++x) d[x] = sixteenth(s[x]) * 15;
    }
}

void applyColorFadeOut(EffectParams* p) {
    // Factors out of 32 (red, green, blue) by step.
    static constexpr uint32_t kFactors[6][3] = {{29, 31, 31}, {29, 29, 31}, {31, 29, 31},
                                                {29, 31, 29}, {31, 31, 29}, {31, 29, 29}};
    int32_t& step = p->stateWords[0];
    if (p->firstFrame || step < 0 || step > 5) step = 0;
    const uint32_t fr = kFactors[step][0], fg = kFactors[step][1], fb = kFactors[step][2];
    const Area a = areaOf(p);
    for (int32_t y = 0; y < a.h; ++y) {
        const Pixel* s = sourceRow(p, y);
        Pixel* d = destRow(p, y);
        for (int32_t x = 0; x < a.w; ++x) {
            const Pixel c = s[x];
            d[x] = (((c >> 16 & 0xFF) * fr) >> 5) << 16 | (((c >> 8 & 0xFF) * fg) >> 5) << 8 | (((c & 0xFF) * fb) >> 5);
        }
    }
    if (p->beat) step = step + 1 >= 6 ? 0 : step + 1;
}

void applyShift(EffectParams* p) {
    ShiftState& s = g_shift;
    s.frame += 1;
    s.follower = p->level > s.follower ? p->level : s.follower * 0.9375f;
    const double radius = s.follower * 0.125f;
    const int32_t sy = truncToInt(radius * std::cos(0.02 * s.frame));
    const int32_t sx = truncToInt(radius * std::sin(0.02 * s.frame));
    const Area a = areaOf(p);
    // Columns [x0, x1) read inside the clip; the rest get 0.
    const int32_t x0 = std::clamp(-sx, 0, std::max(a.w, 0)), x1 = std::clamp(a.w - sx, x0, std::max(a.w, 0));
    for (int32_t y = 0; y < a.h; ++y) {
        Pixel* d = destRow(p, y);
        const int32_t from = y + sy;
        if (from < 0 || from >= a.h) {
            std::fill_n(d, a.w, Pixel{0});
            continue;
        }
        const Pixel* s = sourceRow(p, from) + sx;
        std::fill_n(d, x0, Pixel{0});
        std::copy(s + x0, s + x1, d + x0);
        std::fill(d + x1, d + a.w, Pixel{0});
    }
}

void applySmoke(EffectParams* p) {
    const int32_t k = p->frameCounter;
    p->frameCounter = static_cast<int32_t>(static_cast<uint32_t>(k) + 1);
    const Area a = areaOf(p);
    const int32_t pitch = p->pitch;
    bool fresh;
    int32_t* offsets = holdOffsets(p, fresh);
    const int32_t drift = truncToInt(std::cos(0.01 * k) * 4.0);
    for (int32_t i = 0; i < kSmokeOffsets; ++i) {
        const int32_t s = randomSign();
        const int32_t horizontal = crtRand() % 6 + 1;
        const int32_t vertical = crtRand() % 8 + 1;
        offsets[i] = vertical * pitch + drift + horizontal * s;
    }
    const uint32_t uk = static_cast<uint32_t>(k);
    const int32_t frequency = (CosineTable[(uk & 255) * 32] + 16384) >> 11;
    const int32_t amplitude = CosineTable[(uk * 29) & 8191] >> 12;
    // Reads reach 8 rows below and 18 pixels sideways; past the bottom right
    // corner of the layer they are held to its last margin pixel.
    const Pixel* layer = p->source;
    const ptrdiff_t lastIndex = static_cast<ptrdiff_t>(p->height + 8) * pitch - 9;
    uint32_t n = 0;
    for (int32_t y = 0; y < a.h; ++y) {
        const int32_t sway = (amplitude * CosineTable[(static_cast<uint32_t>(frequency) * y) & 8191]) >> 15;
        const Pixel* s = sourceRow(p, y) + sway;
        Pixel* d = destRow(p, y);
        const ptrdiff_t rowStart = s - layer;
        const bool nearEnd = rowStart + static_cast<ptrdiff_t>(8) * pitch + a.w + 18 > lastIndex;
        for (int32_t x = 0; x < a.w; ++x, ++n) {
            ptrdiff_t o[4];
            for (int i = 0; i < 4; ++i) o[i] = x + offsets[(n + 1 + i) & (kSmokeOffsets - 1)];
            if (nearEnd)
                for (ptrdiff_t& v : o) v = std::min(v, lastIndex - rowStart);
            d[x] = quarter(s[o[0]]) + quarter(s[o[1]]) + quarter(s[o[2]]) + quarter(s[o[3]]);
        }
        ++n;
    }
}

void applyColor(EffectParams* p) {
    const uint32_t k = static_cast<uint32_t>(p->frameCounter);
    p->frameCounter = static_cast<int32_t>(k + 1);
    auto corner = [k](uint32_t m) { return ((CosineTable[(k * m) & 8191] >> 8) + 128) << 16; };
    // top left, top right, bottom left, bottom right per channel
    const int32_t c[3][4] = {{corner(21), corner(12), corner(3), corner(94)},
                             {corner(85), corner(76), corner(67), corner(58)},
                             {corner(49), corner(30), corner(21), corner(12)}};
    const Area a = areaOf(p);
    if (a.w <= 0 || a.h <= 0) return;
    int32_t left[3], right[3], leftStep[3], rightStep[3];
    for (int ch = 0; ch < 3; ++ch) {
        left[ch] = c[ch][0];
        right[ch] = c[ch][1];
        leftStep[ch] = (c[ch][2] - c[ch][0]) / a.h;
        rightStep[ch] = (c[ch][3] - c[ch][1]) / a.h;
    }
    // A corner at the top of the cosine is 256: held to 255 so it cannot carry.
    auto byte = [](int32_t v) { return static_cast<Pixel>(std::clamp(v >> 16, 0, 255)); };
    for (int32_t y = 0; y < a.h; ++y) {
        Pixel* d = destRow(p, y);
        int32_t v[3], step[3];
        for (int ch = 0; ch < 3; ++ch) {
            v[ch] = left[ch];
            step[ch] = (right[ch] - left[ch]) / a.w;
        }
        for (int32_t x = 0; x < a.w; ++x) {
            for (int ch = 0; ch < 3; ++ch) v[ch] += step[ch];
            d[x] = byte(v[0]) << 16 | byte(v[1]) << 8 | byte(v[2]);
        }
        for (int ch = 0; ch < 3; ++ch) {
            left[ch] += leftStep[ch];
            right[ch] += rightStep[ch];
        }
    }
}

void applyWater(EffectParams* p) {
    const Area a = areaOf(p);
    const ptrdiff_t pitch = p->pitch;
    for (int32_t y = 0; y < a.h; ++y) {
        const Pixel* s = sourceRow(p, y);
        Pixel* d = destRow(p, y);
        for (int32_t x = 0; x < a.w; ++x) {
            const Pixel l = s[x - 1], r = s[x + 1], u = s[x - pitch], b = s[x + pitch], old = d[x];
            const int32_t red = static_cast<int32_t>(((l & 0xFF0000u) + (r & 0xFF0000u) + (u & 0xFF0000u) + (b & 0xFF0000u)) >> 1) -
                                static_cast<int32_t>(old & 0xFF0000u);
            const int32_t green = static_cast<int32_t>(((l & 0xFF00u) + (r & 0xFF00u) + (u & 0xFF00u) + (b & 0xFF00u)) >> 1) -
                                  static_cast<int32_t>(old & 0xFF00u);
            const int32_t blue = static_cast<int32_t>(((l & 0xFFu) + (r & 0xFFu) + (u & 0xFFu) + (b & 0xFFu)) >> 1) -
                                 static_cast<int32_t>(old & 0xFFu);
            const Pixel outRed = red >= 0xFF8000 ? 0xFF0000u : (red > 65535 ? static_cast<Pixel>(red) & 0xFF0000u : 0u);
            const Pixel outGreen = green >= 0xFF80 ? 0xFF00u : (green >= 256 ? static_cast<Pixel>(green) & 0xFF00u : 0u);
            const Pixel outBlue = blue >= 256 ? 255u : (blue < 0 ? 0u : static_cast<Pixel>(blue));
            d[x] = outRed | outGreen | outBlue;
        }
    }
}

void resetPlainEffects() { g_shift = ShiftState{}; }
