#include "Animation/ANI_UpgradedAnimation.h"

#include <algorithm>
#include <cmath>

#include "Animation/AnimationShared.h"
#include "render/Blits.h"
#include "render/CrtRandom.h"
#include "render/Discs.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

namespace {

constexpr int32_t kDropSlots = 8000;
constexpr Pixel kSunColour = 0x460F06;
constexpr Pixel kTrioColours[3] = {0x461908, 0x084619, 0x190846};

struct UpgradedState {
    int32_t rgbSunFlag = 0;
    float rgbSunAngle = 0;
    int32_t lightsDirection = 1;
    float lightsAngle = 0;
    int32_t scanPosition = 0, scanFrames = 0;
    int16_t dropX[kDropSlots] = {}, dropY[kDropSlots] = {};   // y 0: a free slot
    int32_t dropFrames = 0;
    LevelFollower taegukLevel;
    uint32_t taegukBoost = 0;
    uint16_t taegukAngle = 0;
};
UpgradedState g_up;

struct Box {
    int32_t left, top, right, bottom, w, h, cx, cy;
};
Box boxOf(const Rect& r) {
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    return {r.left, r.top, r.right, r.bottom, w, h, r.left + w / 2, r.top + h / 2};
}

bool inside(const Rect& r, int32_t x, int32_t y, int32_t margin) {
    return x - margin >= r.left && x + margin < r.right && y - margin >= r.top && y + margin < r.bottom;
}

// A glow disc, clipped where it reaches past the clip.
void glow(Pixel* dst, int32_t pitch, const Rect& clip, int32_t x, int32_t y, int32_t r, Pixel colour, uint32_t intensity) {
    if (discInside(clip, x, y, r))
        drawGlowDisc(dst, pitch, x, y, r, colour, intensity);
    else
        drawGlowDiscClipped(dst, pitch, clip, x, y, r, colour, intensity);
}

// The cross glow has no clipped form: its radius is held to the room there is.
void glowCross(Pixel* dst, int32_t pitch, const Rect& clip, int32_t x, int32_t y, int32_t r, Pixel colour,
               uint32_t intensity) {
    if (!inside(clip, x, y, 0)) return;
    drawGlowCross(dst, pitch, x, y, radiusInside(clip, x, y, r), colour, intensity);
}

struct Point {
    int32_t x, y;
};

// Three points a third of a turn apart on a circle of radius R about the centre.
void trio(const Box& b, float angle, int32_t radius, Point* out) {
    float x = static_cast<float>(radius) * std::cos(angle), y = static_cast<float>(radius) * std::sin(angle);
    for (int k = 0; k < 3; ++k) {
        if (k > 0) rotateZ(&x, &y, 2.0943946838378906f);
        out[k] = {b.cx + truncToInt(x), b.top + b.h / 2 + truncToInt(y)};
    }
}

}  // namespace

void drawSun(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level, int32_t, int32_t variant) {
    const Box b = boxOf(*clip);
    const int32_t v = level & 0xFF, u = (b.w + b.h) / 4;
    if (variant == 1) return glow(dst, pitch, *clip, b.cx, b.cy, (u * v >> 9) + 1, kSunColour, 2 * v);
    if (variant == 2) return glowCross(dst, pitch, *clip, b.cx, b.cy, (u * v >> 9) + 1, kSunColour, 2 * v);
    const int32_t count = u * v * v / 2048;
    const int32_t c = (u * (b.h / 2) * v >> 17) & 0xFFFF;
    for (int32_t n = 0; n < count; ++n) {
        const int32_t x = b.cx + randBell(-c, c, 5);
        const int32_t y = b.cy + randBell(-c, c, 5);
        // The plus reaches two pixels out; a point that close to the edge is left out.
        if (inside(*clip, x, y, 2)) addPixelSaturatedB(dst, pitch, x, y, kSunColour);
    }
}

