#include "Sfx/Image_Effect_Light.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "Sfx/ImageEffectFrame.h"
#include "Sfx/ImageEffectShared.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/MeshLit.h"
#include "render/RandomGeometry.h"

namespace {

// Channel masks of a light: bit 2 red, bit 1 green, bit 0 blue.
constexpr int kRed = 4, kGreen = 2, kBlue = 1, kWhite = 7;
// The colour phases: white, red, green, blue, yellow, purple, cyan.
constexpr int kPhaseChannels[7] = {kWhite, kRed, kGreen, kBlue, kRed | kGreen, kRed | kBlue, kGreen | kBlue};

// (W + H) / 560 as the light sizes take it.
float lightScale(const Frame& f) { return static_cast<float>(f.w + f.h) * 0.0017857143f; }

Pixel halfOf(Pixel c) { return (c >> 1) & 0x7F7F7F; }

void drawHalfPicture(const Frame& f) {
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) d[x] = halfOf(s[x]);
    }
}

// A channel times m / 64, held to a byte.
uint32_t litChannel(uint32_t c, int64_t m) {
    const int64_t v = (static_cast<int64_t>(c) * m) >> 6;
    return static_cast<uint32_t>(std::clamp<int64_t>(v, 0, 255));
}

// The largest q with q x q < limit (limit > 0).
int64_t widestBelow(int64_t limit) {
    int64_t q = static_cast<int64_t>(std::sqrt(static_cast<double>(limit - 1)));
    while (q * q >= limit) --q;
    while ((q + 1) * (q + 1) < limit) ++q;
    return q;
}

// Inside the disc d2 < r2 about (cx, cy) the masked channels of the canvas are
// multiplied by factor(d2) / 64. Each row's run inside the disc is found once,
// so the pixels need no distance test.
template <class Factor>
void lightDisc(const Frame& f, int32_t cx, int32_t cy, int64_t r2, int channels, Factor factor) {
    if (r2 <= 0) return;
    const int64_t reach = widestBelow(r2);
    const int64_t y0 = std::max<int64_t>(0, cy - reach), y1 = std::min<int64_t>(f.h - 1, cy + reach);
    for (int64_t y = y0; y <= y1; ++y) {
        const int64_t dy2 = (cy - y) * (cy - y);
        const int64_t half = widestBelow(r2 - dy2);
        const int64_t x0 = std::max<int64_t>(0, cx - half), x1 = std::min<int64_t>(f.w - 1, cx + half);
        Pixel* d = f.dstRow(static_cast<int32_t>(y));
        for (int64_t x = x0; x <= x1; ++x) {
            const int64_t m = factor((cx - x) * (cx - x) + dy2);
            Pixel c = d[x];
            if (channels & kRed) c = (c & 0x00FFFF) | litChannel((c >> 16) & 0xFF, m) << 16;
            if (channels & kGreen) c = (c & 0xFF00FF) | litChannel((c >> 8) & 0xFF, m) << 8;
            if (channels & kBlue) c = (c & 0xFFFF00) | litChannel(c & 0xFF, m);
            d[x] = c;
        }
    }
}

// Counter words count on with wrap-around: a word another effect left near the
// top must not overflow.
int32_t nextCount(int32_t word) { return static_cast<int32_t>(static_cast<uint32_t>(word) + 1u); }

int32_t phaseChannels(int32_t phase) { return kPhaseChannels[phase >= 0 && phase < 7 ? phase : 0]; }

}  // namespace

void applyLtEmbossLight(EffectParams* p) {
    if (p->firstFrame) p->frameCounter = 0;
    updateEffectLevel(p, 0.96f, 1.0f);
    const float level = heldLevel(p->level);
    int32_t gain;
    if (p->levelMode == 0) {
        gain = truncToInt(level * 1.8);
        if (p->beat == 1) p->frameCounter += 1;
    } else {
        gain = truncToInt(level / 256 * 768);
    }
    if (p->frameCounter >= 7 || p->frameCounter < 0) p->frameCounter = 0;
    // The channels outside the phase's colour get half the gain.
    const int channels = phaseChannels(p->frameCounter);
    const int32_t wr = channels & kRed ? gain : gain / 2;
    const int32_t wg = channels & kGreen ? gain : gain / 2;
    const int32_t wb = channels & kBlue ? gain : gain / 2;
    Frame f;
    if (!frameOf(p, &f)) return;
    auto channel = [](int32_t t, int32_t u, int32_t w) {
        const int32_t k = ((w * std::abs(u - t)) >> 8) + 50;
        return static_cast<Pixel>(std::min(255, (t * k) >> 6));
    };
    // The last row and column have no lower-right neighbour and stay as they are.
    for (int32_t y = 0; y < f.h - 1; ++y) {
        const Pixel* s = f.srcRow(y);
        const Pixel* below = f.srcRow(y + 1);
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w - 1; ++x) {
            const Pixel t = s[x], u = below[x + 1];
            d[x] = channel((t >> 16) & 0xFF, (u >> 16) & 0xFF, wr) << 16 |
                   channel((t >> 8) & 0xFF, (u >> 8) & 0xFF, wg) << 8 | channel(t & 0xFF, u & 0xFF, wb);
        }
    }
}

