#include "Animation/ANI_Dot.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Animation/AnimationShared.h"
#include "render/Blits.h"
#include "render/Discs.h"
#include "render/FloatToInt.h"
#include "render/QuadFill.h"
#include "render/RandomGeometry.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr int32_t kMaxItems = 128;
constexpr int32_t kBallSpriteSize = 256;

struct DotState {
    float cloudPhase = 0;          // Dot
    float sparklePhase = 0;        // Dot2
    int32_t starFrames = 0;        // Dot3
    float star[3] = {0, 0, 0};     // Dot3's turning vector
    float spectrumPhase = 0;       // radians, 0 to 2 pi
    float radius[kMaxItems] = {};  // band radii of this frame
    float shown[kMaxItems] = {};   // radii shown last frame
};
DotState g_dot;

struct Wander {
    int32_t x, y;
    Pixel colour;
};

// The slow sine path and colour of Dot and Dot2.
Wander wanderAt(const Rect& clip, float t) {
    const int32_t w = clip.right - clip.left, h = clip.bottom - clip.top;
    Wander out;
    out.x = truncToInt(std::cos(0.0161f * t) * static_cast<float>(w / 4)) + clip.left + w / 2;
    out.y = truncToInt(std::sin(0.018f * t) * static_cast<float>(h / 4)) + clip.top + h / 2;
    const int32_t red = truncToInt(std::cos(0.00993f * t) * 90.0f + 100.0f);
    const int32_t green = truncToInt(std::cos(0.012151f * t) * 90.0f + 100.0f);
    const int32_t blue = truncToInt(std::sin(0.0273f * t) * 90.0f + 100.0f);
    out.colour = static_cast<Pixel>((red << 16) | (green << 8) | blue);
    return out;
}

bool insideClip(const Rect& r, int32_t x, int32_t y, int32_t margin) {
    return x - margin >= r.left && x + margin < r.right && y - margin >= r.top && y + margin < r.bottom;
}

void scaleTo(float* v, float length) {
    const float current = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (current == 0.0f) {
        v[0] = v[1] = v[2] = length;
        return;
    }
    for (int k = 0; k < 3; ++k) v[k] = v[k] * length / current;
}

Pixel rgb(int32_t red, int32_t green, int32_t blue) { return static_cast<Pixel>((red << 16) | (green << 8) | blue); }

}  // namespace

void drawDotCloud(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level) {
    const int32_t c = level & 255;
    g_dot.cloudPhase += static_cast<float>(c / 16);
    const int32_t k = referenceScale(*clip) * c;
    const int32_t count = k / 4, m = k / 700;
    const Wander at = wanderAt(*clip, g_dot.cloudPhase);
    const Rect& r = *clip;
    for (int32_t n = 0; n < count; ++n) {
        const int32_t dx = randBell(-m, m, 5), dy = randBell(-m, m, 5);
        const int32_t x = at.x + dx, y = at.y + dy;
        const int32_t mx = r.left + r.right - at.x - dx, my = r.top + r.bottom - at.y - dy;
        if (insideClip(r, x, y, 0)) addPixelSaturated(dst, pitch, x, y, at.colour);
        if (insideClip(r, mx, my, 0)) addPixelSaturated(dst, pitch, mx, my, at.colour);
    }
}

void drawDotSparkles(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level) {
    const int32_t c = level & 255;
    g_dot.sparklePhase += static_cast<float>(c / 16);
    const int32_t k = c * referenceScale(*clip);
    const int32_t m = k / 512, count = k / 64;
    const Wander at = wanderAt(*clip, g_dot.sparklePhase);
    for (int32_t n = 0; n < count; ++n) {
        const int32_t x = at.x + randBell(-m, m, 5);
        const int32_t y = at.y + randBell(-m, m, 5);
        // On small frames the cloud reaches past the clip; a sparkle there is left out.
        if (insideClip(*clip, x, y, 2)) addSparkle(dst, pitch, x, y, at.colour);
    }
}

void drawDotStar(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level) {
    const int32_t c = level & 255;
    const int32_t s = referenceScale(*clip);
    const float n = static_cast<float>(g_dot.starFrames);
    g_dot.starFrames += 1;
    float* v = g_dot.star;
    scaleTo(v, (2.0f * static_cast<float>(c) * 0.33333334f + 1.0f) * static_cast<float>(s) / 256.0f);
    const int32_t r = std::max(1, s * c * 30 / 65536);
    const Pixel colour = rgb(truncToInt(std::sin(0.0273f * n) * 127.0f + 128.0f),
                             truncToInt(std::cos(0.012151f * n) * 127.0f + 128.0f),
                             truncToInt(std::cos(0.00993f * n) * 127.0f + 128.0f));
    rotateX(&v[1], &v[2], 0.032f);
    rotateY(&v[0], &v[2], std::cos(0.02f * (n + 1.0f)) * 0.08641f);
    rotateZ(&v[0], &v[1], static_cast<float>(c) * 0.00123f);
    const int32_t cx = clip->left + (clip->right - clip->left) / 2, cy = clip->top + (clip->bottom - clip->top) / 2;
    float x = v[0], y = v[1];
    for (int k = 0; k < 7; ++k) {
        if (k > 0) rotateZ(&x, &y, 0.8975977f);
        const int32_t px = cx + truncToInt(x), py = cy + truncToInt(y);
        // The disc is not clipped: one that would reach past the clip is left out.
        if (insideClip(*clip, px, py, r + 1)) fillShadedDisc(dst, pitch, px, py, r, colour);
    }
}

