#include "Animation/ANI_Bubble.h"

#include <algorithm>
#include <utility>

#include "Animation/AnimationShared.h"
#include "Animation/ParticleList.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"
#include "render/QuadFill.h"
#include "render/TrigTables.h"

namespace {

constexpr const char* kUnit = animationUnitPath(AnimationUnit::Bubble);

// Set on a run's first frame, kept between frames.
struct BubbleSetup {
    int32_t riseSpeed = 0;        // 1/256 pixel of rise per frame per pixel of radius
    int32_t radiusScale = 0;
    int32_t spawnRate = 0;
    int32_t style = 0;
    int32_t ballSpriteSize = 128;
};
BubbleSetup g_setup;

// The lens reads the square-root table up to about 128 x r; past r = 63 it would
// run off the table (frames over 3,000 pixels high).
constexpr int32_t kMaxLensRadius = 63;

enum BufferWord { kSprite = 0, kBufferA = 1, kBufferB = 2 };

// The sprite is drawn again whenever its buffer is newly acquired.
void holdBuffers(EffectParams* p) {
    if (holdScratchBuffers(p, 3)) {
        const bool metal = g_setup.style == 3;
        drawBallSprite(p->buffers[kSprite], p->pitch, 0, 0, metal ? g_setup.ballSpriteSize : g_setup.ballSpriteSize + 1,
                       metal ? 0 : 1);
    }
}

void updateBubble(EffectParams*, ParticleNode* bubble) {
    bubble->x += (crtRand() & 0xFFF) - 2048;
    bubble->y -= bubble->radius * g_setup.riseSpeed;
    // Out through the top, or a random pop (about 2.3 % a frame).
    if (bubble->y < 0 || crtRand() > 32000) unlinkAndFreeParticle(BubbleParticles, bubble);
}

// One colour cycle every 128 bubbles; any phase an earlier effect left is an index.
Pixel bubbleColour(int32_t phase) { return wheelColour(phase * 64); }

void spawnBubbles(EffectParams* p, int32_t w) {
    int32_t rate = truncToInt(static_cast<float>(g_setup.spawnRate) * p->level);
    if (rate < 0) rate = 0;
    int32_t births;
    if (rate >= 4096)
        births = rate / 4096;
    else
        births = crtRand() % (4096 - rate) < rate / 2 ? 1 : 0;
    for (int32_t n = 0; n < births; ++n) {
        ParticleNode* bubble = newParticle();
        if (!bubble) continue;
        bubble->x = (crtRand() % w + p->rect.left) * 256;
        bubble->y = p->rect.bottom * 256;
        bubble->radius = (crtRand() % 16) * g_setup.radiusScale / 140 + 3;
        int32_t& phase = particleColourPhase(p);
        bubble->colour = static_cast<int32_t>(bubbleColour(phase));
        phase += 1;
        bubble->update = updateBubble;
        appendParticle(BubbleParticles, bubble);
    }
}

void copyLayer(Pixel* dst, const Pixel* src, const EffectParams* p) {
    copyRect(dst, src, p->rect.left, p->rect.top, p->rect, p->pitch, p->pitch);
}

void drawBubbles(EffectParams* p, int32_t w, int32_t h) {
    const int32_t style = g_setup.style;
    const Pixel* sprite = p->buffers[kSprite];
    Pixel* a = p->buffers[kBufferA];
    Pixel* b = p->buffers[kBufferB];
    const bool buffersHeld = sprite && a && b;
    // The chain starts with both work buffers holding the picture under the balls.
    if (style == 1) {
        if (buffersHeld) {
            copyLayer(b, p->source, p);
            copyLayer(a, b, p);
            copyLayer(p->destination, a, p);
        } else {
            copyLayer(p->destination, p->source, p);   // the picture at least
        }
    } else if (style == 2 && buffersHeld) {
        copyLayer(b, p->destination, p);
        copyLayer(a, b, p);
    }
    if (style != 0 && !buffersHeld) return;   // the pool was full: no balls this frame

    const int32_t spriteSize = g_setup.ballSpriteSize;
    for (const ParticleNode* n = BubbleParticles.head; n; n = n->next) {
        if (n->radius == 0) continue;
        const int32_t cx = n->x / 256, cy = n->y / 256, r = n->radius * 6 / 16;
        const Pixel colour = static_cast<Pixel>(n->colour);
        const bool head = n == BubbleParticles.head, tail = n == BubbleParticles.tail;
        switch (style) {
            case 0:
                drawBubbleLens(p, cx, cy, r);
                break;
            case 1:
                if (tail) {
                    drawGlassBallB(a, p->destination, p->source, p->pitch, cx, cy, r * 7, sprite, spriteSize, colour, w, h);
                } else {
                    drawGlassBallB(b, p->destination, a, p->pitch, cx, cy, r * 7, sprite, spriteSize, colour, w, h);
                    if (!head) std::swap(a, b);
                }
                break;
            case 2:
                if (tail) {
                    // Into the layer: drawn into work buffer A it would never be seen.
                    drawGlassBall(p->destination, a, p->pitch, cx, cy, r * 6, sprite, spriteSize, colour, w, h);
                } else {
                    drawGlassBallB(b, p->destination, a, p->pitch, cx, cy, r * 6, sprite, spriteSize, colour, w, h);
                    if (!head) std::swap(a, b);
                }
                break;
            case 3:
                drawGlassBallClipped(p->destination, p->pitch, cx, cy, r * 4, sprite, spriteSize, colour, w, h);
                break;
            default:
                break;
        }
    }
}

}  // namespace