void applyLtCircleLight(EffectParams* p) {
    if (p->firstFrame) {
        p->frameCounter = 0;
        p->stateWords[0] = 0;
    }
    // The phase as it stands lights this frame; a beat's step shows from the next.
    const int channels = phaseChannels(p->frameCounter);
    if (p->beat == 1) {
        p->frameCounter += 1;
        if (p->frameCounter >= 7 || p->frameCounter < 0) p->frameCounter = 0;
    }
    updateEffectLevel(p, 0.96f, 1.0f);
    const int32_t n = nextCount(p->stateWords[0]);
    p->stateWords[0] = n;
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t r = truncToInt(heldLevel(p->level) * 0.75 * lightScale(f) * 1.5 + 1);
    const int64_t r2 = static_cast<int64_t>(r) * r;
    const int64_t s = 8388608 / r2;
    const int32_t hw = f.w / 2, hh = f.h / 2;
    const int32_t cx = hw + truncToInt(std::cos(n * 0.033) * (hw - 50));
    const int32_t cy = hh + truncToInt(std::cos(n * 0.04) * (hh - 50));
    drawHalfPicture(f);
    lightDisc(f, cx, cy, r2, channels, [s](int64_t d2) { return 256 - ((d2 * s * 192) >> 23); });
}

void applyLt6ColorLight(EffectParams* p) {
    LightBands& bands = effectState<LightBands>(p);
    // What another effect left in the state area is no band level.
    if (p->firstFrame) std::fill(std::begin(bands.bandPrev), std::end(bands.bandPrev), 0.0f);
    if (p->levelMode != 0) {
        updateEffectLevel(p, 0.0f, 1.0f);
        std::fill(std::begin(bands.bandLevel), std::end(bands.bandLevel), p->level);
    } else {
        for (int b = 0; b < 8; ++b) {
            float sum = 0.0f;
            for (int e = 16 + 10 * b; e <= 25 + 10 * b; ++e) {
                const int16_t entry = p->spectrum[e];
                sum += entry > 0 ? static_cast<int16_t>(static_cast<int32_t>(std::sqrt(static_cast<double>(entry)))) : 0;
            }
            bands.bandSum[b] = sum;
            const float band = sum < bands.bandPrev[b] ? bands.bandPrev[b] * 0.92f : sum;
            bands.bandLevel[b] = band;
            bands.bandPrev[b] = band;
        }
    }
    if (p->firstFrame) p->stateWords[0] = crtRand();
    const int32_t t = truncToInt(p->duration * static_cast<double>(p->progress) * 0.03 + p->stateWords[0]);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t w = f.w / 2, h = f.h / 2, a = f.w / 2 - 50, b = f.h / 2 - 50;
    struct Light {
        int channels;
        int32_t row;
        int32_t column;
    };
    const Light lights[6] = {
        {kRed, h + truncToInt(b * std::cos(0.04 * t)), w + truncToInt(a * std::sin(0.083 * t))},
        {kGreen, h + truncToInt(b * std::cos(0.05 * t)), w + truncToInt(a * std::cos(0.063 * t))},
        {kBlue, h + truncToInt(b * std::sin(0.07 * t)), w + truncToInt(a * std::cos(0.033 * t))},
        {kRed | kGreen, h + truncToInt(b * std::sin(0.047 * t)), w + truncToInt(a * std::cos(0.0533 * t))},
        {kRed | kBlue, h + truncToInt(b * std::sin(0.017 * t)), w + truncToInt(a * std::cos(0.0733 * t))},
        {kGreen | kBlue, h + truncToInt(b * std::sin(0.087 * t)), w + truncToInt(a * std::cos(0.01933 * t))},
    };
    const int64_t g = (static_cast<int64_t>(f.w + f.h) * 3) / 2;
    drawHalfPicture(f);
    for (int k = 0; k < 6; ++k) {
        const float band = std::min(bands.bandLevel[k] + 1.0f, 200.0f);
        const int32_t size = std::max(0, truncToInt(band));   // NaN held to 0
        const int32_t r = static_cast<int32_t>((g * size) >> 10);
        const int64_t r2 = static_cast<int64_t>(r) * r;
        const uint64_t s = static_cast<uint64_t>(4194304 / (r2 + 1));
        lightDisc(f, lights[k].column, lights[k].row, r2, lights[k].channels,
                  [s](int64_t d2) { return 256 - static_cast<int64_t>((s * static_cast<uint64_t>(d2) * 192) >> 22); });
    }
}

