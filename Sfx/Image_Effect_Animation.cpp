#include "Sfx/Image_Effect_Animation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Animation/ANI_Bubble.h"
#include "Animation/ANI_FireWork.h"
#include "Animation/ANI_Space.h"
#include "Sfx/ImageEffectFrame.h"
#include "Sfx/ImageEffectShared.h"
#include "render/ChannelMath.h"
#include "render/CrtRandom.h"
#include "render/Discs.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

AnimationUnitWords animationUnitWords{};

namespace {

using channel_math::clamp255;
using channel_math::rgb;

GlowState& glowOf(EffectParams* p) { return effectState<GlowState>(p); }

int32_t nextCount(int32_t& counter) {
    counter = static_cast<int32_t>(static_cast<uint32_t>(counter) + 1u);
    return counter;
}

Pixel cyclingColour(int32_t& counter) {
    const double h = nextCount(counter);
    return rgb(static_cast<uint32_t>(truncToInt(std::sin(0.0152 * h) * 127 + 128)),
               static_cast<uint32_t>(truncToInt(std::sin(0.0412 * h) * 127 + 128)),
               static_cast<uint32_t>(truncToInt(std::sin(0.0221 * h) * 127 + 128)));
}

void placeGlow(int32_t (&pos)[2], int32_t u, int32_t v) {
    pos[0] = randRange(-u, u);
    pos[1] = randRange(-v, v);
}

Pixel addSaturating(Pixel a, Pixel b) {
    return rgb(clamp255(int64_t((a >> 16) & 255) + ((b >> 16) & 255)), clamp255(int64_t((a >> 8) & 255) + ((b >> 8) & 255)),
               clamp255(int64_t(a & 255) + (b & 255)));
}

Pixel addGrey(Pixel a, int64_t o) {
    return rgb(clamp255(int64_t((a >> 16) & 255) + o), clamp255(int64_t((a >> 8) & 255) + o), clamp255(int64_t(a & 255) + o));
}

}  // namespace

void applyAnShining2(EffectParams* p) {
    Frame f;
    const bool drawable = frameOf(p, &f);
    if (drawable) copyPicture(f);
    const Pixel colour = cyclingColour(animationUnitWords.shiningColourCounter);
    GlowState& g = glowOf(p);
    const int32_t u = f.w >> 1, v = f.h >> 1;
    const int64_t b = (int64_t{f.w + f.h} << 5) / 1024;
    if (p->frameCounter == 15 || p->firstFrame) {
        p->frameCounter = 0;
        placeGlow(g.glowPos1, u, v);
    }
    const int32_t a1 = p->frameCounter;
    updateEffectLevel(p, 0.9f, 1.0f);
    const int64_t level = truncToInt(heldLevel(p->level));
    nextCount(p->frameCounter);
    const int64_t r1 = (truncToInt(b + 1 - std::cos(a1 * 0.4186666666666667) * b) * level) / 128 + 1;
    if (g.glowAge2 == 45 || p->firstFrame) {
        g.glowAge2 = 0;
        placeGlow(g.glowPos2, u, v);
    }
    const int32_t a2 = g.glowAge2;
    nextCount(g.glowAge2);
    const int64_t r2 = (truncToInt(b + 1 - std::cos(a2 * 0.13955555555555557) * b) * level) / 128 + 1;
    if (!drawable) return;
    const Rect clip{0, 0, f.w, f.h};
    drawGlowDiscClipped(f.dst, f.pitch, clip, u + g.glowPos1[0], v + g.glowPos1[1], static_cast<int32_t>(r1), colour, 64);
    drawGlowDiscClipped(f.dst, f.pitch, clip, u + g.glowPos2[0], v + g.glowPos2[1], static_cast<int32_t>(r2), colour, 64);
}