void drawRgbSun(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t variant) {
    const Box b = boxOf(*clip);
    const int32_t v = level & 0xFF, scale = sizeScale(*clip);
    if (beat) g_up.rgbSunFlag ^= 1;
    g_up.rgbSunAngle += 0.1f * static_cast<float>(2 * g_up.rgbSunFlag - 1);
    Point pts[3];
    trio(b, g_up.rgbSunAngle, (b.h / 2) / (variant == 0 ? 3 : 4), pts);
    const int32_t spread = (scale * v * (b.h / 2)) >> 17;
    if (variant == 0) {
        const int32_t count = scale * scale * v / 4096;
        for (int32_t n = 0; n < count; ++n) {
            const int32_t a = randBell(-spread, spread, 5), c = randBell(-spread, spread, 5);
            for (int k = 0; k < 3; ++k)
                if (inside(*clip, pts[k].x + a, pts[k].y + c, 0))
                    addPixelSaturated(dst, pitch, pts[k].x + a, pts[k].y + c, kTrioColours[k]);
        }
        return;
    }
    const int32_t count = scale * v / 256;
    for (int32_t n = 0; n < count; ++n) {
        const int32_t a = randBell(-spread, spread, 3), c = randBell(-spread, spread, 3);
        for (int k = 0; k < 3; ++k) glow(dst, pitch, *clip, pts[k].x + a, pts[k].y + c, 8, kTrioColours[k], 200);
    }
}

void drawRgbLights(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t variant) {
    const Box b = boxOf(*clip);
    const int32_t v = level & 0xFF;
    if (beat) g_up.lightsDirection = -g_up.lightsDirection;
    g_up.lightsAngle += 0.1f * static_cast<float>(g_up.lightsDirection);
    Point pts[3];
    trio(b, g_up.lightsAngle, (b.h / 2) / 3, pts);
    const int32_t radius = (sizeScale(*clip) * v >> 9) + 1;
    for (int k = 0; k < 3; ++k) {
        if (variant == 0)
            glow(dst, pitch, *clip, pts[k].x, pts[k].y, radius, kTrioColours[k], 256);
        else
            glowCross(dst, pitch, *clip, pts[k].x, pts[k].y, radius, kTrioColours[k], 256);
    }
}

void drawScanner(Pixel* dst, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level) {
    const Box b = boxOf(*clip);
    if (b.w <= 0 || b.h <= 0) return;
    const int32_t v = level & 0xFF, g = v / 8 + 1;
    if (g_up.scanPosition + g > b.w - g - 1)
        g_up.scanPosition = 0;
    else
        g_up.scanPosition += g;
    g_up.scanFrames += 1;
    const float n = static_cast<float>(g_up.scanFrames);
    const int32_t fr = truncToInt((std::cos(0.02993f * n) + 1.0f) * 10.0f);
    const int32_t fg = truncToInt(10.0f - 10.0f * std::cos(0.042151f * n));
    const int32_t fb = truncToInt((std::sin(0.03273f * n) + 1.0f) * 10.0f);
    const int32_t s = g_up.scanPosition;
    for (int32_t k = 2, j = 0; k < b.h - 2; k += 4, ++j) {
        const int32_t band = b.h / 4 + 1 - j;
        // Frames over 508 rows start above the 128 bands: those rows show silence.
        const int32_t a = band >= 0 && band < 128 ? spectrum[band] : 0;
        if (a < 0) continue;
        const Pixel colour = static_cast<Pixel>((std::min(fr * a, 255) << 16) | (std::min(fg * a, 255) << 8) |
                                                std::min(fb * a, 255));
        const int32_t sparks = 2 * a + 1;
        for (int32_t i = 0; i < sparks; ++i) {
            const int32_t p = std::clamp(s + randBell(-4 * g, g, 5), 0, b.w - 1);
            int32_t q = k + randBell(-8, 8, 5);
            q = q < 0 ? 0 : (q > b.h - 2 ? b.h - 1 : q);
            addPixelSaturated(dst, pitch, b.left + p, b.top + q, colour);
            // The mirror of column 0 would be the column right of the clip.
            if (p > 0) addPixelSaturated(dst, pitch, b.right - p, b.top + q, colour);
        }
    }
}

