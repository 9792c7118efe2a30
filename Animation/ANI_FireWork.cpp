#include "Animation/ANI_FireWork.h"

#include <algorithm>
#include <cmath>

#include "Animation/AnimationShared.h"
#include "Animation/ParticleList.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

namespace {

constexpr const char* kUnit = animationUnitPath(AnimationUnit::FireWork);

struct FireWorkSetup {
    int32_t gravity = 128;
    int32_t approach = 128;         // pull towards the resting point
    int32_t spread = 128;           // burst speed
    int32_t countFactor = 128;      // sparks per burst per unit of level
    int32_t lifetimeFactor = 128;
    int32_t burstInterval = 8;      // frames between bursts when the level mode is not 0
};
FireWorkSetup g_setup;

// Every routine of the unit carries its own guard: a fault in one spark logs a
// line and the walk goes on with the next.
template <class F>
void guarded(int line, F&& body) {
    runGuardedEntry(kUnit, line, body);
}

int32_t shift15(int64_t v) { return static_cast<int32_t>(v >> 15); }

void moveSpark(ParticleNode* spark, bool withDepth) {
    const int64_t g = spark->age;
    spark->age += 1;
    const int64_t pull = static_cast<int64_t>(g_setup.approach) * 16;
    spark->x += shift15((static_cast<int64_t>(spark->restX) - spark->x) * pull + spark->velocityX);
    spark->y += shift15((static_cast<int64_t>(spark->restY) - spark->y) * pull + spark->velocityY -
                        g * g_setup.gravity * 1024);
    if (withDepth) spark->z += shift15((static_cast<int64_t>(spark->restZ) - spark->z) * pull + spark->velocityZ);
}

void updateSpark(EffectParams*, ParticleNode* spark) {
    guarded(__LINE__, [spark] {
        moveSpark(spark, false);
        if (spark->lifetime < spark->age) unlinkAndFreeParticle(FireWorkParticles, spark);
    });
}

void updateSpark3D(EffectParams*, ParticleNode* spark) {
    guarded(__LINE__, [spark] {
        moveSpark(spark, true);
        if (spark->lifetime < spark->age) unlinkAndFreeParticle(FireWorkParticles, spark);
    });
}

void updateSparks(EffectParams* p) {
    guarded(__LINE__, [p] { updateParticles(FireWorkParticles, p); });
}

int32_t sparkLifetime() { return (crtRand() % 128 + 64) * g_setup.lifetimeFactor / 128; }

// All sparks of a burst share the colour of the frame's phase.
Pixel burstColour(const EffectParams* p) { return wheelColour((p->state.words[0] & 127) * 64); }

int32_t burstCentreX(int32_t w) {
    const int32_t a = crtRand(), b = crtRand();
    return ((w / 2) * (a + b) / 32767 - w / 2) * 128;
}

void burst2D(EffectParams* p, int32_t w, int32_t h) {
    guarded(__LINE__, [=] {
        const int32_t cx = burstCentreX(w);
        const int32_t cy = randRange(-3 * h / 4, 0) * 128;
        const int32_t speed = truncToInt(static_cast<float>((h + w) * g_setup.spread) * (p->level + 10.0f) / 2048.0f);
        const int32_t count = truncToInt(static_cast<float>(g_setup.countFactor) * p->level * 0.020833334f);
        const Pixel colour = burstColour(p);
        for (int32_t n = 0; n < count; ++n) {
            const int32_t v = static_cast<int32_t>(static_cast<int64_t>(speed) * crtRand() / 524272);
            const int32_t a = crtRand() & (kTrigTableSize - 1);
            ParticleNode* spark = newParticle();
            if (!spark) continue;
            spark->velocityX = v * CosineTable[a];
            spark->velocityY = v * SineTable[a];
            spark->x = spark->restX = cx;
            spark->y = spark->restY = cy;
            spark->lifetime = sparkLifetime();
            spark->colour = static_cast<int32_t>(colour);
            spark->update = updateSpark;
            appendParticle(FireWorkParticles, spark);
        }
    });
}

void burst3D(EffectParams* p, int32_t w, int32_t h) {
    guarded(__LINE__, [=] {
        const int32_t cx = burstCentreX(w);
        // Held above its start on frames under 61 rows, where the range would be empty.
        const int32_t cy = randRange(50, std::max(h - 10, 51)) * 128;
        const int32_t cz = randRange(-100, 100) * 128;
        const int32_t count = truncToInt(static_cast<float>(g_setup.countFactor) * p->level * 0.0625f);
        const int32_t strength = truncToInt(p->level * 32768.0f);
        const Pixel colour = burstColour(p);
        for (int32_t n = 0; n < count; ++n) {
            const int32_t a = (crtRand() >> 6) - 256, b = (crtRand() >> 6) - 256, c = (crtRand() >> 6) - 256;
            const int32_t length = static_cast<int32_t>(std::sqrt(static_cast<double>((a * a + b * b + c * c) >> 4)));
            const int32_t k = length == 0 ? 100000 : strength / length;
            ParticleNode* spark = newParticle();
            if (!spark) continue;
            spark->velocityX = a * k;
            spark->velocityY = b * k;
            spark->velocityZ = c * k;
            spark->x = spark->restX = cx;
            spark->y = spark->restY = cy;
            spark->z = spark->restZ = cz;
            spark->lifetime = sparkLifetime();
            spark->colour = static_cast<int32_t>(colour);
            spark->update = updateSpark3D;
            appendParticle(FireWorkParticles, spark);
        }
    });
}

bool inside(const Rect& r, int32_t px, int32_t py) {
    return px > r.left + 4 && px < r.right - 4 && py > r.top + 4 && py < r.bottom - 4;
}

void drawSpark(EffectParams* p, const ParticleNode& s, int32_t w) {
    guarded(__LINE__, [p, &s, w] {
        const int32_t px = p->rect.left + w / 2 + s.x / 128, py = p->rect.top - s.y / 128;
        if (!inside(p->rect, px, py) || s.lifetime <= 0) return;
        const int32_t left = s.lifetime - s.age;
        const auto fade = [&](int32_t shift) { return static_cast<Pixel>(left * ((s.colour >> shift) & 0xFF) / s.lifetime); };
        addPlus5(p->destination, p->pitch, px, py, (fade(16) << 16) | (fade(8) << 8) | fade(0));
    });
}

void drawSpark3D(EffectParams* p, const ParticleNode& s, int32_t w, int32_t h) {
    guarded(__LINE__, [p, &s, w, h] {
        int32_t x = s.x / 128, y = h / 2 - s.y / 128, z = s.z / 128;
        // One turn every 256 frames.
        rotateYFixed(&x, &z, static_cast<int16_t>(p->state.words[0]) * 256);
        projectPointFixed(&x, &y, &z, 512);
        const int32_t px = w / 2 + x, py = h / 2 + y;
        if (!inside(p->rect, px, py)) return;
        const Pixel colour = static_cast<Pixel>(s.colour);
        Pixel* at = pixelAt(p->destination, p->pitch, px, py);
        *at = saturatingAdd(*at, colour);
        const Pixel half = (colour >> 1) & 0x7F7F7F;
        for (Pixel* q : {at - p->pitch, at - 1, at + 1, at + p->pitch}) *q = saturatingAdd(*q, half);
    });
}

bool burstThisFrame(const EffectParams* p) {
    if (p->levelMode == 0) return p->beat != 0;
    return p->frameCounter % g_setup.burstInterval == 0;
}

template <bool Depth>
void runFireWorkFrame(EffectParams* p, int32_t gravity, int32_t approach) {
    guarded(__LINE__, [=] {
        const int32_t w = p->rect.right - p->rect.left, h = p->rect.bottom - p->rect.top;
        if (p->firstFrame) {
            freeParticleList(FireWorkParticles);
            p->frameCounter = 0;
            g_setup.gravity = gravity;
            g_setup.approach = approach;
        }
        updateAnimationLevel(p, 0.9f, 1.0f);
        p->frameCounter += 1;
        particleColourPhase(p) += 1;
        updateSparks(p);
        if (burstThisFrame(p)) {
            if constexpr (Depth)
                burst3D(p, w, h);
            else
                burst2D(p, w, h);
        }
        for (const ParticleNode* n = FireWorkParticles.head; n; n = n->next) {
            if constexpr (Depth)
                drawSpark3D(p, *n, w, h);
            else
                drawSpark(p, *n, w);
        }
    });
}

}  // namespace

void runFireWork(EffectParams* p, int32_t gravity, int32_t approach) { runFireWorkFrame<false>(p, gravity, approach); }

void runFireWork3D(EffectParams* p, int32_t gravity, int32_t approach) { runFireWorkFrame<true>(p, gravity, approach); }

void FireWork(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] { runFireWork(p, 128, 128); });
}

void FireWork3D(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] { runFireWork3D(p, 128, 128); });
}