void applyAnShining(EffectParams* p) {
    Frame f;
    const bool drawable = frameOf(p, &f);
    const int32_t d0 = drawable ? ((f.w + f.h) << 8) / 1120 : 0, d = (d0 * 32) / 256;
    int32_t* points = reinterpret_cast<int32_t*>(keptScratch(p, 0, [&](Pixel* b) {
        int32_t* xy = reinterpret_cast<int32_t*>(b);
        for (int i = 0; i < 128; ++i) {
            xy[i] = d + crtRand() % std::max(1, f.w - 2 * d);
            xy[128 + i] = d + crtRand() % std::max(1, f.h - 2 * d);
        }
    }));
    const int32_t g = p->frameCounter;
    nextCount(p->frameCounter);
    if (!drawable) return;
    if (points) {
        // Glows of radius up to d stay inside the frame: the points keep d away from every edge.
        const int32_t xHigh = std::max(d, f.w - d), yHigh = std::max(d, f.h - d);
        for (int i = 0; i < 128; ++i) {
            points[i] = std::clamp(points[i] + crtRand() % 3 - 1, d, xHigh);
            points[128 + i] = std::clamp(points[128 + i] + crtRand() % 3 - 1, d, yHigh);
        }
    }
    copyPicture(f);
    const int64_t k = int64_t{g} + 1;
    // A cosine of -1 would give 256: held to the channel.
    const Pixel colour = rgb(clamp255((SineTable[(35 * k) & 8191] >> 8) + 128),
                             clamp255(128 - ((int64_t{CosineTable[((131 * k) & 65535) >> 3]} * 128) >> 15)),
                             clamp255(128 - ((int64_t{CosineTable[((63 * k) & 65535) >> 3]} * 128) >> 15)));
    float L = 0;
    if (p->levelMode) {
        updateEffectLevel(p, 0.0f, 1.0f);
        L = heldLevel(p->level);
    }
    if (!points) return;
    for (int i = 0; i < 128; ++i) {
        int64_t s = p->levelMode == 0 ? (p->spectrum ? p->spectrum[i] : 0)
                                      : static_cast<int16_t>(truncToInt((crtRand() >> 6) * L / 256));
        s = std::max<int64_t>(s, 0);
        int32_t r = std::min(d, truncToInt(std::sqrt(static_cast<double>(s)) * d0 / 128));
        // A glow reaches r - 1 pixels each way: on a frame narrower than two
        // margins it is held inside too.
        r = std::min({r, points[i] + 1, f.w - points[i], points[128 + i] + 1, f.h - points[128 + i]});
        if (r > 0) drawGlowDiscB(f.dst, f.pitch, points[i], points[128 + i], r, colour, 64);
    }
}

void applyAnCircle(EffectParams* p, int32_t discs) {
    Frame f;
    const bool drawable = frameOf(p, &f);
    if (drawable) copyPicture(f);
    const Pixel colour = cyclingColour(animationUnitWords.circleColourCounter);
    GlowState& g = glowOf(p);
    const int32_t t = f.w >> 1, u = f.h >> 1;
    const int64_t w = std::max<int64_t>(1, (int64_t{f.w + f.h} << 7) / 1024);
    if (p->frameCounter == 11 || p->firstFrame) {
        p->frameCounter = 0;
        placeGlow(g.glowPos1, t, u);
    }
    const int64_t a1 = p->frameCounter;
    updateEffectLevel(p, 0.9f, 1.0f);
    nextCount(p->frameCounter);
    if (g.glowAge2 == 19 || p->firstFrame) {
        g.glowAge2 = 0;
        placeGlow(g.glowPos2, t, u);
    }
    const int64_t a2 = g.glowAge2;
    nextCount(g.glowAge2);
    if (!drawable) return;
    const Rect clip{0, 0, f.w, f.h};
    // Ages another effect left behind are held to the shapes' cycles.
    const int64_t radii[2] = {(std::clamp<int64_t>(a1, 0, 11) * w) / 11 + 1, (w * std::clamp<int64_t>(a2, 0, 19)) / 19 + 1};
    const int32_t* pos[2] = {g.glowPos1, g.glowPos2};
    for (int i = 0; i < 2; ++i) {
        const int64_t r = radii[i];
        const int32_t x = t + pos[i][0], y = u + pos[i][1];
        if (discs) {
            const int64_t weight = std::max<int64_t>(0, 256 - (r * 256) / w);
            blendDiscClipped(f.dst, clip, f.pitch, x, y, static_cast<int32_t>(r), colour, static_cast<int32_t>(weight));
        } else {
            const int64_t width = i == 0 ? (int64_t{f.w + f.h} << 7) / 16384 / r + 1 : w / 16 / r + 1;
            drawAdditiveRing(f.dst, f.pitch, clip, x, y, static_cast<int32_t>(r), static_cast<int32_t>(width), colour);
        }
    }
}