void drawSpectrumDots(EffectParams* p, int32_t type) {
    const Rect& clip = p->rect;
    const int32_t w = clip.right - clip.left, h = clip.bottom - clip.top;
    const int32_t count = type == 1 || type == 2 ? 128 : 60;
    const bool glass = type == 3;
    if (glass) {
        if (p->firstFrame) dropScratchBuffers(p);
        if (holdScratchBuffers(p, 3)) drawBallSprite(p->buffers[0], p->pitch, 0, 0, kBallSpriteSize, 1);
    }
    g_dot.spectrumPhase += 0.02f;
    if (g_dot.spectrumPhase > 6.283184f) g_dot.spectrumPhase = 0.0f;
    const int32_t s = referenceScale(clip);
    const int32_t cx = clip.left + w / 2, cy = clip.top + h / 2;
    const int32_t maxSize = cy - 10;
    if (maxSize < 1) return;   // no room for an item
    const bool chain = glass && p->buffers[0] && p->buffers[1] && p->buffers[2];
    if (glass && !chain) return;   // the pool was full: no balls this frame
    Pixel* a = chain ? p->buffers[1] : nullptr;
    Pixel* b = chain ? p->buffers[2] : nullptr;
    // Glass balls see the ones before them: the layer goes into both work
    // buffers, every ball but the last is chained through them, the last lands in the layer.
    if (chain) {
        copyRect(b, p->destination, clip.left, clip.top, clip, p->pitch, p->pitch);
        copyRect(a, b, clip.left, clip.top, clip, p->pitch, p->pitch);
    }
    for (int32_t i = 0; i < count; ++i) {
        // A negative magnitude has no root; it counts as silence.
        const int32_t value = std::max<int32_t>(0, p->spectrum[type == 1 || type == 2 ? i : i + 20]);
        g_dot.radius[i] = std::sqrt(static_cast<float>(value)) * 8.0f + 16.0f;
        const float shown = g_dot.radius[i] >= g_dot.shown[i] ? g_dot.radius[i] : g_dot.shown[i] * 0.92f;
        g_dot.shown[i] = shown;
        const int32_t d = truncToInt(static_cast<float>(s) * shown / 256.0f);
        const int32_t z = std::min(type == 1 || type == 2 ? d / 3 + 2 : d / 4 + 2, maxSize);
        const float angle = kTwoPi * static_cast<float>(i) / static_cast<float>(count);
        const int32_t x = std::clamp(truncToInt(static_cast<float>(d) * std::cos(angle + g_dot.spectrumPhase)) + cx,
                                     clip.left + z, std::max(clip.left + z, clip.right - z - 1));
        const int32_t y = std::clamp(truncToInt(static_cast<float>(d) * std::sin(angle + g_dot.spectrumPhase)) + cy,
                                     clip.top + z, std::max(clip.top + z, clip.bottom - z - 1));
        const int32_t red = truncToInt(std::cos(angle) * 127.0f + 128.0f);
        const int32_t green = truncToInt(std::sin(angle) * 127.0f + 128.0f);
        const int32_t blue = truncToInt(
            std::cos(kTwoPi * static_cast<float>(count / 2 + i) / static_cast<float>(count)) * 127.0f + 128.0f);
        const Pixel colour = rgb(red, green, blue);
        switch (type) {
            case 0:
                drawBubbleDisc(p->destination, clip, p->pitch, x, y, z, colour);
                break;
            case 1:
                drawLightCrossB(p->destination, p->pitch, clip, x, y, z, red, green, blue);
                break;
            case 2:
                // Not clipped: on a frame narrower than the item it is left out.
                if (insideClip(clip, x, y, z + 1)) drawGlowDisc(p->destination, p->pitch, x, y, z, colour, 12);
                break;
            default:
                if (i == count - 1) {
                    drawGlassBall(p->destination, a, p->pitch, x, y, 2 * z, p->buffers[0], kBallSpriteSize, colour, w, h);
                } else {
                    drawGlassBallB(b, p->destination, a, p->pitch, x, y, 2 * z, p->buffers[0], kBallSpriteSize, colour,
                                   w, h);
                    if (i != 0) std::swap(a, b);
                }
                break;
        }
    }
}

void resetDotState() { g_dot = DotState{}; }
