#include "Animation/ANI_WaterJet.h"

#include <algorithm>

#include "Animation/AnimationShared.h"
#include "Animation/ParticleList.h"
#include "render/CrtRandom.h"
#include "render/TrigTables.h"

namespace {

constexpr const char* kUnit = animationUnitPath(AnimationUnit::WaterJet);
constexpr int32_t kJetCount = 16;
constexpr int32_t kBandsPerJet = 128 / kJetCount;
constexpr int32_t kMaxStrength = 2048;
constexpr int32_t kMaxDropsPerJet = 80;

struct WaterJetSetup {
    int32_t gravity = 128;
    Rect clip{};   // of the frame being updated
};
WaterJetSetup g_setup;

void updateDrop(EffectParams*, ParticleNode* drop) {
    const int32_t g = drop->age;
    drop->x += drop->velocityX;
    drop->y += g * g_setup.gravity - drop->velocityY;
    drop->age = g + 1;
    const Rect& r = g_setup.clip;
    if (drop->y / 128 >= r.bottom - 2 || drop->x / 128 >= r.right - 2 || drop->x / 128 <= r.left + 2)
        unlinkAndFreeParticle(WaterJetParticles, drop);
}

// The hue turns once in about 199 frames.
Pixel dropColour(int32_t frame) { return wheelColour(((static_cast<int16_t>(frame) * 330) & 0xFFFF) >> 3); }

void spawnDrops(EffectParams* p, int32_t w, int32_t h) {
    const Pixel colour = dropColour(p->frameCounter);
    for (int32_t jet = 0; jet < kJetCount; ++jet) {
        int32_t sum = 0;
        for (int32_t b = 0; b < kBandsPerJet; ++b) sum += p->spectrum[jet * kBandsPerJet + b];
        const int32_t strength = std::min(sum * (h + w) / 128 / 8, kMaxStrength);
        const int32_t x = p->rect.left + w * (2 * jet + 1) / 32;
        const int32_t drops = std::min(strength / 16, kMaxDropsPerJet);
        for (int32_t n = 0; n < drops; ++n) {
            const int32_t v = strength * crtRand() >> 14;
            int32_t spread = 0;
            for (int k = 0; k < 8; ++k) spread += crtRand();
            const int32_t angle = ((spread >> 8) + 1536) & (kTrigTableSize - 1);
            ParticleNode* drop = newParticle();
            if (!drop) continue;
            drop->velocityX = v * CosineTable[angle] >> 15;
            drop->velocityY = v * SineTable[angle] >> 15;
            drop->x = x * 128;
            drop->y = (p->rect.bottom - 2) * 128;
            drop->colour = static_cast<int32_t>(colour);
            drop->update = updateDrop;
            appendParticle(WaterJetParticles, drop);
        }
    }
}

void drawDrops(EffectParams* p) {
    const Rect& r = p->rect;
    for (const ParticleNode* n = WaterJetParticles.head; n; n = n->next) {
        const int32_t px = n->x / 128, py = n->y / 128;
        if (px <= r.left + 4 || px >= r.right - 4 || py <= r.top + 4 || py >= r.bottom - 4) continue;
        addPlus5(p->destination, p->pitch, px, py, static_cast<Pixel>(n->colour));
    }
}

}  // namespace

void runWaterJet(EffectParams* p, int32_t gravity) {
    const int32_t w = p->rect.right - p->rect.left, h = p->rect.bottom - p->rect.top;
    if (p->firstFrame) {
        freeParticleList(WaterJetParticles);
        g_setup.gravity = gravity;
    }
    g_setup.clip = p->rect;
    p->frameCounter += 1;   // never reset here: the drop colours go on from the last run
    updateAnimationLevel(p, 0.9f, 1.0f);
    updateParticles(WaterJetParticles, p);
    spawnDrops(p, w, h);
    drawDrops(p);
}

void WaterJet(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] { runWaterJet(p, 128); });
}