// ---- Smoke -------------------------------------------------------------------------------

namespace {

// A random row offset per 8-bit counter value, drawn anew each frame.
void randomRows(int64_t (&rows)[256], int32_t pitch, int32_t spread) {
    for (int64_t& r : rows) r = int64_t{pitch} * (crtRand() % spread);
}

// Two kept planes of 32-bit colour cells, swapped each frame: returns the old
// (read) and new (written) plane, or false without scratch.
bool colourPlanes(EffectParams* p, const Frame& f, bool drawable, Pixel** oldPlane, Pixel** newPlane) {
    GlowState& g = glowOf(p);
    const size_t cells = drawable ? static_cast<size_t>(f.h) * f.pitch : 0;
    if (p->firstFrame) g.smokePlane = 0;
    Pixel* a = keptScratch(p, 0, [&](Pixel* b) { std::fill_n(b, cells, Pixel{0}); });
    Pixel* b = keptScratch(p, 1, [&](Pixel* c) { std::fill_n(c, cells, Pixel{0}); });
    if (!a || !b) return false;
    g.smokePlane ^= 1;
    *oldPlane = g.smokePlane & 1 ? a : b;
    *newPlane = g.smokePlane & 1 ? b : a;
    return true;
}

// The rising step of the colour smokes: each new cell the sum of four old
// cells (at the row's shifted position and two to its left, in the same row
// and a random number of rows lower) at a quarter each; cells past the old
// plane read `beyond`. Then the frame is the picture plus add(new cell).
template <class Shift, class Add>
void riseColourSmoke(const Frame& f, const Pixel* oldPlane, Pixel* newPlane, Shift rowShift, Pixel beyond, Add add) {
    int64_t rows[256];
    randomRows(rows, f.pitch, 15);
    const int64_t end = int64_t{f.h} * f.pitch;
    auto cell = [&](int64_t i) { return ((i >= 0 && i < end ? oldPlane[i] : beyond) >> 2) & 0x3F3F3Fu; };
    uint8_t counter = 0;
    for (int32_t y = 0; y < f.h; ++y) {
        const int64_t k = int64_t{y} * f.pitch + rowShift(y);
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        Pixel* out = newPlane + static_cast<ptrdiff_t>(y) * f.pitch;
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t below = rows[counter++];
            const Pixel v = cell(k + x) + cell(k + x - 2) + cell(k + x + below) + cell(k + x + below - 2);
            out[x] = v;
            d[x] = addSaturating(s[x], add(v));
        }
        counter = static_cast<uint8_t>(counter + crtRand());
    }
}

Pixel scaledColour(uint32_t colour, int64_t w) {
    return rgb(clamp255(((colour >> 16) & 255) * w / 256), clamp255(((colour >> 8) & 255) * w / 256),
               clamp255((colour & 255) * w / 256));
}

}  // namespace