void drawBubbleLens(const EffectParams* p, int32_t cx, int32_t cy, int32_t r) {
    const int32_t w = p->rect.right - p->rect.left, h = p->rect.bottom - p->rect.top;
    r = std::min(r, kMaxLensRadius);
    const int32_t m = 128 / (r + 1);
    const int32_t pitch = p->pitch;
    const Pixel* src = p->source;
    for (int32_t i = std::max(-r, -cy); i <= std::min(r, h - cy - 1); ++i) {
        const int32_t s = SqrtTable[r * r - i * i] / 1024;
        Pixel* row = pixelAt(p->destination, pitch, cx, cy + i);
        for (int32_t j = std::max(-s, -cx); j <= std::min(s, w - cx - 1); ++j) {
            const int32_t d = SqrtTable[m * (i * i + j * j)];
            const int32_t sx = cx + j * d / 2048, sy = cy + i * d / 2048;
            if (sx >= 0 && sx < w && sy >= 0 && sy < h) row[j] = *pixelAt(src, pitch, sx, sy);
        }
    }
}

void runBubbles(EffectParams* p, int32_t riseFactor, int32_t radiusFactor, int32_t rateFactor, int32_t style) {
    const int32_t w = p->rect.right - p->rect.left, h = p->rect.bottom - p->rect.top;
    if (w <= 0 || h <= 0) return;   // no column for a bubble to be born in
    if (p->firstFrame) {
        freeParticleList(BubbleParticles);
        p->frameCounter = 0;
        g_setup.riseSpeed = riseFactor * (h + 256) / 512;
        g_setup.radiusScale = radiusFactor * h / 256;
        g_setup.spawnRate = rateFactor * h / 256;
        g_setup.style = style;
        dropScratchBuffers(p);   // whatever an earlier effect left there is not ours
    }
    if (g_setup.style >= 1 && g_setup.style <= 3) holdBuffers(p);
    updateAnimationLevel(p, 0.9f, 1.0f);
    p->frameCounter += 1;
    updateParticles(BubbleParticles, p);
    spawnBubbles(p, w);
    drawBubbles(p, w, h);
}

void Bubble(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] { runBubbles(p, 64, 128, 32, 2); });
}

void MetalBubble(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] { runBubbles(p, 128, 128, 128, 3); });
}

void runBubbleStyle0(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] { runBubbles(p, 128, 128, 128, 0); });
}

void runBubbleStyle1(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] { runBubbles(p, 64, 128, 32, 1); });
}