void drawParticleDrop(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level, int32_t variant) {
    const Box b = boxOf(*clip);
    const int32_t v = level & 0xFF;
    g_up.dropFrames += 1;
    const float n = static_cast<float>(g_up.dropFrames);
    const int32_t ex = b.cx + truncToInt(static_cast<float>(b.w / 2) * std::cos(0.036f * n));
    const int32_t ey = b.top + b.h / 4 + truncToInt(static_cast<float>(b.h / 4) * std::sin(0.025f * n));
    const int32_t count = sizeScale(*clip) * v >> 9;
    int32_t visits = 0;
    for (int32_t i = 0; i < kDropSlots && count > 1; ++i) {
        if (g_up.dropY[i] != 0) continue;
        if (++visits >= count) break;
        g_up.dropX[i] = static_cast<int16_t>(randBell(ex - 16, ex + 16, 4));
        g_up.dropY[i] = static_cast<int16_t>(randBell(ey - 16, ey + 16, 4));
    }
    int32_t step[3];
    if (variant == 0) {
        step[0] = 0x3C, step[1] = 0x24, step[2] = 0x08;
    } else if (variant == 1) {
        step[0] = 0x5A, step[1] = 0x18, step[2] = 0x08;
    } else {
        step[0] = truncToInt((std::cos(0.016f * n) + 1.0f) * 64.0f);
        step[1] = truncToInt((std::cos(0.011f * n) + 1.0f) * 64.0f);
        step[2] = truncToInt((std::cos(0.007f * n) + 1.0f) * 64.0f);
    }
    const Pixel add = static_cast<Pixel>((step[0] << 16) | (step[1] << 8) | step[2]);
    for (int32_t i = 0; i < kDropSlots; ++i) {
        const int32_t x = g_up.dropX[i], y = g_up.dropY[i];
        if (!(y > b.top + 4 && y < b.bottom - 4 && x > b.left + 4 && x < b.right - 4)) {
            g_up.dropY[i] = 0;
            continue;
        }
        Pixel* at = pixelAt(dst, pitch, x, y);
        const Pixel c = saturatingAdd(*at, add);
        *at = c;
        for (int32_t d = 1; d <= 3; ++d) {
            at[-d] = at[d] = c;
            at[-d * pitch] = at[d * pitch] = c;
        }
        g_up.dropX[i] = static_cast<int16_t>(x + crtRand() % 9 - 4);
        g_up.dropY[i] = static_cast<int16_t>(y + crtRand() % 4);
    }
}

void drawTaeguk(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level, int32_t beat) {
    const Box b = boxOf(*clip);
    const int32_t g = static_cast<int32_t>(g_up.taegukLevel.follow(static_cast<double>(level), 0.92));
    const int32_t l = (sizeScale(*clip) * (g / 3) >> 8) + 1;
    if (beat)
        g_up.taegukBoost += 10000;
    else
        g_up.taegukBoost = g_up.taegukBoost * 7 / 8;
    g_up.taegukAngle = static_cast<uint16_t>(g_up.taegukAngle - g_up.taegukBoost);
    const int32_t i = trigIndex(g_up.taegukAngle);
    const int64_t c = CosineTable[i], s = SineTable[i];
    const int32_t a = static_cast<int32_t>(l * s >> 15), bb = static_cast<int32_t>(l * c >> 15);
    const int32_t r = 2 * l, l2 = l * l;
    // Held to the clip on frames too small for the whole disc.
    const int32_t y0 = std::max(-r, b.top - b.cy), y1 = std::min(r, b.bottom - 1 - b.cy);
    const int32_t x0 = std::max(-r, b.left - b.cx), x1 = std::min(r, b.right - 1 - b.cx);
    for (int32_t y = y0; y <= y1; ++y) {
        Pixel* row = pixelAt(dst, pitch, b.cx, b.cy + y);
        for (int32_t x = x0; x <= x1; ++x) {
            if (x * x + y * y >= 4 * l2) continue;
            const bool blue = (y * c >= x * s && (y + a) * (y + a) + (x + bb) * (x + bb) >= l2) ||
                              (y - a) * (y - a) + (x - bb) * (x - bb) <= l2;
            const Pixel half = (row[x] >> 1) & 0x7F7F7F;
            row[x] = half + (blue ? 127u : 0x7F0000u);
        }
    }
}

void runSun(EffectParams* p, int32_t variant) {
    drawSun(p->destination, p->pitch, &p->rect, animationLevel(p), p->beat, variant);
}
void runRgbSun(EffectParams* p, int32_t variant) {
    drawRgbSun(p->destination, p->pitch, &p->rect, animationLevel(p), p->beat, variant);
}
void runScanner(EffectParams* p) { drawScanner(p->destination, p->pitch, &p->rect, p->spectrum, animationLevel(p)); }
void runParticleDrop(EffectParams* p, int32_t variant) {
    drawParticleDrop(p->destination, p->pitch, &p->rect, animationLevel(p), variant);
}
void runTaeguk(EffectParams* p) { drawTaeguk(p->destination, p->pitch, &p->rect, animationLevel(p), p->beat); }
void runRgbLights(EffectParams* p, int32_t variant) {
    drawRgbLights(p->destination, p->pitch, &p->rect, animationLevel(p), p->beat, variant);
}

void resetUpgradedState() { g_up = UpgradedState{}; }