void drawSpectrumFire(EffectParams* p, int32_t, int32_t, uint32_t) {
    Frame f;
    const bool drawable = frameOf(p, &f);
    Pixel *oldPlane = nullptr, *newPlane = nullptr;
    const bool planes = colourPlanes(p, f, drawable, &oldPlane, &newPlane);
    AnimationUnitWords& u = animationUnitWords;
    const int64_t n = nextCount(u.fireCounter);
    int64_t made[128];
    const int16_t* spectrum = p->spectrum;
    if (p->levelMode) {
        updateEffectLevel(p, 0.0f, 1.0f);
        const double scale = heldLevel(p->level) / 256.0 * 16384;
        u.firePhase += 0.1;
        for (int i = 0; i < 128; ++i) made[i] = truncToInt(std::fabs(std::sin(u.firePhase + i * 0.05)) * scale);
    } else {
        for (int i = 0; i < 128; ++i) made[i] = spectrum ? spectrum[i] : 0;
    }
    if (!drawable) return;
    if (!planes) {
        copyPicture(f);
        return;
    }
    const Pixel feed = rgb(clamp255(((int64_t{SineTable[(11 * n) & 8191]} * 127) >> 17) + 32),
                           clamp255(((8192 - ((int64_t{CosineTable[(21 * n) & 8191]} * 127) >> 15) * 64) & 0xFF00) >> 8),
                           clamp255((128 - ((int64_t{CosineTable[(31 * n) & 8191]} * 127) >> 15)) >> 2));
    for (int32_t x = 0; x < f.w; ++x) {
        int64_t o = 0;
        for (int64_t k = 0; k < 7; ++k) o += made[std::min<int64_t>(127, (127 * (x + k)) / (3 * int64_t{f.w}))];
        const int64_t height = std::min<int64_t>(o / 32 + 1, f.h / 2);
        for (int64_t j = 0; j < height; ++j) {
            Pixel& c = oldPlane[(f.h - 1 - j) * f.pitch + x];
            c = addSaturating(c, feed);
        }
    }
    const int64_t l = (SineTable[((153 * n + 4096) >> 3) & 8191] >> 12) + (SineTable[((100 * n) >> 3) & 8191] >> 12);
    riseColourSmoke(
        f, oldPlane, newPlane,
        [&](int64_t y) { return l + (SineTable[((405 * y + 2006 * n) & 65535) >> 3] >> 13) + 1; }, Pixel{0},
        [](Pixel v) { return v & 0x7F7F7Fu; });
}

void drawRisingGlow(EffectParams* p, int32_t, int32_t, uint32_t colour) {
    Frame f;
    const bool drawable = frameOf(p, &f);
    if (p->firstFrame) p->frameCounter = 0;
    Pixel *oldPlane = nullptr, *newPlane = nullptr;
    const bool planes = colourPlanes(p, f, drawable, &oldPlane, &newPlane);
    const int64_t n = nextCount(p->frameCounter);
    AnimationUnitWords& u = animationUnitWords;
    u.glowPhase += 0.01;
    if (p->levelMode) updateEffectLevel(p, 0.0f, 1.0f);
    if (!drawable) return;
    if (!planes) {
        copyPicture(f);
        return;
    }
    colour &= 0xFFFFFF;
    const int32_t feedRows = std::min(2, f.h / 2);
    for (int32_t x = 0; x < f.w; ++x) {
        const Pixel c = scaledColour(colour, truncToInt(std::cos(x * 0.02912 - u.glowPhase) * 127 + 128));
        for (int32_t j = 0; j < feedRows; ++j) oldPlane[static_cast<ptrdiff_t>(f.h - 1 - j) * f.pitch + x] = c;
    }
    const int64_t l = (SineTable[((153 * n + 4096) >> 3) & 8191] >> 14) + (SineTable[((100 * n) >> 3) & 8191] >> 13);
    riseColourSmoke(
        f, oldPlane, newPlane,
        [&](int64_t y) { return l + (SineTable[((405 * (y + 1) + 2006 * n) & 65535) >> 3] >> 13) + 1; }, colour,
        [](Pixel v) { return v; });
}