void applyLtRGBLight(EffectParams* p) {
    updateEffectLevel(p, 0.96f, 1.0f);
    const float level = heldLevel(p->level);
    const float v = p->levelMode == 0 ? level * 0.75f : level;
    p->frameCounter = nextCount(p->frameCounter);
    const double n = p->frameCounter;
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t r = 1 + truncToInt(v * lightScale(f) * 0.8);
    const int64_t r2 = static_cast<int64_t>(r) * r;
    const int64_t s = 2097152 / r2;
    const int64_t vi = truncToInt(v);
    const int32_t hw = f.w / 2, hh = f.h / 2, a = hw - 50, b = hh - 50;
    drawHalfPicture(f);
    auto factor = [vi, s](int64_t d2) { return vi - ((vi * d2 * s) >> 21) + 64; };
    lightDisc(f, hw + truncToInt(a * std::sin(0.13 * n)), hh + truncToInt(b * std::cos(0.04 * n)), r2, kRed,
              factor);
    lightDisc(f, hw + truncToInt(a * std::cos(0.06 * n)), hh + truncToInt(b * std::cos(0.05 * n)), r2, kGreen,
              factor);
    lightDisc(f, hw + truncToInt(a * std::cos(0.03 * n)), hh + truncToInt(b * std::sin(0.11 * n)), r2, kBlue,
              factor);
}

void drawStageBeam(Pixel* canvas, const Rect& clip, int32_t pitch, int32_t pivotX, int32_t pivotY, int32_t tipX,
                   int32_t tipY, float spread, Pixel colour) {
    const int32_t e = truncToInt(spread * 10430.378);
    rotateAboutPointFixed(&tipX, &tipY, -e, pivotX, pivotY);
    const int32_t step = 2 * (static_cast<uint16_t>(e) / 15);
    auto scaled = [colour](double scale) {
        auto ch = [scale](uint32_t c) { return static_cast<uint32_t>(std::clamp(truncToInt(c * scale), 0, 255)); };
        return ch((colour >> 16) & 0xFF) << 16 | ch((colour >> 8) & 0xFF) << 8 | ch(colour & 0xFF);
    };
    const float pivot[2] = {static_cast<float>(pivotX), static_cast<float>(pivotY)};
    for (int32_t j = 0; j < 15; ++j) {
        int32_t x1 = tipX, y1 = tipY, x2 = tipX, y2 = tipY;
        rotateAboutPointFixed(&x1, &y1, j * step, pivotX, pivotY);
        rotateAboutPointFixed(&x2, &y2, (j + 1) * step, pivotX, pivotY);
        const float p1[2] = {static_cast<float>(x1), static_cast<float>(y1)};
        const float p2[2] = {static_cast<float>(x2), static_cast<float>(y2)};
        const uint32_t c0 = scaled((7.5 - std::abs(j + 0.5 - 7.5)) * 0.13333334);
        const uint32_t c1 = scaled((7.5 - std::abs(j - 7.5)) * 0.026666667);
        const uint32_t c2 = scaled((7.5 - std::abs(j + 1 - 7.5)) * 0.026666667);
        fillTriangleGouraud(canvas, clip, pitch, pivot, p1, p2, &c0, &c1, &c2);
    }
}

void applyLtStageLight(EffectParams* p) {
    Frame f;
    if (frameOf(p, &f)) {
        copyPicture(f);
        const Rect clip{0, 0, f.w, f.h};
        const double counter = p->frameCounter;
        for (int32_t i = 0; i < 7; ++i) {
            const int32_t c = f.w * (2 * i + 1);
            const int32_t pivotX = (f.w >> 1) / 2 + c / 28, pivotY = f.h;
            int32_t tipX = pivotX, tipY = -100;
            rotateAboutPointFixed(&tipX, &tipY, truncToInt(std::cos((i + 10) * counter * 0.012) * 6000), pivotX,
                                  pivotY);
            const double a = (i - 0.5833333) * 0.8975971428571428;
            const Pixel red = static_cast<Pixel>(truncToInt((std::cos(a) + 1) * 128) & 0xFF);
            const Pixel green = static_cast<Pixel>(truncToInt((std::sin(a) + 1) * 128) & 0xFF);
            const Pixel blue =
                static_cast<Pixel>(truncToInt((std::cos((i - 0.5833333 + 3) * 0.8975971428571428) + 1) * 128) & 0xFF);
            drawStageBeam(f.dst, clip, f.pitch, pivotX, pivotY, tipX, tipY, 0.14279968f, red << 16 | green << 8 | blue);
        }
    }
    p->frameCounter = nextCount(p->frameCounter);
}