void drawRisingSmoke(EffectParams* p, int32_t, int32_t, uint32_t) {
    Frame f;
    const bool drawable = frameOf(p, &f);
    GlowState& g = glowOf(p);
    // Two planes of 16-bit cells, H + 128 rows each, each after a zero guard row:
    // the rise reads a few cells left of a row's start and rows below the frame.
    const int64_t planeCells = drawable ? int64_t{f.h + 129} * f.pitch : 0;
    if (p->firstFrame) g.smokePlane = 0;
    uint16_t* base = reinterpret_cast<uint16_t*>(keptScratch(p, 0, [&](Pixel* b) {
        std::fill_n(reinterpret_cast<uint16_t*>(b), 2 * planeCells, uint16_t{0});
    }));
    const int64_t gCount = nextCount(animationUnitWords.smokeCounter);
    if (!drawable) return;
    if (!base) {
        copyPicture(f);
        return;
    }
    g.smokePlane ^= 1;
    uint16_t* cur = base + (g.smokePlane & 1) * planeCells + f.pitch;
    uint16_t* other = base + ((g.smokePlane & 1) ^ 1) * planeCells + f.pitch;
    for (int32_t x = 0; x < f.w; ++x) {
        const int64_t s = p->samples ? p->samples[(127 * x) / std::max(1, f.w - 1)] : 0;
        const int64_t j = std::min<int64_t>(std::llabs(s) / 512 + 1, f.h / 2);
        for (int64_t i = 0; i < j; ++i) {
            uint16_t& c = cur[(f.h - 1 - i) * f.pitch + x];
            c = static_cast<uint16_t>(c + 32);
        }
    }
    int64_t rows[256];
    randomRows(rows, f.pitch, 8);
    uint8_t counter = 0;
    for (int32_t y = 0; y < f.h; ++y) {
        const int64_t k =
            int64_t{y} * f.pitch + truncToInt(2 * std::sin(0.0007 * gCount + std::sin(0.0093 * gCount) * y * 0.0221)) + 1;
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        uint16_t* out = other + static_cast<ptrdiff_t>(y) * f.pitch;
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t r = rows[counter++];
            const int64_t o = ((int64_t{cur[k + x - 2]} + cur[k + x + r - 2] + cur[k + x + r] + cur[k + x]) >> 2) & 0xFFFE;
            out[x] = static_cast<uint16_t>(o);
            d[x] = addGrey(s[x], o);
        }
        counter = static_cast<uint8_t>(counter + crtRand());
    }
}

void applyAnSmoke2(EffectParams* p) { drawSpectrumFire(p, 0, 0, 0xFFFFFF); }
void applyAnSmoke3(EffectParams* p) { drawRisingGlow(p, 0, 0, 0xFFFFFF); }
void applyAnSmoke(EffectParams* p) { drawRisingSmoke(p, 0, 0, 0xFFFFFF); }

// ---- Borrowed animations -----------------------------------------------------------------

namespace {

void copyByStretch(EffectParams* p) {
    Frame f;
    if (frameOf(p, &f)) stretchRect(f.dst, f.src, p->rect, p->rect, f.pitch, f.pitch);
}

}  // namespace

void applyAnBubble(EffectParams* p) {
    copyByStretch(p);
    runBubbleStyle0(p);
}

void applyAnBubble2(EffectParams* p) { runBubbleStyle1(p); }

void applyAnBubble3(EffectParams* p) {
    copyByStretch(p);
    MetalBubble(p);
}

void applyAnFireWork(EffectParams* p) {
    copyByStretch(p);
    FireWork(p);
}

void applyAnFireWork3D(EffectParams* p) {
    copyByStretch(p);
    FireWork3D(p);
}

void applyAnSpace(EffectParams* p) {
    copyByStretch(p);
    Space(p);
}
